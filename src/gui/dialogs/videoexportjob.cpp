#include "gui/dialogs/videoexportjob.h"

#include "base/msgid.h"
#include "base/progress.h"
#include "base/userprompt.h"
#include "gui/dialogs/fileopprogressdlg.h"

#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

// How often the window takes the worker's figures.
constexpr int kPollMs = 100;

} // namespace

// The worker's progress: figures kept for the window to take, Cancel
// handed over the other way.
class CVideoExportJob::CWorkerProgress : public CProgress
{
public:
    void SetRange(int lower, int upper) override
    {
        m_lower = lower;
        m_upper = upper;
    }
    void SetStep(int step) override { m_step = step; }
    void SetPos(int pos) override { m_pos = pos; }
    void StepIt() override { m_pos += m_step; }
    void SetText(const std::string& text) override
    {
        std::lock_guard lock(m_mutex);
        m_text = text;
    }
    void SetCaption(const std::string& caption) override
    {
        std::lock_guard lock(m_mutex);
        m_caption = caption;
    }
    bool IsCancelled() override { return m_cancelled.exchange(false); }
    void Show(bool) override {}

    void Cancel() { m_cancelled = true; }
    void CopyTo(CProgress& window)
    {
        std::string text, caption;
        {
            std::lock_guard lock(m_mutex);
            text = m_text;
            caption = m_caption;
        }
        if (!caption.empty())
            window.SetCaption(caption);
        window.SetRange(m_lower, m_upper);
        window.SetPos(m_pos);
        window.SetText(text);
    }

private:
    std::atomic<int> m_lower{0}, m_upper{100}, m_step{1}, m_pos{0};
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::string m_text, m_caption;
};

// The worker's messages, kept to be shown when it has ended (every message
// of a run only informs: OK is its answer).
class CVideoExportJob::CDeferredPrompt : public CUserPrompt
{
public:
    struct Message
    {
        int id;
        std::string text;
        Icon icon;
    };
    Answer Show(int id, const std::string& text, Icon icon, Buttons) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back({id, text, icon});
        return AnswerOk;
    }
    std::vector<Message> Take()
    {
        std::lock_guard lock(m_mutex);
        return std::move(m_messages);
    }

private:
    std::mutex m_mutex;
    std::vector<Message> m_messages;
};

CVideoExportJob* CVideoExportJob::Start(std::unique_ptr<CVideoExport> video, CUserPrompt* prompt,
                                        QWidget* parent)
{
    return new CVideoExportJob(std::move(video), prompt, parent);
}

CVideoExportJob::CVideoExportJob(std::unique_ptr<CVideoExport> video, CUserPrompt* prompt,
                                 QWidget* parent)
    : QObject(parent), m_video(std::move(video)), m_progress(std::make_unique<CWorkerProgress>()),
      m_messages(std::make_unique<CDeferredPrompt>()), m_prompt(prompt)
{
    m_dialog = new CFileOpProgressDlg(parent, MsgId::VideoExportCaption);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    m_dialog->Show(true);
    m_video->SetReporting(m_messages.get(), m_progress.get());
    m_poll = new QTimer(this);
    connect(m_poll, &QTimer::timeout, this, &CVideoExportJob::Poll);
    m_poll->start(kPollMs);
    connect(&m_watcher, &QFutureWatcher<int>::finished, this, &CVideoExportJob::Done);
    CVideoExport* work = m_video.get();
    m_watcher.setFuture(QtConcurrent::run([work] { return int(work->Run()); }));
}

CVideoExportJob::~CVideoExportJob()
{
    // A window closed under a running export stops it first.
    m_progress->Cancel();
    m_watcher.waitForFinished();
    delete m_dialog;
}

void CVideoExportJob::Poll()
{
    // The window's reports let it repaint, which may run this timer again.
    if (!m_dialog || m_polling)
        return;
    m_polling = true;
    // Cancel, Escape and the window's close all end in the window's model.
    if (m_dialog->Model().CancelPending())
        m_progress->Cancel();
    m_progress->CopyTo(*m_dialog);
    m_polling = false;
}

void CVideoExportJob::Done()
{
    m_poll->stop();
    const int result = m_watcher.result();
    if (m_dialog) {
        m_dialog->Destroy();
        m_dialog->deleteLater();
    }
    for (const CDeferredPrompt::Message& m : m_messages->Take())
        m_prompt->Show(m.id, m.text, m.icon, CUserPrompt::Ok);
    if (result == CVideoExport::Written) {
        AskUser(m_prompt, MsgId::VideoExported, CUserPrompt::Information, CUserPrompt::Ok,
                m_video->Target(), m_video->Summary());
    }
    Q_EMIT Finished(result);
    deleteLater();
}
