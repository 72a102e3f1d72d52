#include "output/scenarioexport.h"

#include "base/appfolders.h"
#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/progress.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "base/volumelist.h"
#include "document/busyguard.h"
#include "document/zurdoc.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "output/cardfolder.h"
#include "output/cardlock.h"
#include "output/cardoffer.h"
#include "output/cardscenariowriter.h"
#include "output/scenariocheck.h"
#include "output/scenariofile.h"
#include "presentation/slideexport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QLockFile>
#include <QMutex>
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
    std::string name;           // N
    std::string staging;        // T, trailing '/'
    std::string stagedScenario; // T + N + ".sit"
    std::unique_ptr<QLockFile> stagingLock;
    CCardIdentity card;    // the card as chosen
    CCardDir dir;          // its root, opened once
    std::string oldFile;   // the scenario file already on the card (any case), "" none
    std::string oldFolder; // its folder's name, "" none
    bool writingStarted = false;
    bool removeOldFirst = false; // no room for the old show beside the new
    bool rootWasMount = false;   // the card is a volume, not a plain folder
    uint64_t growth = 0;         // the room the new files take beyond the old
    uint64_t total = 0;          // the room the new files take beside the old
    CCardDir::Failure failure;   // what stopped writing the card
    bool cardGone = false;
    std::vector<std::string> checkProblems;
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
    if (!m_card.freeBytes)
        m_card.freeBytes = FreeBytes;
    if (!m_card.checkSpace)
        m_card.checkSpace = [free = m_card.freeBytes](CUserPrompt* prompt, const std::string& root,
                                                      uint64_t need) {
            return CardRoom(prompt, root, need, free(root));
        };
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
    project.exportSlide = [](const std::string& presentation, int page,
                             const std::string& destination, int width, int height) {
        // Rare (a display image lost from the project): one at a time.
        static QMutex mutex;
        const QMutexLocker lock(&mutex);
        return ::ExportPresentationSlide(presentation, destination, page, width, height);
    };
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
    state.name = project.name;
    AddBackslash(state.root);
    if (state.root.empty() || !project.cells)
        return Declined;
    state.card = m_chosenCard.IsValid() ? m_chosenCard : CCardIdentity::Of(state.root);
    if (!AskToSend(project, state))
        return Declined;
    // The card may have been taken out, or another put in its place, while
    // the question was open.
    if (state.card.IsValid() && CCardIdentity::Of(state.root) != state.card) {
        NotReady(state);
        AskUser(m_prompt, MsgId::SendFailed, CUserPrompt::Exclamation, CUserPrompt::Ok,
                project.name);
        return Failed;
    }
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
    CleanUp(state);
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
        ReportWriteFailure(project, state);
    // Which cell and which file stopped it, then that the send failed.
    if (m_rowFailure.row > 0) {
        const int id = m_rowFailure.copy       ? MsgId::SendRowNotCopied
                       : m_rowFailure.noSource ? MsgId::SendRowPictureMissing
                                               : MsgId::SendRowNotConverted;
        AskUser(m_prompt, id, CUserPrompt::Exclamation, CUserPrompt::Ok,
                std::to_string(m_rowFailure.row), m_rowFailure.file);
    }
    AskUser(m_prompt, MsgId::SendFailed, CUserPrompt::Exclamation, CUserPrompt::Ok, project.name);
    return Failed;
}

