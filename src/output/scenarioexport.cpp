#include "output/scenarioexport.h"

#include "base/appfolders.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/progress.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "base/volumelist.h"
#include "document/busyguard.h"
#include "document/zurdoc.h"
#include "model/cellinfolist.h"
#include "output/cardfolder.h"
#include "output/cardlock.h"
#include "output/cardoffer.h"
#include "output/scenariofile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QLockFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

struct CScenarioExport::State
{
    std::string root;           // R, trailing '/'
    std::string scenarioFile;   // R + N + ".sit", the file this send writes
    std::string oldScenario;    // the scenario file already on the card (any case)
    std::string folder;         // F, trailing '/'
    std::string staging;        // T, trailing '/'
    std::string stagedScenario; // T + N + ".sit"
    std::unique_ptr<QLockFile> stagingLock;
    bool oldScenarioPresent = false;
    bool folderCreatedHere = false;
    bool writingStarted = false;
    bool rootWasMount = false; // the card is a volume, not a plain folder
    uint64_t growth = 0;       // the room the new files take beyond the old
};

namespace {

constexpr const char* kStagingName = "Temp3";

// Bytes the files of `folder` that EmptyFolder would delete take on a volume
// whose allocation unit is `unit`: a card stores whole clusters.
uint64_t allocatedSize(uint64_t size, uint64_t unit)
{
    return unit > 1 ? (size + unit - 1) / unit * unit : size;
}

uint64_t allocatedFolderSize(const std::string& folder, uint64_t unit)
{
    uint64_t total = 0;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec)
        return 0;
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.' || !entry.is_regular_file(ec))
            continue;
        const uintmax_t size = entry.file_size(ec);
        if (!ec)
            total += allocatedSize(size, unit);
    }
    return total;
}

uint64_t allocationUnit(const std::string& root)
{
    struct statvfs vfs
    {
    };
    if (statvfs(root.c_str(), &vfs) != 0 || vfs.f_frsize == 0)
        return 1;
    return vfs.f_frsize;
}

bool removeFile(const std::string& path)
{
    std::error_code ec;
    fs::remove(fs::path(path), ec);
    return !ec && !fs::exists(fs::symlink_status(fs::path(path), ec));
}

