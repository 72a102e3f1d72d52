#pragma once

#include "output/fileopprogress.h"

#include <QDialog>

class CPathLabel;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress window of every long operation of the window program, with
// caption, text, bar, percentage and Cancel. A job on a worker thread reports
// here through queued calls and sees the user's Cancel at its next question;
// the window then blocks only its project (BlockOnly). An operation still
// running on the window's thread makes it modal to the window it is given
// and lets it repaint and take Cancel at every report.
class CFileOpProgressDlg : public QDialog, public CFileOpProgress
{
    Q_OBJECT
public:
    // `parent`: the project window the progress blocks. `captionId`: the
    // caption text's number, 0 for the default.
    explicit CFileOpProgressDlg(QWidget* parent, int captionId = 0);
    ~CFileOpProgressDlg() override;

    // For a job: not modal; while shown, `project` alone takes no input, so
    // the program's other windows stay usable.
    void BlockOnly(QWidget* project);

    QPushButton* CancelButton() const { return m_cancel; }
    QString PercentText() const;
    QString MessageText() const;

protected:
    void Pump() override;
    void Refresh() override;
    void Visibility(bool visible) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* m_bar = nullptr;
    QLabel* m_percent = nullptr;
    CPathLabel* m_text = nullptr;
    QPushButton* m_cancel = nullptr;
};
