#include "output/sfcfile.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "output/carddir.h"
#include "output/cardfolder.h"

#include <QFile>
#include <QString>
#include <sys/stat.h>

namespace {

// The single-byte white space of the C locale.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Leading blanks go; then every blank before the first '=' (the rest of the
// line from the '=' on stays as it is).
std::string cleanLine(const std::string& line)
{
    std::string out;
    size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    bool afterEquals = false;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '=')
            afterEquals = true;
        if (afterEquals || !isBlank(c))
            out += c;
    }
    return out;
}

// A line holding a control byte other than the blanks (a NUL, a stray
// binary byte) names no scenario: it is dropped, and the other lines count.
bool hasControlByte(const std::string& line)
{
    for (const char ch : line) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && !isBlank(ch)) || c == 0x7F)
            return true;
    }
    return false;
}

} // namespace

void CSfcFile::Reset()
{
    m_entries.clear();
    m_repeat = false;
    m_path.clear();
}

CSfcFile::ParseResult CSfcFile::Parse(const QByteArray& bytes)
{
    Reset();
    if (bytes.size() > MaxFileSize)
        return ParseTooLarge;
    // Ctrl-Z, the end-of-file mark of old editors, ends the text.
    qsizetype end = bytes.indexOf('\x1A');
    if (end < 0)
        end = bytes.size();
    qsizetype pos = 0;
    // A byte-order mark written by a text editor is not part of the first line.
    if (end >= 3 && bytes.startsWith("\xEF\xBB\xBF"))
        pos = 3;
    bool inSection = false;
    while (pos < end) {
        qsizetype eol = bytes.indexOf('\n', pos);
        if (eol < 0 || eol > end)
            eol = end;
        std::string line(bytes.constData() + pos, static_cast<size_t>(eol - pos));
        pos = eol + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (hasControlByte(line)) {
            m_modified = true;
            continue;
        }
        line = cleanLine(line);
        if (!line.empty() && line.front() == '[') {
            const bool autorun = CAsciiCase::Equal(line, "[Autorun]");
            if (autorun && inSection)
                return ParseRepeatedHeader;
            inSection = autorun;
            continue;
        }
        if (!inSection)
            continue;
        if (CAsciiCase::Equal(line, "REPEAT"))
            m_repeat = true;
        else
            m_entries.push_back(CAsciiCase::Upper(line));
    }
    return ParseOk;
}

namespace {

// An autorun list that is a link is neither read nor written: the card's
// list is the file in its root, never a place the link leads to.
bool refusedLink(const std::string& path, CUserPrompt* prompt)
{
    struct stat st
    {
    };
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    AskUser(prompt,
            CCardDir::LinkLeaves(folder, name) ? MsgId::CardLinkOutside : MsgId::CardLinkInside,
            CUserPrompt::Exclamation, CUserPrompt::Ok, path);
    return true;
}

} // namespace

bool CSfcFile::Load(const std::string& path, CUserPrompt* prompt)
{
    Reset();
    m_modified = false;
    m_refused = false;
    if (path.empty())
        return false;
    if (refusedLink(path, prompt)) {
        m_refused = true;
        return false;
    }
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        m_refused = true;
        AskUser(prompt, MsgId::FileUnreadable, CUserPrompt::Exclamation, CUserPrompt::Ok, path);
        return false;
    }
    // One byte more than allowed tells a too large file from a full one.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    const ParseResult result = readFailed ? ParseTooLarge : Parse(bytes);
    if (readFailed || result == ParseTooLarge) {
        Reset();
        m_modified = false;
        m_refused = true;
        AskUser(prompt, MsgId::FileUnreadable, CUserPrompt::Exclamation, CUserPrompt::Ok, path);
        return false;
    }
    m_path = path;
    return result == ParseOk;
}

QByteArray CSfcFile::ToBytes() const
{
    QByteArray bytes("[Autorun]\n");
    for (const std::string& entry : m_entries) {
        if (entry.empty())
            continue;
        const std::string upper = CAsciiCase::Upper(entry);
        bytes.append(upper.data(), static_cast<qsizetype>(upper.size()));
        bytes.append('\n');
    }
    if (m_repeat)
        bytes.append("REPEAT\n");
    return bytes;
}

bool CSfcFile::Save(const std::string& path, CUserPrompt* prompt)
{
    if (path.empty())
        return false;
    if (refusedLink(path, prompt))
        return false;
    const QByteArray bytes = ToBytes();
    // A whole new file or none: a full or pulled card keeps its old list. A
    // write-protected list stays as it is, also for the administrator.
    const bool writable = !PathExists(path) || FileExists(path, false);
    int error = EACCES;
    if (!writable || !CSafeFile::WriteAll(path, bytes, &error)) {
        CSafeFile::ReportFailure(prompt, path, error);
        return false;
    }
    m_modified = false;
    return true;
}

bool CSfcFile::ScenarioPresent(const std::string& root, const std::string& entry)
{
    if (!CCardFolder::IsPlainName(entry))
        return false;
    return !CCardFolder::Find(root, entry, CCardFolder::FileEntry).empty() &&
           !CCardFolder::Find(root, CCardFolder::BaseName(entry), CCardFolder::FolderEntry).empty();
}

void CSfcFile::RemoveMissing()
{
    const size_t slash = m_path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string("./") : m_path.substr(0, slash + 1);
    std::vector<std::string> kept;
    m_pruned.clear();
    for (const std::string& entry : m_entries) {
        if (entry.empty() || ScenarioPresent(folder, entry)) {
            kept.push_back(entry);
        } else {
            m_modified = true;
            m_pruned.push_back(entry);
        }
    }
    m_entries = std::move(kept);
}
