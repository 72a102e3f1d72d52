#include "gui/dialogs/cardcommands.h"

#include "base/msgid.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "gui/dialogs/autoruneditdlg.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/deletedlg.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "gui/dialogs/senddlg.h"
#include "output/cardoffer.h"
#include "output/scenariodeletion.h"

#include <QListWidget>

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

bool CCardCommands::SendProject(CZurDoc& document, CUserPrompt* prompt, QWidget* parent,
                                std::string& lastRoot)
{
    if (!CScenarioExport::CanSend(document)) {
        AskUser(prompt, MsgId::SaveBeforeSend, CUserPrompt::Exclamation, CUserPrompt::Ok);
        return false;
    }
    CSendDlg::ProjectInfo info;
    info.name = document.ProjectName;
    info.backColor = document.BackColor;
    info.imageQuality = document.ImageQuality;
    info.slideCount = VisibleCells(document);
    info.cells = &document.Cells;
    CSendDlg dialog(info, Volumes(), lastRoot, prompt, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    lastRoot = dialog.Root();
    CCardOffer::StoreLastCard(lastRoot);
    bool wantsAutorun = false;
    if (SendTo(document, lastRoot, prompt, parent, wantsAutorun, dialog.Identity()) !=
        CScenarioExport::Sent)
        return false;
    if (wantsAutorun)
        EditAutorun(prompt, parent, lastRoot, true);
    return true;
}

CScenarioExport::Outcome CCardCommands::SendTo(CZurDoc& document, const std::string& root,
                                               CUserPrompt* prompt, QWidget* parent,
                                               bool& wantsAutorun, const CCardIdentity& identity)
{
    CFileOpProgressDlg progress(parent);
    CScenarioExport send(prompt, &progress);
    send.SetOfferAutorun(true);
    if (identity.IsValid())
        send.SetCardIdentity(identity);
    const CScenarioExport::Outcome outcome = send.Send(document, root);
    progress.Destroy();
    wantsAutorun = outcome == CScenarioExport::Sent && send.WantsAutorunEditor();
    return outcome;
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
