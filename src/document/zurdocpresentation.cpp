// The project document's presentation services: the picture of one slide
// for the cells, and a new project made from a presentation file.
#include "base/appfolders.h"
#include "base/filefailure.h"
#include "base/pathutils.h"
#include "base/resourcebundle.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "document/zurdocobserver.h"
#include "presentation/officeversion.h"
#include "presentation/presentationblock.h"
#include "presentation/slideexport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

constexpr int kCannotCreateFolder = 7104;
constexpr int kFolderExists = 7117;
constexpr int kPathUnusable = 7160;
constexpr int kNoProjectMade = 7162;
constexpr int kLastFolderNumber = 9999;

// Message `id` followed by a line break and 7162.
void tellNoProject(CUserPrompt* prompt, int id)
{
    if (prompt)
        prompt->Show(id, CResourceBundle::Text(id) + "\n" + CResourceBundle::Text(kNoProjectMade),
                     CUserPrompt::Exclamation, CUserPrompt::Ok);
}

// The reason with its file, followed by a line break and 7162.
void tellNoProject(CUserPrompt* prompt, const CFileFailure& failure)
{
    if (prompt)
        prompt->Show(failure.MessageId(),
                     prompt->FillMessage(failure.MessageId(), failure.file()) + "\n" +
                         CResourceBundle::Text(kNoProjectMade),
                     CUserPrompt::Exclamation, CUserPrompt::Ok);
}

bool endsWithPpt(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return ext == ".ppt";
}

std::string folderName(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "ZUR%04d", number);
    return name;
}

}  // namespace

bool CZurDoc::ExportPresentationSlide(const std::string& presentation, int page,
                                      const std::string& destination, int width, int height)
{
    return ::ExportPresentationSlide(presentation, destination, page, width, height);
}

bool CZurDoc::NewProjectFromPresentation(const std::string& presentation,
                                         std::string& projectFile)
{
    projectFile.clear();
    CFileStatus status;
    if (!presentation.empty() && !QFileInfo::exists(QString::fromStdString(presentation))) {
        tellNoProject(m_prompt, CFileFailure(CFileFailure::NotFound, presentation));
        return false;
    }
    if (presentation.empty() || !GetFileStatus(presentation, status) || status.fullPath.empty()) {
        tellNoProject(m_prompt, kPathUnusable);
        return false;
    }
    const std::string path = status.fullPath;
    DeleteContents();
    m_modified = false;
    if (!endsWithPpt(path) || GetPowerPointVersion(path) < 8) {
        tellNoProject(m_prompt, CFileFailure(CFileFailure::NotAPresentation, path));
        return false;
    }

    const std::string home = CAppFolders::HomeFolder();
    if (home.empty()) {
        AskUser(m_prompt, kCannotCreateFolder, CUserPrompt::Exclamation, CUserPrompt::Ok,
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
            AskUser(m_prompt, kFolderExists, CUserPrompt::Question, CUserPrompt::YesNoCancel,
                    home + folderName(n) + "/");
        if (answer == CUserPrompt::AnswerYes)
            folder = home + folderName(n);
        else if (answer != CUserPrompt::AnswerNo)
            return false;
    }
    const bool made = !FolderExists(folder);
    if (made && !QDir().mkpath(QString::fromStdString(folder))) {
        AskUser(m_prompt, kCannotCreateFolder, CUserPrompt::Exclamation, CUserPrompt::Ok,
                folder + "/");
        return false;
    }
    // A failure after this point takes back the folder it made.
    const auto giveUp = [&] {
        DeleteContents();
        m_modified = false;
        if (made)
            QDir(QString::fromStdString(folder)).removeRecursively();
        return false;
    };

    ProjectName = folder.substr(home.size());
    ProjectPath = folder + "/";
    const QByteArray block = MakePresentationBlock(path);
    if (block.isEmpty()) {
        tellNoProject(m_prompt, kPathUnusable);
        return giveUp();
    }
    CreateDateTime = LastWriteDateTime = QDateTime::currentDateTime();
    Cells.ProjectFolder = ProjectPath;
    const std::string file = ProjectPath + ProjectName + ".sic";
    if (!Save(file))
        return giveUp();
    projectFile = file;
    if (!m_observer || !m_observer->InsertCellList(block)) {
        projectFile.clear();
        return giveUp();
    }
    return true;
}
