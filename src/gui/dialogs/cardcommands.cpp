#include "gui/dialogs/cardcommands.h"

#include "base/job.h"
#include "base/msgid.h"
#include "base/threadprompt.h"
#include "base/userprompt.h"
#include "document/busyguard.h"
#include "document/zurdoc.h"
#include "gui/dialogs/autoruneditdlg.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/deletedlg.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "gui/dialogs/senddlg.h"
#include "output/cardoffer.h"
#include "output/scenariodeletion.h"

#include <QListWidget>
#include <QPointer>
#include <memory>

namespace {

int VisibleCells(const CZurDoc& document)
{
    int n = 0;
    for (int i = 0; i < document.Cells.GetCount(); ++i)
        if (document.Cells.GetAt(i)->IsVisible())
            ++n;
    return n;
}
} // namespace

std::vector<CVolumeList::Volume> CCardCommands::Volumes()
{
    CVolumeList list;
    list.Load();
    return list.CardVolumes();
}

void CCardCommands::SendProject(CZurDoc& document, CUserPrompt* prompt, QWidget* parent,
                                std::string& lastRoot, std::function<void(bool sent)> ended)
{
    auto end = [ended](bool sent) {
        if (ended)
            ended(sent);
    };
    if (!CScenarioExport::CanSend(document)) {
        AskUser(prompt, MsgId::SaveBeforeSend, CUserPrompt::Exclamation, CUserPrompt::Ok);
        end(false);
        return;
    }
    CSendDlg::ProjectInfo info;
    info.name = document.ProjectName;
    info.backColor = document.BackColor;
    info.imageQuality = document.ImageQuality;
    info.slideCount = VisibleCells(document);
    info.cells = &document.Cells;
    CSendDlg dialog(info, Volumes(), lastRoot, prompt, parent);
    if (dialog.exec() != QDialog::Accepted) {
        end(false);
        return;
    }
    lastRoot = dialog.Root();
    CCardOffer::StoreLastCard(lastRoot);
    std::string* root = &lastRoot;
    SendTo(
        document, lastRoot, prompt, parent,
        [prompt, window = QPointer<QWidget>(parent), root, end](CScenarioExport::Outcome outcome,
                                                                bool wantsAutorun) {
            const bool sent = outcome == CScenarioExport::Sent;
            if (sent && wantsAutorun && window)
                EditAutorun(prompt, window, *root, true);
            end(sent);
        },
        dialog.Identity());
}

namespace {

// What one send owns while its job runs; made, used and ended on the
// window's thread, except the export itself.
struct SendJob
{
    SendJob(CZurDoc& document, CUserPrompt* prompt, QWidget* project)
        : busy(document, CBusyGuard::Job),
          // Beside the project window, not inside it: the project window
          // takes no input meanwhile, and neither would its children.
          progress(new CFileOpProgressDlg(project->isWindow() ? nullptr : project->window())),
          threadPrompt(prompt, progress), send(&threadPrompt, progress)
    {
        progress->BlockOnly(project);
    }
    ~SendJob()
    {
        progress->Destroy();
        delete progress;
    }
    SendJob(const SendJob&) = delete;
    SendJob& operator=(const SendJob&) = delete;

    // Nothing may change or close the project while its cells are read.
    CBusyGuard busy;
    CFileOpProgressDlg* progress;
    CThreadPrompt threadPrompt;
    CScenarioExport send;
    CScenarioExport::Outcome outcome = CScenarioExport::Failed;
};

} // namespace

void CCardCommands::SendTo(CZurDoc& document, const std::string& root, CUserPrompt* prompt,
                           QWidget* parent, SendDone done, const CCardIdentity& identity)
{
    if (!CScenarioExport::CanSend(document)) {
        // Changed after the send was chosen: say so rather than do nothing.
        AskUser(prompt, MsgId::SendProjectChanged, CUserPrompt::Exclamation, CUserPrompt::Ok,
                document.ProjectName);
        done(CScenarioExport::Declined, false);
        return;
    }
    if (document.RefuseWhileBusy()) {
        done(CScenarioExport::Declined, false);
        return;
    }
    auto job = std::make_shared<SendJob>(document, prompt, parent);
    job->send.SetOfferAutorun(true);
    if (identity.IsValid())
        job->send.SetCardIdentity(identity);
    SendJob* running = job.get();
    CJob::Start(
        parent,
        [running, project = CScenarioExport::ProjectOf(document), root] {
            running->outcome = running->send.Send(project, root);
        },
        [job, done]() mutable {
            const CScenarioExport::Outcome outcome = job->outcome;
            const bool wantsAutorun =
                outcome == CScenarioExport::Sent && job->send.WantsAutorunEditor();
            job.reset();
            done(outcome, wantsAutorun);
        });
}

void CCardCommands::EditAutorun(CUserPrompt* prompt, QWidget* parent, std::string& lastRoot,
                                bool justSent)
{
    CAutorunEditDlg dialog(Volumes(), lastRoot, prompt, parent);
    if (justSent)
        dialog.Cards()->SelectRoot(lastRoot);
    if (dialog.exec() == QDialog::Accepted && !dialog.Root().empty()) {
        lastRoot = dialog.Root();
        CCardOffer::StoreLastCard(lastRoot);
    }
}

void CCardCommands::DeleteScenarios(CUserPrompt* prompt, QWidget* parent, std::string& lastRoot)
{
    CDeleteDlg dialog(Volumes(), lastRoot, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    lastRoot = dialog.Root();
    CCardOffer::StoreLastCard(lastRoot);
    if (dialog.List()->count() == 0) {
        AskUser(prompt, MsgId::NoScenariosOnCard, CUserPrompt::Information, CUserPrompt::Ok,
                lastRoot);
        return;
    }
    if (!dialog.Names().empty())
        CScenarioDeletion::DeleteScenarios(lastRoot, dialog.Names(), prompt);
}
