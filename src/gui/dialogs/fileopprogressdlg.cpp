#include "gui/dialogs/fileopprogressdlg.h"

#include "gui/dialogs/pathlabel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

CFileOpProgressDlg::CFileOpProgressDlg(QWidget* parent, int captionId)
    : QDialog(parent), CFileOpProgress(captionId)
{
    // Blocks its project only; other windows of the program stay usable.
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    setMinimumWidth(420);
    m_text = new CPathLabel;
    m_text->setObjectName("progressText");
    m_bar = new QProgressBar;
    m_bar->setObjectName("progressBar");
    m_bar->setAccessibleName(tr("Progress"));
    m_bar->setTextVisible(false);
    m_percent = new QLabel("0%");
    m_percent->setObjectName("percent");
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance("100%") + 4);
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_cancel = new QPushButton(tr("Cancel"));
    m_cancel->setObjectName("cancel");
    m_cancel->setAccessibleName(tr("Cancel"));
    connect(m_cancel, &QPushButton::clicked, this, [this] { Cancel(); });

    auto* barRow = new QHBoxLayout;
    barRow->addWidget(m_bar, 1);
    barRow->addWidget(m_percent);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(barRow);
    layout->addLayout(buttonRow);
    Refresh();
}

CFileOpProgressDlg::~CFileOpProgressDlg()
{
    Destroy();
}

void CFileOpProgressDlg::BlockOnly(QWidget* project)
{
    setWindowModality(Qt::NonModal);
    QPointer<QWidget> owner(project);
    SetOwner([owner] { return owner && owner->isEnabled(); },
             [owner](bool enabled) {
                 if (owner)
                     owner->setEnabled(enabled);
             });
}

QString CFileOpProgressDlg::PercentText() const
{
    return m_percent->text();
}

QString CFileOpProgressDlg::MessageText() const
{
    return m_text->FullText();
}

void CFileOpProgressDlg::Pump()
{
    // Only the window's own thread may run its events; the operation reports
    // from there.
    if (QThread::currentThread() == thread())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void CFileOpProgressDlg::Refresh()
{
    const CProgressModel model = Model();
    setWindowTitle(QString::fromStdString(model.Caption()));
    // The bar counts from 0 so that a range wider than the bar's own stays
    // right; the percentage comes from the model.
    const int span = model.Upper() - model.Lower();
    m_bar->setRange(0, span > 0 ? span : 1);
    m_bar->setValue(span > 0 ? model.Pos() - model.Lower() : 0);
    const QString percent = QString::fromStdString(model.PercentText());
    if (m_percent->text() != percent)
        m_percent->setText(percent);
    m_text->SetFullText(QString::fromStdString(model.Text()));
}

void CFileOpProgressDlg::Visibility(bool visible)
{
    Refresh();
    if (visible) {
        show();
        raise();
        // Paint at once when the operation holds this thread: it may not
        // report again for a while.
        if (!InQueuedCall())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else {
        hide();
    }
}

void CFileOpProgressDlg::reject()
{
    // Escape is the Cancel button; the window stays until the work ends.
    Cancel();
}

void CFileOpProgressDlg::closeEvent(QCloseEvent* event)
{
    Cancel();
    event->ignore();
}
