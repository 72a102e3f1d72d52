#include "document/zurdoc.h"

#include "base/createdfilejournal.h"
#include "base/filefailure.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/realfilepath.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "base/samepath.h"
#include "base/userprompt.h"
#include "document/busyguard.h"
#include "document/projectfile.h"
#include "document/projectupgrade.h"
#include "document/unsavedfilesweep.h"
#include "document/zurdoclistener.h"
#include "document/zurdocobserver.h"
#include "model/cellbmpinfo.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>

namespace {

// Sweeps what a killed program left of unsaved cells in `path`'s folder,
// then records the document's own new files there.
void settleJournal(CZurDoc& doc, const std::string& path)
{
    // Saved as another project: the old one's unsaved pictures were copied.
    const std::string previous = CCreatedFileJournal::ProjectFileOf(&doc);
    if (!previous.empty() && previous != path) {
        CCreatedFileJournal::Detach(&doc);
        CUnsavedFileSweep::Run(previous, &doc);
    }
    CUnsavedFileSweep::Run(path, &doc);
    CCreatedFileJournal::Attach(
        &doc, path,
        [&doc](const std::string& name) {
            for (int i = 0; i < doc.Cells.GetCount(); ++i) {
                const auto* cell = dynamic_cast<const CCellBmpInfo*>(doc.Cells.GetAt(i));
                if (cell && (cell->FileName == name || cell->DispFileName == name ||
                             cell->ThumbFileName == name))
                    return true;
            }
            return false;
        },
        [&doc] { return doc.IsBusy(); });
}

// Messages of the document (the framework's numbers where it reports).

// The document as it was before Save as or Project properties.
struct Snapshot
{
    std::string name, path, pathName, folder;
    QDateTime created, lastWrite;
    uint32_t backColor = 0;
    int32_t imageQuality = 2;
    bool modified = false;
    CCellInfoList cells;
};

std::set<std::string> filesIn(const std::string& folder)
{
    std::set<std::string> names;
    const QDir dir(QString::fromStdString(folder));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        names.insert(name.toStdString());
    return names;
}

// Deletes what a failed command put into `folder` (files that were not there
// before), then the folder itself when it is empty. Files the user had there
// stay.
void removeAddedFiles(const std::string& folder, const std::set<std::string>& before)
{
    for (const std::string& name : filesIn(folder))
        if (!before.count(name))
            QFile::remove(QString::fromStdString(folder + name));
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(folder), ec); // only when empty
}

} // namespace

CZurDoc::CZurDoc(CUserPrompt* prompt) : m_prompt(prompt) {}

// Destroying the document closes the project: unsaved additions go with
// their files, as when the window is closed without saving.
CZurDoc::~CZurDoc()
{
    // Views are told nothing more while the document goes.
    m_listeners.Clear();
    DeleteContents();
}

std::string CZurDoc::GetPathName() const
{
    if (!m_pathName.empty())
        return m_pathName;
    if (ProjectPath.empty() || ProjectName.empty())
        return {};
    return ProjectPath + ProjectName + ".sic";
}

void CZurDoc::UpdateAllViews()
{
    m_listeners.ModelAboutToBeReset();
    if (m_observer)
        m_observer->UpdateAllViews();
    m_listeners.ModelReset();
    NoteTitle();
}

void CZurDoc::SetModifiedFlag(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    m_listeners.ModifiedChanged(modified);
}

void CZurDoc::NoteTitle()
{
    std::string title = GetPathName();
    if (title == m_shownTitle)
        return;
    m_shownTitle = std::move(title);
    m_listeners.TitleChanged();
}

bool CZurDoc::RefuseWhileBusy() const
{
    if (!IsBusy())
        return false;
    AskUser(m_prompt, MsgId::ProjectBusy, CUserPrompt::Exclamation, CUserPrompt::Ok);
    return true;
}

bool CZurDoc::CloseWithoutSaving()
{
    if (RefuseWhileBusy())
        return false;
    DeleteContents();
    SetModifiedFlag(false);
    UpdateAllViews();
    return true;
}

void CZurDoc::FieldsTo(CProjectFile& file) const
{
    file.ProjectName = ProjectName;
    file.ProjectPath = ProjectPath;
    file.BackColor = BackColor;
    file.ImageQuality = ImageQuality;
    file.Version = Version;
    file.CreateDateTime = CreateDateTime;
    file.LastWriteDateTime = LastWriteDateTime;
}

