#include "document/projectupgrade.h"

#include "base/appfolders.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/progress.h"
#include "base/resourcebundle.h"
#include "document/projectfile.h"
#include "document/zurdoc.h"
#include "model/cellbmpinfo.h"

#include <QDateTime>
#include <QFile>
#include <cstdio>

namespace {

// Shows the progress window for the length of the upgrade.
class ProgressShown
{
public:
    explicit ProgressShown(CProgress* progress, int cells) : m_progress(progress)
    {
        if (!m_progress)
            return;
        m_progress->SetCaption(CResourceBundle::Text(MsgId::UpdatingProjectCaption));
        m_progress->SetRange(0, cells + 1);
        m_progress->SetStep(1);
        m_progress->SetPos(0);
        m_progress->SetText(CResourceBundle::Text(MsgId::RebuildingPictures));
        m_progress->Show(true);
    }
    ~ProgressShown()
    {
        if (m_progress)
            m_progress->Show(false);
    }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

private:
    CProgress* m_progress;
};

// Deletes the new images that were copied into the project folder: they
// carry fresh names that no file had before the upgrade.
void deleteNewImages(CCellInfoList& cells)
{
    for (int i = 0; i < cells.GetCount(); ++i) {
        auto* cell = dynamic_cast<CCellBmpInfo*>(cells.GetAt(i));
        if (!cell || cell->CardFileName == cell->FileName)
            continue;
        for (const std::string* name : {&cell->FileName, &cell->ThumbFileName}) {
            const std::string path = cell->ProjectFilePath(*name);
            if (!path.empty())
                QFile::remove(QString::fromStdString(path));
        }
    }
}

} // namespace

bool CProjectUpgrade::Run()
{
    CCellInfoList& cells = m_doc.Cells;
    CUserPrompt* prompt = m_doc.Prompt();
    CProgress* progress = m_doc.Progress();
    if (m_doc.ProjectName.empty() || m_doc.ProjectPath.empty())
        return false;

    const std::string work = CAppFolders::WorkFolder("Temp2");
    if (work.empty() || !EmptyFolder(work))
        return false;
    ProgressShown shown(progress, cells.GetCount());
    if (!EnsureDriveReady(prompt, m_doc.ProjectPath)) {
        EmptyFolder(work);
        return false;
    }
    // Rebuilds into the work folder; on failure it has given the cells their
    // old names back.
    if (!cells.RebuildImagesInto(m_doc.ProjectName, work, &m_doc, progress, prompt)) {
        EmptyFolder(work);
        return false;
    }
    const bool ok = Replace(work);
    EmptyFolder(work);
    return ok;
}

bool CProjectUpgrade::Replace(const std::string& work)
{
    CCellInfoList& cells = m_doc.Cells;
    CUserPrompt* prompt = m_doc.Prompt();
    CProgress* progress = m_doc.Progress();
    const std::string projectFile = m_doc.GetPathName();
    const std::string newFile = work + "temp.sic";

    CProjectFile file;
    m_doc.FieldsTo(file);
    file.Version = 2;
    file.LastWriteDateTime = QDateTime::currentDateTime();
    if (file.WriteFile(newFile, cells) != CProjectFile::WriteOk) {
        cells.RestoreWorkNames(true);
        return false;
    }

    if (progress)
        progress->SetText(CResourceBundle::Text(MsgId::CheckingFreeSpace));
    if (!CheckDiskSpace(prompt, m_doc.ProjectPath, FolderSize(work), false)) {
        cells.RestoreWorkNames(true);
        return false;
    }

    // The old project file is kept under a fresh name until everything new
    // is in place.
    const std::string backupName = ReserveUniqueName(m_doc.ProjectPath, projectFile, ".tmp");
    const std::string backup = backupName.empty() ? std::string() : m_doc.ProjectPath + backupName;
    if (backup.empty() || std::rename(projectFile.c_str(), backup.c_str()) != 0) {
        if (!backup.empty())
            QFile::remove(QString::fromStdString(backup));
        cells.RestoreWorkNames(true);
        return false;
    }
    if (!CopyFileKeepTime(newFile, projectFile) ||
        !cells.CopyNewImagesFrom(work, progress, prompt)) {
        QFile::remove(QString::fromStdString(projectFile));
        std::rename(backup.c_str(), projectFile.c_str());
        deleteNewImages(cells);
        cells.RestoreWorkNames(true);
        return false;
    }
    QFile::remove(QString::fromStdString(backup));
    cells.RestoreWorkNames(false); // deletes the old image files
    m_doc.LastWriteDateTime = file.LastWriteDateTime;
    return true;
}