// A card's root as messages show paths: without the trailing '/'.
std::string shownRoot(std::string root)
{
    if (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

void removeFolder(const std::string& folder)
{
    std::error_code ec;
    fs::remove(fs::path(folder), ec);
}

} // namespace

CScenarioExport::CScenarioExport(CUserPrompt* prompt, CProgress* progress)
    : m_prompt(prompt), m_progress(progress)
{
    SetCardOperations({});
}

void CScenarioExport::SetCardOperations(CardOperations operations)
{
    m_card = std::move(operations);
    if (!m_card.copyFile)
        m_card.copyFile = [](const std::string& source, const std::string& destination) {
            // One flush of the whole card after the pictures costs far less
            // than waiting for the card after every file.
            return CopyFileKeepTime(source, destination, false);
        };
    if (!m_card.flush)
        m_card.flush = CSafeFile::FlushVolume;
    if (!m_card.checkSpace)
        m_card.checkSpace = CheckCardRoom;
}

CScenarioExport::Project CScenarioExport::ProjectOf(CZurDoc& document)
{
    Project project;
    project.name = document.ProjectName;
    project.backColor = document.BackColor;
    project.imageQuality = document.ImageQuality;
    project.cells = &document.Cells;
    project.hosts = CImagingHost::MakeFactory(document.BackColor, document.ImageQuality,
                                              CImagingHost::NoSpaceCheck);
    return project;
}

bool CScenarioExport::CanSend(const CZurDoc& document)
{
    return !document.IsModified();
}

CScenarioExport::Outcome CScenarioExport::Send(CZurDoc& document, const std::string& cardRoot)
{
    if (!CanSend(document)) {
        // Changed after the send was chosen: say so rather than do nothing.
        AskUser(m_prompt, MsgId::SendProjectChanged, CUserPrompt::Exclamation, CUserPrompt::Ok,
                document.ProjectName);
        return Declined;
    }
    if (CBusyGuard::RefuseSecondOperation(document))
        return Declined;
    // Nothing may change or close the project while its cells are read.
    const CBusyGuard busy(document);
    return Send(ProjectOf(document), cardRoot);
}

CScenarioExport::Outcome CScenarioExport::Send(const Project& project, const std::string& cardRoot)
{
    m_wantsAutorun = false;
    m_timing = {};
    m_rowFailure = {};
    State state;
    state.root = cardRoot;
    AddBackslash(state.root);
    if (state.root.empty() || !project.cells)
        return Declined;
    if (AskUser(m_prompt, MsgId::AskSendToCard, CUserPrompt::Question, CUserPrompt::OkCancel,
                project.name, state.root) != CUserPrompt::AnswerOk)
        return Declined;
    // One writer of a card at a time; the temporaries an interrupted one
    // left in the root are then this send's to remove.
    CCardLock cardLock;
    if (!cardLock.Acquire(state.root)) {
        if (m_prompt)
            m_prompt->Show(cardLock.FailureMessageId(), cardLock.FailureMessage(),
                           CUserPrompt::Exclamation, CUserPrompt::Ok);
        AskUser(m_prompt, MsgId::SendFailed, CUserPrompt::Exclamation, CUserPrompt::Ok,
                project.name);
        return Failed;
    }
    if (cardLock.IsHeld())
        CCardLock::RemoveRootLeftovers(state.root);

    const int n = project.cells->GetCount();
    if (m_progress) {
        m_progress->SetCaption(CResourceBundle::Text(MsgId::ProgressCaption));
        m_progress->SetPos(0);
        m_progress->SetStep(1);
        m_progress->SetRange(0, n + 2);
        m_progress->Show(true);
        m_progress->SetText(CResourceBundle::Text(MsgId::GettingReady));
    }
    const bool success = Run(project, state);
    CleanUp(state, success);
    if (m_progress)
        m_progress->Show(false);

    if (success) {
        if (m_offerAutorun) {
            m_wantsAutorun = AskUser(m_prompt, MsgId::AskEditAutorun, CUserPrompt::Question,
                                     CUserPrompt::YesNo, project.name) == CUserPrompt::AnswerYes;
        }
        return Sent;
    }
    if (state.writingStarted && !(m_progress && m_progress->IsCancelled()))
        ReportWriteFailure(state);
    if (state.folderCreatedHere || state.writingStarted)
        EmptyFolder(state.folder);
    if (state.folderCreatedHere)
        removeFolder(state.folder);
    // Which cell and which file stopped it, then that the send failed.
    if (m_rowFailure.row > 0)
        AskUser(m_prompt, m_rowFailure.copy ? MsgId::SendRowNotCopied : MsgId::SendRowNotConverted,
                CUserPrompt::Exclamation, CUserPrompt::Ok, std::to_string(m_rowFailure.row),
                m_rowFailure.file);
    AskUser(m_prompt, MsgId::SendFailed, CUserPrompt::Exclamation, CUserPrompt::Ok, project.name);
    return Failed;
}

bool CScenarioExport::Run(const Project& project, State& state)
{
    // The name becomes a file and a folder in the card's root: it must stay
    // there, and it must never name the root itself.
    if (!CCardFolder::IsPlainName(project.name))
        return false;
    if (!Stage(project, state))
        return false;
    return WriteCard(project, state);
}

bool CScenarioExport::Stage(const Project& project, State& state)
{
    // The staging folder. Another send running at the same time (a second
    // command line) keeps its own, so neither empties the other's files.
    const std::string work = CAppFolders::WorkRoot();
    if (work.empty())
        return false;
    for (int k = 1; k <= 100 && !state.stagingLock; ++k) {
        const std::string name = k == 1 ? kStagingName : kStagingName + ("-" + std::to_string(k));
        auto lock = std::make_unique<QLockFile>(QString::fromStdString(work + name + ".lock"));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            state.stagingLock = std::move(lock);
            state.staging = work + name + "/";
        }
    }
    if (!state.stagingLock || !QDir().mkpath(QString::fromStdString(state.staging)) ||
        !EmptyFolder(state.staging))
        return false;

    if (!EnsureDriveReady(m_prompt, state.root))
        return false;
    state.rootWasMount = CVolumeList::RootOf(state.root) == state.root;

    const std::string name = project.name;
    state.scenarioFile = state.root + name + ".sit";
    state.oldScenario = CCardFolder::Find(state.root, name + ".sit", CCardFolder::FileEntry);
    if (!state.oldScenario.empty()) {
        state.oldScenarioPresent = true;
        if (AskUser(m_prompt, MsgId::AskUseExistingFolder, CUserPrompt::Question,
                    CUserPrompt::YesNo, state.oldScenario) != CUserPrompt::AnswerYes)
            return false;
    }
    const std::string oldFolder = CCardFolder::Find(state.root, name, CCardFolder::FolderEntry);
    if (!oldFolder.empty()) {
        state.folder = oldFolder + "/";
        if (AskUser(m_prompt, MsgId::AskUseExistingFolder, CUserPrompt::Question,
                    CUserPrompt::YesNo, state.folder) != CUserPrompt::AnswerYes)
            return false;
    } else {
        state.folder = state.root + name + "/";
        std::error_code ec;
        if (!fs::create_directory(fs::path(state.root + name), ec) || ec) {
            AskUser(m_prompt, MsgId::FolderNotCreated, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    state.folder);
            return false;
        }
        state.folderCreatedHere = true;
    }

    if (m_progress) {
        m_progress->StepIt();
        m_progress->SetText(CResourceBundle::Text(MsgId::ConvertingForCard));
    }
    QElapsedTimer timer;
    timer.start();
    project.cells->AssignCardNames(name, project.imageQuality == 0 ? ".bmp" : ".jpg");
    state.stagedScenario = state.staging + name + ".sit";
    // Staged like the pictures: the copy on the card is the one that must last.
    if (!CScenarioFile::Write(state.stagedScenario, name, project.backColor, *project.cells, false))
        return false;
    if (m_progress) {
        m_progress->StepIt();
        if (m_progress->IsCancelled())
            return false;
    }
    CCardImageWriter writer(project.hosts, m_threads);
    writer.SetDurable(false); // staged: the copy to the card is what must last
    const bool written = writer.WriteCardImages(*project.cells, state.staging, m_progress);
    m_timing.conversionMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!written) {
        m_rowFailure = writer.FirstFailure();
        return false;
    }

    // Room for the growth only: the old scenario's files go first.
    const uint64_t unit = allocationUnit(state.root);
    uint64_t oldBytes = allocatedFolderSize(state.folder, unit);
    if (state.oldScenarioPresent) {
        std::error_code ec;
        const uintmax_t size = fs::file_size(fs::path(state.oldScenario), ec);
        if (!ec)
            oldBytes += allocatedSize(size, unit);
    }
    const uint64_t newBytes = allocatedFolderSize(state.staging, unit);
    state.growth = newBytes > oldBytes ? newBytes - oldBytes : 0;
    if (newBytes > oldBytes && !m_card.checkSpace(m_prompt, state.root, newBytes - oldBytes))
        return false;
    return true;
}

