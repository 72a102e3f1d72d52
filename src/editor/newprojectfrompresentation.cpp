// The command "new project from a presentation", above the document and
// the editor.
#include "editor/newprojectfrompresentation.h"

#include "base/appfolders.h"
#include "base/filefailure.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "model/presentationblock.h"
#include "presentation/presentationreader.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr int kLastFolderNumber = 9999;

// Message `id` followed by a line break and 7162.
void tellNoProject(CUserPrompt* prompt, int id)
{
    if (prompt)
        prompt->Show(id,
                     CResourceBundle::Text(id) + "\n" +
                         CResourceBundle::Text(MsgId::NoProjectFromPresentation),
                     CUserPrompt::Exclamation, CUserPrompt::Ok);
}

// The reason with its file, followed by a line break and 7162.
void tellNoProject(CUserPrompt* prompt, const CFileFailure& failure)
{
    if (prompt)
        prompt->Show(failure.MessageId(),
                     failure.TextFor(prompt) + "\n" +
                         CResourceBundle::Text(MsgId::NoProjectFromPresentation),
                     CUserPrompt::Exclamation, CUserPrompt::Ok);
}

std::string folderName(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "ZUR%04d", number);
    return name;
}

} // namespace

CNewProjectFromPresentation::CNewProjectFromPresentation(CZurDoc& doc, CScenarioEditor& editor)
    : m_doc(doc),
      m_insert([&editor](const QByteArray& block) { return editor.InsertCellList(block); })
{}

CNewProjectFromPresentation::CNewProjectFromPresentation(CZurDoc& doc, Inserter insert)
    : m_doc(doc), m_insert(std::move(insert))
{}

bool CNewProjectFromPresentation::Run(const std::string& presentation, std::string& projectFile)
{
    projectFile.clear();
    m_madeFolder = false;
    CUserPrompt* prompt = m_doc.Prompt();
    if (m_doc.RefuseWhileBusy())
        return false;
    CFileStatus status;
    if (!presentation.empty() && !QFileInfo::exists(QString::fromStdString(presentation))) {
        tellNoProject(prompt, CFileFailure(CFileFailure::NotFound, presentation));
        return false;
    }
    if (presentation.empty() || !GetFileStatus(presentation, status) || status.fullPath.empty()) {
        tellNoProject(prompt, MsgId::PresentationPathUnusable);
        return false;
    }
    const std::string path = status.fullPath;
    m_doc.DeleteContents();
    m_doc.SetModifiedFlag(false);
    m_doc.UpdateAllViews();
    if (!CSlideSourceTypes::IsPresentation(path) || CPresentationReader::Check(path) < 8) {
        tellNoProject(prompt, CFileFailure(CFileFailure::NotAPresentation, path));
        return false;
    }

    const std::string home = CAppFolders::HomeFolder();
    if (home.empty()) {
        AskUser(prompt, MsgId::FolderNotCreated, CUserPrompt::Exclamation, CUserPrompt::Ok,
                "Zelm Tessara");
        return false;
    }
    // The first free name; a plain file of that name counts as taken too.
    std::string folder;
    for (int n = 1; n <= kLastFolderNumber && folder.empty(); ++n) {
        if (!PathExists(home + folderName(n)))
            folder = home + folderName(n);
    }
    // All taken: the user may reuse an existing folder.
    for (int n = 1; folder.empty(); ++n) {
        if (n > kLastFolderNumber)
            return false;
        if (!FolderExists(home + folderName(n)))
            continue;
        const CUserPrompt::Answer answer =
            AskUser(prompt, MsgId::AskUseExistingFolder, CUserPrompt::Question,
                    CUserPrompt::YesNoCancel, home + folderName(n) + "/");
        if (answer == CUserPrompt::AnswerYes)
            folder = home + folderName(n);
        else if (answer != CUserPrompt::AnswerNo)
            return false;
    }
    const bool made = !FolderExists(folder);
    m_madeFolder = made;
    if (made && !QDir().mkpath(QString::fromStdString(folder))) {
        AskUser(prompt, MsgId::FolderNotCreated, CUserPrompt::Exclamation, CUserPrompt::Ok,
                folder + "/");
        return false;
    }
    // A failure after this point takes back the folder it made.
    const auto giveUp = [&] {
        m_doc.DeleteContents();
        m_doc.SetModifiedFlag(false);
        m_doc.UpdateAllViews();
        if (made)
            QDir(QString::fromStdString(folder)).removeRecursively();
        return false;
    };

    m_doc.ProjectName = folder.substr(home.size());
    m_doc.ProjectPath = folder + "/";
    const QByteArray block = MakePresentationBlock(path);
    if (block.isEmpty()) {
        tellNoProject(prompt, MsgId::PresentationPathUnusable);
        return giveUp();
    }
    m_doc.CreateDateTime = m_doc.LastWriteDateTime = QDateTime::currentDateTime();
    m_doc.Cells.ProjectFolder = m_doc.ProjectPath;
    const std::string file = m_doc.ProjectPath + m_doc.ProjectName + ".sic";
    if (!m_doc.Save(file))
        return giveUp();
    projectFile = file;
    if (!m_insert || !m_insert(block)) {
        projectFile.clear();
        return giveUp();
    }
    return true;
}