void CZurDoc::FieldsFrom(const CProjectFile& file)
{
    ProjectName = file.ProjectName;
    ProjectPath = file.ProjectPath;
    BackColor = file.BackColor;
    ImageQuality = file.ImageQuality;
    Version = file.Version;
    CreateDateTime = file.CreateDateTime;
    LastWriteDateTime = file.LastWriteDateTime;
}

void CZurDoc::DeleteContents()
{
    const std::string closing = CCreatedFileJournal::ProjectFileOf(this);
    ProjectName.clear();
    ProjectPath.clear();
    BackColor = 0;
    ImageQuality = 2;
    Version = 2;
    CreateDateTime = QDateTime();
    LastWriteDateTime = QDateTime();
    m_pathName.clear();
    // The cells' folder stays until the purge has removed the added cells'
    // files from it.
    Cells.ClearFlags(CCellInfo::StateDeleted);
    Cells.Purge();
    Cells.DeleteAll();
    Cells.ProjectFolder.clear();
    // What the purge could not know of (the files of a run that was killed).
    CCreatedFileJournal::Detach(this);
    if (!closing.empty())
        CUnsavedFileSweep::Run(closing, this);
    NoteTitle();
}

bool CZurDoc::NewProject(const CProjectSettings& settings)
{
    if (RefuseWhileBusy())
        return false;
    DeleteContents();
    SetModifiedFlag(false);
    ProjectName = settings.name;
    ProjectPath = settings.folder;
    AddBackslash(ProjectPath);
    BackColor = settings.backColor;
    ImageQuality = settings.imageQuality;
    CreateDateTime = LastWriteDateTime = QDateTime::currentDateTime();
    Cells.ProjectFolder = ProjectPath;
    if (ProjectName.empty() || ProjectPath.empty() ||
        !SaveFile(ProjectPath + ProjectName + ".sic")) {
        DeleteContents();
        return false;
    }
    UpdateAllViews();
    return true;
}

bool CZurDoc::Open(const std::string& projectFile)
{
    if (CBusyGuard::RefuseSecondOperation(*this))
        return false;
    // An upgrade rebuilds every picture under a progress window.
    const CBusyGuard busy(*this);
    DeleteContents();
    SetModifiedFlag(false);
    m_cellsRead = m_cellsLeftOut = 0;
    // Through a link the project is the file the link reaches: its cells,
    // its lock and its saves are there, and a save never replaces the link.
    const QFileInfo info(QString::fromStdString(RealFilePath(projectFile)));
    const std::string path = info.absoluteFilePath().toStdString();

    CProjectFile file;
    CProjectFile::ReadStatus status = CProjectFile::ReadInvalid;
    try {
        status = file.ReadFile(path, Cells);
    } catch (...) {
        status = CProjectFile::ReadInvalid;
    }
    if (status == CProjectFile::ReadCannotOpen) {
        DeleteContents();
        const CFileFailure failure = CFileFailure::ForUnopenable(path);
        AskUser(m_prompt, failure.MessageId(), CUserPrompt::Exclamation, CUserPrompt::Ok, path);
        return false;
    }

    bool ok = status == CProjectFile::ReadOk;
    bool upgradeTried = false;
    if (ok) {
        FieldsFrom(file);
        // The project lives where its file is: the folder the file records may
        // be another machine's, or the folder the project was moved from.
        ProjectPath = info.absolutePath().toStdString();
        AddBackslash(ProjectPath);
        Cells.ProjectFolder = ProjectPath;
        m_pathName = path;
        settleJournal(*this, path);
        if (Version >= 2) {
            Cells.ValidateAll(this);
        } else if (AskUser(m_prompt, MsgId::AskUpgradeProject, CUserPrompt::Question,
                           CUserPrompt::OkCancel, path) == CUserPrompt::AnswerOk) {
            upgradeTried = true;
            CProjectUpgrade upgrade(*this);
            ok = upgrade.Run();
            if (ok)
                Version = 2;
        } else {
            ok = false;
        }
    }
    if (!ok) {
        DeleteContents();
        AskUser(m_prompt, upgradeTried ? MsgId::UpgradeFailed : MsgId::FileUnreadable,
                CUserPrompt::Exclamation, CUserPrompt::Ok, path);
        return false;
    }
    SetModifiedFlag(false);
    m_cellsRead = Cells.GetCount();
    for (int i = 0; i < Cells.GetCount(); ++i)
        if (Cells.GetAt(i)->StateFlags & CCellInfo::StateDeleted)
            ++m_cellsLeftOut;
    NoteTitle();
    return true;
}

