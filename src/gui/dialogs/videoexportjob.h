#pragma once

#include "gui/dialogs/fileopprogressdlg.h"
#include "show/videoexport.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <memory>

class CUserPrompt;
class QTimer;

// Runs a prepared video export on a worker thread while the window stays
// responsive: the progress window shows how far it is and its Cancel stops
// it; messages are shown on the window's thread when the work has ended.
// The job deletes itself after Finished.
class CVideoExportJob : public QObject
{
    Q_OBJECT
public:
    // Starts at once; `parent` gets the progress window.
    static CVideoExportJob* Start(std::unique_ptr<CVideoExport> video, CUserPrompt* prompt,
                                  QWidget* parent);
    ~CVideoExportJob() override;

    CFileOpProgressDlg* Progress() const { return m_dialog; }

Q_SIGNALS:
    void Finished(int result); // CVideoExport::Result

private:
    class CWorkerProgress;
    class CDeferredPrompt;

    CVideoExportJob(std::unique_ptr<CVideoExport> video, CUserPrompt* prompt, QWidget* parent);
    void Poll();
    void Done();

    std::unique_ptr<CVideoExport> m_video;
    std::unique_ptr<CWorkerProgress> m_progress;
    std::unique_ptr<CDeferredPrompt> m_messages;
    CUserPrompt* m_prompt;
    QPointer<CFileOpProgressDlg> m_dialog;
    QTimer* m_poll = nullptr;
    bool m_polling = false;
    QFutureWatcher<int> m_watcher;
};
