#include "gui/view/insertprogress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QWidget>

namespace {
// Events are pumped at most this often: often enough for a smooth window
// and a Cancel that answers within a tenth of a second.
constexpr int kPumpMs = 30;
} // namespace

CInsertProgress::CInsertProgress(QWidget* parent) : m_parent(parent)
{
    m_sincePump.start();
}

CInsertProgress::~CInsertProgress()
{
    delete m_dialog.data();
}

QProgressDialog* CInsertProgress::Dialog()
{
    if (!m_dialog) {
        m_dialog = new QProgressDialog(m_parent ? m_parent->window() : nullptr);
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAccessibleName(QObject::tr("Progress"));
        QObject::connect(m_dialog.data(), &QProgressDialog::canceled,
                         [this] { m_cancelled = true; });
    }
    return m_dialog;
}

void CInsertProgress::Pump()
{
    if (m_sincePump.elapsed() < kPumpMs)
        return;
    m_sincePump.restart();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void CInsertProgress::SetRange(int lower, int upper)
{
    Dialog()->setRange(lower, upper);
}

void CInsertProgress::SetPos(int pos)
{
    Dialog()->setValue(pos);
    Pump();
}

void CInsertProgress::StepIt()
{
    QProgressDialog* dialog = Dialog();
    dialog->setValue(std::min(dialog->maximum(), dialog->value() + m_step));
    Pump();
}

void CInsertProgress::SetText(const std::string& text)
{
    Dialog()->setLabelText(QString::fromStdString(text));
}

void CInsertProgress::SetCaption(const std::string& caption)
{
    Dialog()->setWindowTitle(QString::fromStdString(caption));
}

bool CInsertProgress::IsCancelled()
{
    Pump();
    const bool cancelled = m_cancelled;
    m_cancelled = false;
    return cancelled;
}

void CInsertProgress::Show(bool visible)
{
    if (visible) {
        m_cancelled = false;
        Dialog()->setValue(Dialog()->minimum());
        Dialog()->show();
    } else if (m_dialog) {
        m_dialog->hide();
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