bool CScenarioExport::WriteCard(const Project& project, State& state)
{
    const int n = project.cells->GetCount();
    if (m_progress) {
        m_progress->SetText(CResourceBundle::Format(MsgId::CopyingToCard, project.name));
        m_progress->SetPos(0);
        m_progress->SetRange(0, n + 2);
        if (m_progress->IsCancelled())
            return false;
    }
    QElapsedTimer timer;
    timer.start();
    state.writingStarted = true;
    CSafeFile::ClearLastFailure();
    if (state.oldScenarioPresent && !removeFile(state.oldScenario))
        return false;
    if (!EmptyFolder(state.folder) || !CSafeFile::RemoveLeftovers(state.folder))
        return false;
    if (m_progress)
        m_progress->StepIt();
    // The pictures first and the scenario file last: a card pulled or a
    // program stopped half-way never holds a scenario file that names
    // pictures it does not have.
    if (!CCardImageWriter::CopyCardFiles(*project.cells, state.staging, state.folder, m_progress,
                                         m_card.copyFile, &m_rowFailure))
        return false;
    if (m_progress && m_progress->IsCancelled())
        return false;
    if (!m_card.flush(state.folder))
        return false;
    if (!m_card.copyFile(state.stagedScenario, state.scenarioFile) || !m_card.flush(state.root))
        return false;
    if (m_progress)
        m_progress->StepIt();
    m_timing.copyMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return true;
}