bool CScenarioExport::AskToSend(const Project& project, const State& state)
{
    CCardDir dir;
    std::string file;
    std::string folder;
    if (CCardFolder::IsPlainName(project.name) && dir.OpenRoot(state.root)) {
        file = dir.Find(project.name + ".sit");
        folder = dir.Find(project.name);
    }
    if (file.empty() && folder.empty())
        return AskUser(m_prompt, MsgId::AskSendToCard, CUserPrompt::Question, CUserPrompt::OkCancel,
                       project.name, state.root) == CUserPrompt::AnswerOk;
    if (!m_prompt)
        return false;
    // How many pictures the show on the card has: its scenario's slides, or
    // the pictures of its folder when the file is gone.
    size_t oldPictures = 0;
    QByteArray bytes;
    CScenarioCheck old;
    if (!file.empty() && dir.ReadFile(file, CScenarioCheck::MaxFileSize, bytes)) {
        old.Parse(bytes);
        oldPictures = old.Slides().size();
    }
    std::vector<std::string> others;
    CCardDir oldFolder = folder.empty() ? CCardDir() : dir.OpenFolder(folder);
    for (const std::string& entry : oldFolder.Names()) {
        if (CCardScenarioWriter::IsScenarioPicture(entry, project.name)) {
            if (file.empty() && !CAsciiCase::EndsWith(entry, ".JPS"))
                ++oldPictures;
        } else if (entry.rfind(CSafeFile::kTempPrefix, 0) != 0) {
            others.push_back(entry);
        }
    }
    std::sort(others.begin(), others.end());
    std::string text = m_prompt->FillMessage(
        MsgId::AskReplaceScenario, project.name,
        m_prompt->FillMessage(MsgId::ReplacedPictures, std::to_string(oldPictures),
                              std::to_string(project.cells->VisibleImageCount())));
    if (!others.empty()) {
        std::string list;
        for (const std::string& other : others)
            list += (list.empty() ? "" : ", ") + other;
        text += "\n" + m_prompt->FillMessage(MsgId::OtherFilesStay, list);
    }
    return m_prompt->Show(MsgId::AskReplaceScenario, text, CUserPrompt::Question,
                          CUserPrompt::ReplaceCancel) == CUserPrompt::AnswerYes;
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

void CScenarioExport::NotReady(const State& state)
{
    AskUser(m_prompt, MsgId::CardNotReady, CUserPrompt::Exclamation, CUserPrompt::Ok,
            shownRoot(state.root));
}

bool CScenarioExport::CheckCardNames(const Project& project, State& state)
{
    if (!state.dir.OpenRoot(state.root))
        return false;
    if (state.card.IsValid() && (state.dir.Identity().device != state.card.device ||
                                 state.dir.Identity().inode != state.card.inode)) {
        NotReady(state);
        return false;
    }
    const std::string names[] = {state.dir.Find(project.name + ".sit"),
                                 state.dir.Find(project.name)};
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        const CCardDir::EntryType type = state.dir.TypeOf(name);
        if (type == CCardDir::Link) {
            AskUser(m_prompt,
                    CCardDir::LinkLeaves(state.root, name) ? MsgId::CardLinkOutside
                                                           : MsgId::CardLinkInside,
                    CUserPrompt::Exclamation, CUserPrompt::Ok, state.root + name);
            return false;
        }
        if (type == CCardDir::Other) {
            AskUser(m_prompt, MsgId::CardFolderOtherVolume, CUserPrompt::Exclamation,
                    CUserPrompt::Ok, state.root + name);
            return false;
        }
    }
    state.oldFile = names[0];
    state.oldFolder = names[1];
    return true;
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
    if (!CheckCardNames(project, state))
        return false;

    const std::string name = project.name;
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
    // A display image lost from the project is made again from its source,
    // beside the staged pictures, never in the project folder.
    const std::string rebuilt = state.staging + "display/";
    writer.SetRebuild(QDir().mkpath(QString::fromStdString(rebuilt)) ? rebuilt : std::string(),
                      project.exportSlide);
    const bool written = writer.WriteCardImages(*project.cells, state.staging, m_progress);
    QDir(QString::fromStdString(rebuilt)).removeRecursively();
    m_timing.conversionMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!written) {
        m_rowFailure = writer.FirstFailure();
        return false;
    }
    return ChooseRoom(state);
}

