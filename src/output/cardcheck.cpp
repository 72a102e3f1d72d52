#include "output/cardcheck.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "output/carddir.h"
#include "output/cardfolder.h"
#include "output/cardlock.h"
#include "output/cardpicture.h"
#include "output/cardscenariowriter.h"
#include "output/scenariocheck.h"
#include "output/sfcfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

QJsonArray toJsonArray(const std::vector<std::string>& texts)
{
    QJsonArray array;
    for (const std::string& t : texts)
        array.append(QString::fromStdString(t));
    return array;
}

} // namespace

std::vector<std::string> CCardCheck::CheckScenario(const std::string& root, const std::string& file)
{
    // The scenario's own name comes from the project name, which may be
    // longer than 8 characters; only the picture names keep to 8 + 3.
    std::vector<std::string> problems;
    if (!CCardFolder::IsPlainName(file))
        problems.push_back(CResourceBundle::Format(MsgId::ScenarioFileDamaged, file));
    QFile in(QString::fromStdString(root + file));
    if (!in.open(QIODevice::ReadOnly)) {
        problems.push_back(CResourceBundle::Format(MsgId::FileUnreadable, file));
        return problems;
    }
    const QByteArray bytes = in.read(CScenarioCheck::MaxFileSize + 1);
    in.close();
    CScenarioCheck scenario;
    if (!scenario.Parse(bytes)) {
        for (int line : scenario.DamagedLines()) {
            problems.push_back(CResourceBundle::Format(
                MsgId::ScenarioFileDamaged, line > 0 ? file + ":" + std::to_string(line) : file));
        }
    }
    const std::string base = CCardFolder::BaseName(file);
    const std::string folder = CCardFolder::Find(root, base, CCardFolder::FolderEntry);
    if (folder.empty()) {
        problems.push_back(CResourceBundle::Format(MsgId::FileGone, base + "/"));
        return problems;
    }
    const std::string folderName = folder.substr(root.size());
    for (const std::string& leftover : CSafeFile::FindLeftovers(folder + "/"))
        problems.push_back(CResourceBundle::Format(MsgId::LeftoverTemporary,
                                                   folderName + leftover.substr(folder.size())));
    for (const CScenarioCheck::Slide& slide : scenario.Slides()) {
        struct Wanted
        {
            const std::string& name;
            bool thumbnail;
        };
        for (const Wanted& wanted : {Wanted{slide.picture, false}, Wanted{slide.thumbnail, true}}) {
            if (!CCardFolder::IsPlainName(wanted.name))
                continue; // already reported as a damaged line
            const std::string shown = folderName + "/" + wanted.name;
            const std::string path =
                CCardFolder::Find(folder + "/", wanted.name, CCardFolder::FileEntry);
            if (path.empty()) {
                problems.push_back(CResourceBundle::Format(MsgId::FileGone, shown));
                continue;
            }
            bool right = false;
            if (wanted.thumbnail)
                right = CCardPicture::Check(path, CCardPicture::Jpeg, 160, 120);
            else if (CAsciiCase::Equal(wanted.name.substr(wanted.name.size() - 4), ".BMP"))
                right = CCardPicture::Check(path, CCardPicture::Bitmap, 1024, 768);
            else
                right = CCardPicture::Check(path, CCardPicture::Jpeg, 1024, 768);
            if (!right)
                problems.push_back(CResourceBundle::Format(MsgId::CardPictureWrong, shown));
        }
    }
    return problems;
}