void CScenarioExport::CleanUp(State& state, bool success)
{
    if (!state.staging.empty()) {
        EmptyFolder(state.staging);
        removeFolder(state.staging);
    }
    if (state.stagingLock)
        state.stagingLock->unlock();
    if (!success && state.writingStarted) {
        removeFile(state.scenarioFile);
        if (state.oldScenarioPresent)
            removeFile(state.oldScenario);
    }
}

void CScenarioExport::ReportWriteFailure(const State& state)
{
    if (CCardOffer::Gone(state.root, state.rootWasMount)) {
        AskUser(m_prompt, MsgId::CardGoneDuringSend, CUserPrompt::Exclamation, CUserPrompt::Ok,
                shownRoot(state.root));
        return;
    }
    const CSafeFile::Failure failure = CSafeFile::LastFailure();
    if (failure.error == ENOSPC || failure.error == EDQUOT) {
        const int64_t free = FreeBytes(state.root);
        if (m_prompt)
            m_prompt->Show(MsgId::CardFull,
                           SpaceMessage(MsgId::CardFull, state.root, MsgId::SpaceNeededFree,
                                        state.growth, uint64_t(std::max<int64_t>(free, 0))),
                           CUserPrompt::Exclamation, CUserPrompt::Ok);
    } else if (failure.error != 0) {
        AskUser(m_prompt, MsgId::CardWriteError, CUserPrompt::Exclamation, CUserPrompt::Ok,
                shownRoot(state.root), std::strerror(failure.error));
    }
}

uint64_t CScenarioExport::LeastGrowth(const CCellInfoList& cells, int imageQuality,
                                      const std::string& name, const std::string& root)
{
    std::string card = root;
    AddBackslash(card);
    const uint64_t unit = allocationUnit(card);
    // A card BMP: 1024 x 768 pixels of 3 bytes, rows need no padding.
    constexpr uint64_t kBmpBytes = 54 + 1024ULL * 768 * 3;
    const uint64_t picture = imageQuality == 0 ? allocatedSize(kBmpBytes, unit) : unit;
    uint64_t need = unit; // the scenario file
    for (int i = 0; i < cells.GetCount(); ++i)
        if (cells.GetAt(i)->IsVisible() && cells.GetAt(i)->CellType == CCellInfo::Type::Image)
            need += picture + unit;
    // What the scenario of the same name frees when it is replaced.
    uint64_t old = 0;
    if (!name.empty() && CCardFolder::IsPlainName(name)) {
        const std::string folder = CCardFolder::Find(card, name, CCardFolder::FolderEntry);
        if (!folder.empty())
            old += allocatedFolderSize(folder + "/", unit);
        const std::string file = CCardFolder::Find(card, name + ".sit", CCardFolder::FileEntry);
        std::error_code ec;
        if (!file.empty()) {
            const uintmax_t size = fs::file_size(fs::path(file), ec);
            if (!ec)
                old += allocatedSize(size, unit);
        }
    }
    return need > old ? need - old : 0;
}

int64_t CScenarioExport::FreeBytes(const std::string& root)
{
    struct statvfs vfs
    {
    };
    if (root.empty() || statvfs(root.c_str(), &vfs) != 0)
        return -1;
    return int64_t(uint64_t(vfs.f_bavail) * vfs.f_frsize);
}

std::string CScenarioExport::SpaceMessage(int id, const std::string& root, int figuresId,
                                          uint64_t need, uint64_t free)
{
    const QLocale locale;
    const std::string figures =
        CResourceBundle::Format(figuresId, locale.formattedDataSize(qint64(need)).toStdString(),
                                locale.formattedDataSize(qint64(free)).toStdString());
    return CResourceBundle::Format(id, shownRoot(root), figures);
}

bool CScenarioExport::CheckCardRoom(CUserPrompt* prompt, const std::string& root, uint64_t need)
{
    const int64_t free = FreeBytes(root);
    if (free < 0) // the system's reason
        return CheckDiskSpace(prompt, root, need, false);
    if (uint64_t(free) >= need)
        return true;
    if (prompt)
        prompt->Show(
            MsgId::CardFull,
            SpaceMessage(MsgId::CardFull, root, MsgId::SpaceNeededFree, need, uint64_t(free)),
            CUserPrompt::Exclamation, CUserPrompt::Ok);
    return false;
}
