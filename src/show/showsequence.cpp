#include "show/showsequence.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/userprompt.h"
#include "document/projectfile.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"
#include "output/cardfolder.h"
#include "output/sfcfile.h"
#include "show/scenarioreader.h"

#include <QFile>
#include <QFileInfo>

namespace {

std::string folderOf(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    return info.absolutePath().toStdString() + "/";
}

std::string shown(const std::string& path)
{
    // Paths are shown without a trailing '/'.
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

} // namespace

bool CShowSequence::Fail(Failure failure, const std::string& file, int line)
{
    m_failure = failure;
    m_failedFile = file;
    m_failedLine = line;
    return false;
}

void CShowSequence::FromCells(const CCellInfoList& cells, uint32_t backColor)
{
    m_steps.clear();
    m_rows.clear();
    m_repeat = false;
    m_failure = NoFailure;
    int row = 0;
    for (int i = 0; i < cells.GetCount(); ++i) {
        const CCellInfo* cell = cells.GetAt(i);
        if (!cell || !cell->IsVisible())
            continue;
        ++row;
        CShowStep step;
        step.on = cell->CellValid != 0;
        step.timed = cell->MotionType != 0;
        step.intervalSec = cell->AutoIntervalSec;
        step.backColor = backColor;
        step.label = cell->GetLabel();
        if (const auto* image = dynamic_cast<const CCellBmpInfo*>(cell)) {
            step.effect = image->Effect;
            step.disolve = image->Disolve;
            step.picture = image->ProjectFilePath(image->FileName);
            step.pictureName = image->FileName.empty() ? image->RefFilePath : image->FileName;
        } else if (const auto* control = dynamic_cast<const CCellCtrlInfo*>(cell)) {
            step.control = true;
            step.inputDev = control->InputDev;
        } else {
            continue;
        }
        m_steps.push_back(std::move(step));
        m_rows.push_back(row);
    }
}

bool CShowSequence::FromProjectFile(const std::string& path)
{
    CProjectFile project;
    CCellInfoList cells;
    const CProjectFile::ReadStatus status = project.ReadFile(path, cells);
    if (status != CProjectFile::ReadOk) {
        m_steps.clear();
        return Fail(status == CProjectFile::ReadInvalid ? Damaged : CannotRead, path);
    }
    // The project folder is the folder the file is in, wherever it was made.
    cells.ProjectFolder = folderOf(path);
    FromCells(cells, project.BackColor);
    return true;
}

bool CShowSequence::AppendScenario(const std::string& pathIn, int scenario)
{
    // Names on a card are found whatever their case.
    std::string path = pathIn;
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        const QFileInfo info(QString::fromStdString(pathIn));
        const std::string found = CCardFolder::Find(folderOf(pathIn), info.fileName().toStdString(),
                                                    CCardFolder::FileEntry);
        if (!found.empty())
            path = found;
    }
    CScenarioReader reader;
    if (!reader.ReadFile(path))
        return Fail(reader.ErrorLine() > 0 ? Damaged : CannotRead, path, reader.ErrorLine());
    const std::string root = folderOf(path);
    const std::string name = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    std::string folder =
        CCardFolder::Find(root, CCardFolder::BaseName(name), CCardFolder::FolderEntry);
    if (!folder.empty())
        folder += "/";
    for (const CScenarioReader::Entry& entry : reader.Entries()) {
        CShowStep step;
        step.control = entry.control;
        step.on = entry.CellValid != 0;
        step.timed = entry.MotionType != 0;
        step.intervalSec = entry.AutoIntervalSec;
        step.backColor = reader.BackColor();
        step.scenario = scenario;
        step.scenarioFile = path;
        if (entry.control) {
            step.inputDev = entry.InputDev;
            step.label = name + ", line " + std::to_string(entry.line);
        } else {
            step.effect = entry.Effect >= 0 && entry.Effect <= 41 ? entry.Effect : 0;
            step.disolve = entry.Disolve;
            step.pictureName = entry.picture;
            step.label = entry.picture;
            if (!folder.empty())
                step.picture = CCardFolder::Find(folder, entry.picture, CCardFolder::FileEntry);
        }
        m_steps.push_back(std::move(step));
    }
    return true;
}