bool CScenarioExport::ChooseRoom(State& state)
{
    // The new show is written beside the old one, which stays whole until
    // the new one is: that needs room for both. Without it, the old show
    // can go first, when the user agrees, and only its growth must fit.
    const uint64_t unit = allocationUnit(state.root);
    uint64_t oldBytes = 0;
    if (!state.oldFolder.empty()) {
        const CCardDir folder = state.dir.OpenFolder(state.oldFolder);
        for (const std::string& entry : folder.Names())
            if (CCardScenarioWriter::IsScenarioPicture(entry, state.name))
                oldBytes += allocatedSize(folder.SizeOf(entry), unit);
    }
    if (!state.oldFile.empty())
        oldBytes += allocatedSize(state.dir.SizeOf(state.oldFile), unit);
    state.total = allocatedFolderSize(state.staging, unit);
    state.growth = state.total > oldBytes ? state.total - oldBytes : 0;
    const int64_t free = m_card.freeBytes(state.root);
    if (free >= 0 && uint64_t(free) >= state.total)
        return true;
    if (free < 0 || uint64_t(free) < state.growth || oldBytes == 0)
        return m_card.checkSpace(m_prompt, state.root, oldBytes == 0 ? state.total : state.growth);
    if (AskUser(m_prompt, MsgId::AskRemoveOldShowFirst, CUserPrompt::Question, CUserPrompt::YesNo,
                shownRoot(state.root), state.name) != CUserPrompt::AnswerYes)
        return false;
    state.removeOldFirst = true;
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
    CCardScenarioWriter::Input input;
    input.name = project.name;
    input.staging = state.staging;
    input.removeOldFirst = state.removeOldFirst;
    input.verify = m_verify;
    QFile staged(QString::fromStdString(state.stagedScenario));
    if (!staged.open(QIODevice::ReadOnly))
        return false;
    input.scenario = staged.readAll();
    for (int i = 0; i < project.cells->GetCount(); ++i) {
        const CCellInfo* cell = project.cells->GetAt(i);
        if (cell && cell->IsVisible() && cell->CellType == CCellInfo::Type::Image) {
            const auto* image = static_cast<const CCellBmpInfo*>(cell);
            input.cells.push_back({image->CardFileName, image->CardThumbName});
        }
    }
    if (m_progress)
        m_progress->StepIt();
    state.writingStarted = true;
    CCardScenarioWriter writer(state.dir);
    writer.SetStepHook(m_card.step);
    writer.SetCardCheck([&state] { return state.dir.StillAt(state.root); });
    const CCardScenarioWriter::Outcome outcome = writer.Write(input, m_progress);
    m_timing.copyMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    state.failure = writer.Failure();
    state.cardGone = writer.CardGone();
    state.checkProblems = writer.CheckProblems();
    if (outcome == CCardScenarioWriter::Failed && !state.failure.path.empty()) {
        // The cell whose file the card refused.
        const std::string file = fs::path(state.failure.path).filename().string();
        int row = 0;
        for (int i = 0; i < project.cells->GetCount() && m_rowFailure.row == 0; ++i) {
            const CCellInfo* cell = project.cells->GetAt(i);
            if (!cell || !cell->IsVisible())
                continue;
            ++row;
            const auto* image = dynamic_cast<const CCellBmpInfo*>(cell);
            if (image && (image->CardFileName == file || image->CardThumbName == file))
                m_rowFailure = {row, state.dir.Path() + state.oldFolder + "/" + file, true};
        }
        if (m_rowFailure.row > 0 && state.oldFolder.empty())
            m_rowFailure.file = state.dir.Path() + project.name + "/" + file;
    }
    return outcome == CCardScenarioWriter::Written && !state.cardGone &&
           state.dir.StillAt(state.root);
}

void CScenarioExport::CleanUp(State& state)
{
    if (!state.staging.empty()) {
        EmptyFolder(state.staging);
        removeFolder(state.staging);
    }
    if (state.stagingLock)
        state.stagingLock->unlock();
}

void CScenarioExport::ReportWriteFailure(const Project& project, const State& state)
{
    if (state.cardGone || CCardOffer::Gone(state.root, state.rootWasMount) ||
        !state.dir.StillAt(state.root)) {
        AskUser(m_prompt, MsgId::CardGoneDuringSend, CUserPrompt::Exclamation, CUserPrompt::Ok,
                shownRoot(state.root));
        return;
    }
    if (!state.checkProblems.empty()) {
        std::string problems;
        for (const std::string& problem : state.checkProblems)
            problems += "\n" + problem;
        AskUser(m_prompt, MsgId::CardCheckAfterSend, CUserPrompt::Exclamation, CUserPrompt::Ok,
                project.name, problems);
        return;
    }
    const CCardDir::Failure& failure = state.failure;
    if (failure.error == ENOSPC || failure.error == EDQUOT) {
        const int64_t free = FreeBytes(state.root);
        if (m_prompt)
            m_prompt->Show(MsgId::CardFull,
                           SpaceMessage(MsgId::CardFull, state.root, MsgId::SpaceNeededFree,
                                        state.removeOldFirst ? state.growth : state.total,
                                        uint64_t(std::max<int64_t>(free, 0))),
                           CUserPrompt::Exclamation, CUserPrompt::Ok);
    } else if (failure.error == ELOOP) {
        AskUser(m_prompt, MsgId::CardLinkInside, CUserPrompt::Exclamation, CUserPrompt::Ok,
                failure.path);
    } else if (failure.error == EBADMSG) {
        AskUser(m_prompt, MsgId::CardVerifyFailed, CUserPrompt::Exclamation, CUserPrompt::Ok,
                shownRoot(state.root), failure.path);
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
    return CardRoom(prompt, root, need, FreeBytes(root));
}

bool CScenarioExport::CardRoom(CUserPrompt* prompt, const std::string& root, uint64_t need,
                               int64_t free)
{
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