void CZurDoc::TellCellsLeftOut() const
{
    if (m_cellsLeftOut == 0)
        return;
    AskUser(m_prompt, MsgId::CellsLeftOut, CUserPrompt::Exclamation, CUserPrompt::Ok, m_pathName,
            CResourceBundle::Format(MsgId::CellsLeftOutCount, std::to_string(m_cellsLeftOut),
                                    std::to_string(m_cellsRead)));
}

bool CZurDoc::Save(const std::string& pathArg)
{
    if (CBusyGuard::RefuseSecondOperation(*this))
        return false;
    // Saving rebuilds the pictures that need it, under a progress window.
    const CBusyGuard busy(*this);
    return SaveFile(pathArg);
}

bool CZurDoc::SaveFile(const std::string& pathArg)
{
    const std::string path = pathArg.empty() ? GetPathName() : pathArg;
    if (m_observer)
        m_observer->ClearUndo();
    if (!Cells.RefreshImages(this, m_prompt)) {
        AskUser(m_prompt, MsgId::SaveRefreshFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
        return false;
    }
    const QDateTime previousWrite = LastWriteDateTime;
    LastWriteDateTime = QDateTime::currentDateTime();
    CProjectFile file;
    FieldsTo(file);
    int error = 0;
    const CProjectFile::WriteStatus status = file.WriteFile(path, Cells, &error);
    if (status != CProjectFile::WriteOk) {
        // The old project file is untouched, so the document's time is too.
        LastWriteDateTime = previousWrite;
        switch (status) {
        case CProjectFile::WriteCannotCreate:
            AskUser(m_prompt, MsgId::InvalidFileName, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    path);
            break;
        case CProjectFile::WriteBadCell:
            AskUser(m_prompt, MsgId::FileNotWritten, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    path);
            AskUser(m_prompt, MsgId::DocumentNotSaved, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    path);
            break;
        default:
            // The file and the reason (a full disk above all).
            CSafeFile::ReportFailure(m_prompt, path, error);
            break;
        }
        return false;
    }
    Cells.ClearFlags(CCellInfo::StateAdded | CCellInfo::StateChanged);
    Cells.Purge();
    Cells.PurgeSuperseded();
    settleJournal(*this, path);
    // What an interrupted writer left beside the project file; only what is
    // old enough, as another project of the same folder may be writing.
    const QFileInfo saved(QString::fromStdString(path));
    CSafeFile::RemoveLeftovers(saved.absolutePath().toStdString() + "/",
                               {saved.fileName().toStdString()}, CSafeFile::kProjectLeftoverAge);
    m_pathName = path;
    SetModifiedFlag(false);
    NoteTitle();
    return true;
}

CZurDoc::Relocation CZurDoc::Relocate(const std::string& newName, const std::string& folderArg)
{
    std::string newFolder = folderArg;
    AddBackslash(newFolder);
    const std::string oldFile = GetPathName();
    if (newName.empty() || newFolder.empty())
        return Relocation::Failed;

    bool copied = false;
    std::set<std::string> before;
    if (!IsSamePath(newFolder, ProjectPath)) {
        const uint64_t need =
            Cells.TotalFileSize(false, true) +
            uint64_t(std::max<qint64>(0, QFileInfo(QString::fromStdString(oldFile)).size()));
        before = filesIn(newFolder);
        if (!CheckDiskSpace(m_prompt, newFolder, need, false)) {
            removeAddedFiles(newFolder, before);
            return Relocation::Failed;
        }
        // Temporaries of an interrupted copy into this folder are this
        // copy's to remove; the marker tells a retry whose folder it is.
        CSafeFile::RemoveLeftovers(newFolder, {}, CSafeFile::kProjectLeftoverAge);
        (void)CSafeFile::WriteAll(newFolder + CSafeFile::kUnfinishedMarker, {});
        std::string failedFile;
        if (!Cells.CopyFilesTo(newFolder, false, true, nullptr, &failedFile)) {
            CSafeFile::ReportFailure(m_prompt, failedFile.empty() ? newFolder : failedFile, errno);
            removeAddedFiles(newFolder, before);
            return Relocation::Failed;
        }
        copied = true;
    }

    const std::string newFile = newFolder + newName + ".sic";
    if (!IsSamePath(newFile, oldFile)) {
        ProjectPath = newFolder;
        Cells.ProjectFolder = newFolder;
        ProjectName = newName;
        CreateDateTime = LastWriteDateTime = QDateTime::currentDateTime();
    } else if (!copied) {
        return Relocation::Unchanged;
    }

    if (SaveFile(newFile)) {
        if (copied)
            QFile::remove(QString::fromStdString(newFolder + CSafeFile::kUnfinishedMarker));
        Cells.ValidateAll(this);
        UpdateAllViews();
        return Relocation::Saved;
    }
    if (copied)
        removeAddedFiles(newFolder, before);
    return Relocation::Failed;
}

namespace {

std::unique_ptr<Snapshot> takeSnapshot(const CZurDoc& doc, const std::string& pathName,
                                       bool modified)
{
    auto s = std::make_unique<Snapshot>();
    s->name = doc.ProjectName;
    s->path = doc.ProjectPath;
    s->pathName = pathName;
    s->folder = doc.Cells.ProjectFolder;
    s->created = doc.CreateDateTime;
    s->lastWrite = doc.LastWriteDateTime;
    s->backColor = doc.BackColor;
    s->imageQuality = doc.ImageQuality;
    s->modified = modified;
    s->cells.CopyFrom(&doc.Cells);
    return s;
}

// Puts back the fields and cell values a failed Save as or Project properties
// changed; the colour and quality only for the properties, which change them.
void restoreSnapshot(CZurDoc& doc, const Snapshot& s, bool settingsToo)
{
    doc.ProjectName = s.name;
    doc.ProjectPath = s.path;
    doc.Cells.ProjectFolder = s.folder;
    doc.CreateDateTime = s.created;
    doc.LastWriteDateTime = s.lastWrite;
    if (settingsToo) {
        doc.BackColor = s.backColor;
        doc.ImageQuality = s.imageQuality;
    }
    doc.Cells.RestoreValuesFrom(&s.cells);
}

} // namespace

bool CZurDoc::SaveAs(const std::string& newName, const std::string& newFolder)
{
    if (CBusyGuard::RefuseSecondOperation(*this))
        return false;
    const CBusyGuard busy(*this);
    const std::unique_ptr<Snapshot> backup = takeSnapshot(*this, m_pathName, m_modified);
    m_modified = true;
    switch (Relocate(newName, newFolder)) {
    case Relocation::Saved:
        return true;
    case Relocation::Unchanged:
        m_modified = backup->modified;
        return true;
    case Relocation::Failed:
        break;
    }
    restoreSnapshot(*this, *backup, false);
    m_pathName = backup->pathName;
    m_modified = backup->modified;
    NoteTitle();
    return false;
}

bool CZurDoc::ChangeProperties(const CProjectSettings& settings)
{
    if (CBusyGuard::RefuseSecondOperation(*this))
        return false;
    const CBusyGuard busy(*this);
    const std::unique_ptr<Snapshot> backup = takeSnapshot(*this, m_pathName, m_modified);
    BackColor = settings.backColor;
    ImageQuality = settings.imageQuality;
    m_modified = true;
    switch (Relocate(settings.name, settings.folder)) {
    case Relocation::Saved:
        return true;
    case Relocation::Unchanged:
        // Left modified, to be saved by the next Save.
        if (BackColor != backup->backColor)
            UpdateAllViews();
        if (!backup->modified)
            m_listeners.ModifiedChanged(true);
        if (BackColor != backup->backColor || ImageQuality != backup->imageQuality)
            m_listeners.SettingsChanged();
        return true;
    case Relocation::Failed:
        break;
    }
    restoreSnapshot(*this, *backup, true);
    m_pathName = backup->pathName;
    m_modified = backup->modified;
    NoteTitle();
    return false;
}

int CZurDoc::CreateWorkImage(const std::string& source, const std::string& destination, QSize& size)
{
    return m_imaging.CreateWorkImage(source, destination, size);
}

int CZurDoc::CreateThumbImage(const std::string& source, const std::string& destination,
                              int thumbWidth, int thumbHeight, QSize& size)
{
    return m_imaging.CreateThumbImage(source, destination, thumbWidth, thumbHeight, size);
}

int CZurDoc::CreateCardImage(const std::string& source, const std::string& destination,
                             bool thumbnail)
{
    m_imaging.SetCardSettings(BackColor, ImageQuality);
    return m_imaging.CreateCardImage(source, destination, thumbnail);
}
