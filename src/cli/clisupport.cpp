#include "cli/clisupport.h"

#include "base/appfolders.h"
#include "base/filefailure.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/samepath.h"
#include "cli/cliprompt.h"
#include "document/projectcheck.h"
#include "document/projectdlgchecks.h"
#include "document/projectlock.h"
#include "document/zurdoc.h"
#include "editor/celldialogrules.h"
#include "model/cellinfolist.h"

#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <unistd.h>

std::string CliHomeFolder()
{
    return CAppFolders::HomeFolder();
}

bool CliLockProject(const std::string& projectFile, CCliPrompt& prompt)
{
    // Held until the program ends: the save is the command's last step.
    static std::vector<std::unique_ptr<CProjectLock>> held;
    for (const auto& lock : held)
        if (IsSamePath(lock->ProjectFile(), projectFile))
            return true;
    auto lock = std::make_unique<CProjectLock>();
    if (lock->Acquire(projectFile)) {
        held.push_back(std::move(lock));
        return true;
    }
    if (lock->LastFailure() == CFileLock::Failure::Error) {
        // A folder that cannot take the lock file cannot take the project
        // file either; the change fails later with its own message.
        const std::string folder =
            QFileInfo(QString::fromStdString(projectFile)).absolutePath().toStdString();
        if (access(folder.c_str(), W_OK) != 0)
            return true;
    }
    prompt.Show(lock->FailureMessageId(), lock->FailureMessage(), CUserPrompt::Exclamation,
                CUserPrompt::Ok);
    return false;
}

bool CliOpenProject(const std::string& path, CZurDoc& doc, CCliPrompt& prompt, CProgress* progress,
                    bool forChange)
{
    if (forChange && QFileInfo::exists(QString::fromStdString(path)) &&
        !CliLockProject(path, prompt))
        return false;
    doc.SetPrompt(&prompt);
    doc.SetProgress(progress);
    return doc.Open(path);
}

bool CliReadProject(const std::string& path, CProjectCheck& check, CCliPrompt& prompt)
{
    switch (check.Run(path)) {
    case CProjectFile::ReadOk:
        return true;
    case CProjectFile::ReadCannotOpen: {
        const CFileFailure failure = CFileFailure::ForUnopenable(path);
        prompt.Message(failure.MessageId(), CUserPrompt::Exclamation, CUserPrompt::Ok, path);
        return false;
    }
    case CProjectFile::ReadInvalid:
        break;
    }
    prompt.Message(MsgId::FileUnreadable, CUserPrompt::Exclamation, CUserPrompt::Ok, path);
    return false;
}

bool CliParseInt(const std::string& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 10)
        return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    if (negative)
        v = -v;
    if (v < low || v > high)
        return false;
    value = int(v);
    return true;
}

std::string CliCount(long long count, const std::string& singular, const std::string& plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

bool CliParseRow(const std::string& text, int rowCount, int& row, std::string& error)
{
    int number = 0;
    if (!CliParseInt(text, INT32_MIN, INT32_MAX, number)) {
        error = "row '" + text + "' is not a number";
        return false;
    }
    if (rowCount <= 0) {
        error = "the project has no rows";
        return false;
    }
    if (number < 1 || number > rowCount) {
        error =
            "there is no row " + text + ": the project has " + CliCount(rowCount, "row", "rows");
        return false;
    }
    row = number;
    return true;
}

bool CliParseRows(const std::string& text, int rowCount, std::vector<int>& rows, std::string& error)
{
    rows.clear();
    if (text.empty()) {
        error = "no rows given";
        return false;
    }
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const size_t dash = part.find('-', 1);
        int first = 0, last = 0;
        if (dash == std::string::npos) {
            if (!CliParseRow(part, rowCount, first, error))
                return false;
            last = first;
        } else {
            if (!CliParseRow(part.substr(0, dash), rowCount, first, error) ||
                !CliParseRow(part.substr(dash + 1), rowCount, last, error))
                return false;
            if (last < first) {
                error = "row range '" + part + "' runs backwards";
                return false;
            }
        }
        for (int r = first; r <= last; ++r)
            rows.push_back(r);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return true;
}

int CliCellIndexOfRow(const CCellInfoList& cells, int row)
{
    int visible = 0;
    for (int i = 0; i < cells.GetCount(); ++i) {
        if (!cells.GetAt(i)->IsVisible())
            continue;
        if (++visible == row)
            return i;
    }
    return -1;
}

bool CliParseColor(const std::string& text, uint32_t& color, std::string& error)
{
    int index = 0;
    if (CliParseInt(text, 0, CProjectDlgChecks::BackColorCount - 1, index)) {
        color = CProjectDlgChecks::BackColorAt(index);
        return true;
    }
    std::string hex = text;
    if (!hex.empty() && hex[0] == '#')
        hex.erase(0, 1);
    const bool isHex = hex.size() == 6 && std::all_of(hex.begin(), hex.end(), [](char c) {
                           return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                       });
    if (isHex) {
        const unsigned long rgb = std::stoul(hex, nullptr, 16);
        const uint32_t bgr =
            uint32_t((rgb >> 16) & 0xFF) | uint32_t(rgb & 0xFF00) | uint32_t((rgb & 0xFF) << 16);
        if (CProjectDlgChecks::BackColorIndex(bgr) >= 0) {
            color = bgr;
            return true;
        }
    }
    error = "--color must be a background entry 0..15 or one of their colours as RRGGBB";
    return false;
}

void CliPrintJson(const QJsonDocument& json)
{
    const QByteArray bytes = json.toJson(QJsonDocument::Compact);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

std::string CliEscapeControls(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    const auto hex = [&](unsigned char c) {
        static const char digits[] = "0123456789abcdef";
        out += "\\x";
        out += digits[c >> 4];
        out += digits[c & 15];
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            hex(c);
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // A C1 control in UTF-8: shown as its code point.
            hex(static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string CliEffectList()
{
    std::string list;
    for (int effect = 0; effect < CCellDialogRules::EffectCount; ++effect) {
        char number[8];
        std::snprintf(number, sizeof number, "%4d  ", effect);
        list += number + CResourceBundle::Text(MsgId::EffectCut + effect) + "\n";
    }
    return list;
}
