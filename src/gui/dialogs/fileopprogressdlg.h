#pragma once

#include "output/fileopprogress.h"

#include <QDialog>

class CPathLabel;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress window of every long operation of the window program: modal
// to the window it is given, with caption, text, bar, percentage and Cancel.
// The operation runs on the window's thread and reports here; every report
// lets the window repaint and take the user's Cancel, which the operation
// sees at its next question.
class CFileOpProgressDlg : public QDialog, public CFileOpProgress
{
    Q_OBJECT
public:
    // `parent`: the project window the progress blocks. `captionId`: the
    // caption text's number, 0 for the default.
    explicit CFileOpProgressDlg(QWidget* parent, int captionId = 0);
    ~CFileOpProgressDlg() override;

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
