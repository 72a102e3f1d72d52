#pragma once

#include "base/progress.h"

#include <QElapsedTimer>
#include <QPointer>

class QProgressDialog;
class QWidget;

// A plain progress window for the insertions of a project window, used
// while the program gives the window no progress window of its own: a bar,
// a line of text and Cancel, modal to the project's window. Every call lets
// the window repaint and sees Cancel.
class CInsertProgress : public CProgress
{
public:
    explicit CInsertProgress(QWidget* parent);
    ~CInsertProgress() override;

    void SetRange(int lower, int upper) override;
    void SetStep(int step) override { m_step = step; }
    void SetPos(int pos) override;
    void StepIt() override;
    void SetText(const std::string& text) override;
    void SetCaption(const std::string& caption) override;
    bool IsCancelled() override;
    void Show(bool visible) override;

private:
    void Pump();
    QProgressDialog* Dialog();

    QPointer<QWidget> m_parent;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_sincePump;
    int m_step = 1;
    bool m_cancelled = false;
};