bool CShowSequence::FromScenarioFile(const std::string& path)
{
    m_steps.clear();
    m_rows.clear();
    m_repeat = false;
    m_failure = NoFailure;
    return AppendScenario(path, 0);
}

bool CShowSequence::FromCard(const std::string& rootIn)
{
    m_steps.clear();
    m_rows.clear();
    m_repeat = false;
    m_failure = NoFailure;
    std::string root = rootIn;
    if (root.empty() || root.back() != '/')
        root += '/';
    const std::string listPath =
        CCardFolder::Find(root, CSfcFile::FileName, CCardFolder::FileEntry);
    CSfcFile list;
    if (!listPath.empty()) {
        QFile file(QString::fromStdString(listPath));
        if (!file.open(QIODevice::ReadOnly) || file.size() > CSfcFile::MaxFileSize)
            return Fail(CannotRead, listPath);
        list.Parse(file.readAll());
    }
    int scenario = 0;
    for (const std::string& entry : list.Entries()) {
        if (entry.empty() || !CSfcFile::ScenarioPresent(root, entry))
            continue;
        const std::string path = CCardFolder::Find(root, entry, CCardFolder::FileEntry);
        if (!AppendScenario(path, scenario++))
            return false;
    }
    if (scenario == 0)
        return Fail(NoScenario, root);
    m_repeat = list.Repeat();
    return true;
}

bool CShowSequence::FromPath(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    if (info.isDir())
        return FromCard(info.absoluteFilePath().toStdString());
    const std::string absolute = info.absoluteFilePath().toStdString();
    if (CAsciiCase::EndsWith(absolute, ".sic"))
        return FromProjectFile(absolute);
    if (CAsciiCase::EndsWith(absolute, ".sit"))
        return FromScenarioFile(absolute);
    m_steps.clear();
    return Fail(CannotRead, absolute);
}

bool CShowSequence::HasPlayableStep() const
{
    return FirstOnFrom(0) >= 0;
}

int CShowSequence::FirstOnFrom(int index) const
{
    for (int i = std::max(0, index); i < static_cast<int>(m_steps.size()); ++i) {
        if (m_steps[static_cast<size_t>(i)].on)
            return i;
    }
    return -1;
}

int CShowSequence::PictureCount() const
{
    int count = 0;
    for (const CShowStep& step : m_steps)
        count += step.on && !step.control ? 1 : 0;
    return count;
}

int CShowSequence::PictureNumber(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_steps.size()) ||
        m_steps[static_cast<size_t>(index)].control)
        return 0;
    int number = 0;
    for (int i = 0; i <= index; ++i) {
        const CShowStep& step = m_steps[static_cast<size_t>(i)];
        number += step.on && !step.control ? 1 : 0;
    }
    return number;
}

int CShowSequence::StepOfRow(int row) const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i] >= row && m_steps[i].on)
            return static_cast<int>(i);
    }
    return FirstOnFrom(0);
}

bool CShowSequence::ReportUnplayable(const std::string& what, CUserPrompt* prompt) const
{
    switch (LastFailure()) {
    case CShowSequence::Damaged:
        if (FailedLine() > 0) {
            AskUser(prompt, MsgId::ShowScenarioDamaged, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    shown(FailedFile()), std::to_string(FailedLine()));
        } else {
            AskUser(prompt, MsgId::ShowCannotOpen, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    shown(FailedFile()));
        }
        return true;
    case CShowSequence::CannotRead:
        AskUser(prompt, MsgId::ShowCannotOpen, CUserPrompt::Exclamation, CUserPrompt::Ok,
                shown(FailedFile()));
        return true;
    case CShowSequence::NoScenario:
        AskUser(prompt, MsgId::ShowNoAutorun, CUserPrompt::Exclamation, CUserPrompt::Ok,
                shown(FailedFile()));
        return true;
    case CShowSequence::NoFailure:
        break;
    }
    if (!HasPlayableStep()) {
        AskUser(prompt, MsgId::ShowNothingToPlay, CUserPrompt::Information, CUserPrompt::Ok,
                shown(what));
        return true;
    }
    return false;
}