void CCardCheck::CheckAutorun(const std::string& root)
{
    m_autorunEntries.clear();
    m_autorunRepeat = false;
    m_autorunProblems.clear();
    const std::string path = CCardFolder::Find(root, CSfcFile::FileName, CCardFolder::FileEntry);
    if (path.empty())
        return; // no autorun list is a card that starts nothing by itself
    QFile in(QString::fromStdString(path));
    if (!in.open(QIODevice::ReadOnly)) {
        m_autorunProblems.push_back(
            CResourceBundle::Format(MsgId::FileUnreadable, CSfcFile::FileName));
        return;
    }
    const QByteArray bytes = in.read(CSfcFile::MaxFileSize + 1);
    in.close();
    CSfcFile list;
    const CSfcFile::ParseResult result = list.Parse(bytes);
    if (result == CSfcFile::ParseTooLarge) {
        m_autorunProblems.push_back(
            CResourceBundle::Format(MsgId::FileUnreadable, CSfcFile::FileName));
        return;
    }
    if (result == CSfcFile::ParseRepeatedHeader || list.IsModified())
        m_autorunProblems.push_back(
            CResourceBundle::Format(MsgId::AutorunListDamaged, CSfcFile::FileName));
    m_autorunRepeat = list.Repeat();
    for (const std::string& entry : list.Entries()) {
        if (entry.empty())
            continue;
        m_autorunEntries.push_back(entry);
        if (!CSfcFile::ScenarioPresent(root, entry))
            m_autorunProblems.push_back(CResourceBundle::Format(MsgId::AutorunEntryMissing, entry));
    }
}

void CCardCheck::CheckRoot(const std::string& root)
{
    m_cardProblems.clear();
    m_cardNotes.clear();
    CCardDir card;
    if (card.OpenRoot(root))
        for (const std::string& name : card.Names())
            if (CCardScenarioWriter::IsLeftover(name))
                m_cardNotes.push_back(CResourceBundle::Format(MsgId::CardLeftoverNote, name));
    std::sort(m_cardNotes.begin(), m_cardNotes.end());
    for (const std::string& leftover : CCardLock::RootLeftovers(root))
        m_cardProblems.push_back(
            CResourceBundle::Format(MsgId::LeftoverTemporary, leftover.substr(root.size())));
    // A folder of card pictures (and nothing else) without the scenario
    // file of its name: what a send or deletion left when it was stopped.
    // Other folders of the card (a camera's, the user's) are not looked at.
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(root), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.' || !entry.is_directory(ec) || entry.is_symlink(ec))
            continue;
        if (!CCardFolder::Find(root, name + ".SIT", CCardFolder::FileEntry).empty())
            continue;
        int pictures = 0;
        bool other = false;
        for (const fs::directory_entry& file : fs::directory_iterator(entry.path(), ec)) {
            const std::string fileName = file.path().filename().string();
            if (fileName.rfind(CSafeFile::kTempPrefix, 0) == 0)
                continue;
            const std::string ext = fileName.size() > 4
                                        ? CAsciiCase::Upper(fileName.substr(fileName.size() - 4))
                                        : std::string();
            if (file.is_regular_file(ec) && (ext == ".JPG" || ext == ".BMP" || ext == ".JPS"))
                ++pictures;
            else
                other = true;
        }
        if (pictures > 0 && !other)
            m_cardProblems.push_back(
                CResourceBundle::Format(MsgId::ScenarioFolderOrphan, name + "/"));
    }
}

bool CCardCheck::Run(const std::string& root)
{
    m_scenarios.clear();
    if (!FolderExists(root))
        return false;
    for (const std::string& file : CCardFolder::FilesWithExtension(root, ".SIT"))
        m_scenarios.push_back({file, CheckScenario(root, file)});
    CheckAutorun(root);
    CheckRoot(root);
    return true;
}

bool CCardCheck::Ok() const
{
    // A card without any scenario plays nothing: not a card ready for a show.
    return !m_scenarios.empty() && m_autorunProblems.empty() && m_cardProblems.empty() &&
           std::all_of(m_scenarios.begin(), m_scenarios.end(),
                       [](const Scenario& s) { return s.Ok(); });
}

QByteArray CCardCheck::ToJson() const
{
    QJsonArray scenarios;
    for (const Scenario& s : m_scenarios) {
        scenarios.append(QJsonObject{{"file", QString::fromStdString(s.file)},
                                     {"ok", s.Ok()},
                                     {"problems", toJsonArray(s.problems)}});
    }
    const QJsonObject autorun{{"entries", toJsonArray(m_autorunEntries)},
                              {"repeat", m_autorunRepeat},
                              {"problems", toJsonArray(m_autorunProblems)}};
    const QJsonObject root{{"ok", Ok()},
                           {"scenarios", scenarios},
                           {"autorun", autorun},
                           {"problems", toJsonArray(m_cardProblems)},
                           {"notes", toJsonArray(m_cardNotes)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
