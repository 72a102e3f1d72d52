#include "output/cardcheck.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/resourcebundle.h"
#include "output/cardfolder.h"
#include "output/cardpicture.h"
#include "output/scenariocheck.h"
#include "output/sfcfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>

namespace {

QJsonArray toJsonArray(const std::vector<std::string>& texts)
{
    QJsonArray array;
    for (const std::string& t : texts)
        array.append(QString::fromStdString(t));
    return array;
}

} // namespace

std::vector<std::string> CCardCheck::CheckScenario(const std::string& root,
                                                   const std::string& file)
{
    std::vector<std::string> problems;
    if (!CScenarioCheck::IsShortName(file))
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
    for (const CScenarioCheck::Slide& slide : scenario.Slides()) {
        struct Wanted
        {
            const std::string& name;
            bool thumbnail;
        };
        for (const Wanted& wanted : {Wanted{slide.picture, false}, Wanted{slide.thumbnail, true}}) {
            if (!CCardFolder::IsPlainName(wanted.name))
                continue;  // already reported as a damaged line
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
        return;  // no autorun list is a card that starts nothing by itself
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
    if (result == CSfcFile::ParseDamaged) {
        m_autorunProblems.push_back(
            CResourceBundle::Format(MsgId::FileUnreadable, CSfcFile::FileName));
        return;
    }
    if (result == CSfcFile::ParseRepeatedHeader)
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

bool CCardCheck::Run(const std::string& root)
{
    m_scenarios.clear();
    if (!FolderExists(root))
        return false;
    for (const std::string& file : CCardFolder::FilesWithExtension(root, ".SIT"))
        m_scenarios.push_back({file, CheckScenario(root, file)});
    CheckAutorun(root);
    return true;
}

bool CCardCheck::Ok() const
{
    return m_autorunProblems.empty() &&
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
    const QJsonObject root{{"ok", Ok()}, {"scenarios", scenarios}, {"autorun", autorun}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
