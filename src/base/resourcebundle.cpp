#include "base/resourcebundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QResource>
#include <map>
#include <mutex>

namespace {

struct Table
{
    std::once_flag parsed;
    std::map<int, std::string> texts;
    bool loaded = false;
};

Table& table()
{
    static Table t;
    return t;
}

std::string unescape(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char c = s[++i];
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += s[i];
        }
    }
    return out;
}

void parse(Table& t)
{
    QFile f(QStringLiteral(":/zelm/strings.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = f.readAll();
    for (const QByteArray& line : all.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const int tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (ok)
            t.texts[id] =
                unescape(std::string_view(line.constData() + tab + 1, line.size() - tab - 1));
    }
}

} // namespace

bool CResourceBundle::Load(const std::string& path)
{
    Table& t = table();
    if (t.loaded)
        return true;
    QString file = QString::fromStdString(path);
    if (file.isEmpty()) {
        const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                         : QDir::currentPath();
        // Beside the program in the build tree; installed, among the data.
        for (const QString& candidate :
             {dir + QStringLiteral("/ZelmTsRsc.rcc"),
              dir + QStringLiteral("/../share/zelm-tessara/ZelmTsRsc.rcc")}) {
            file = candidate;
            if (QFile::exists(file))
                break;
        }
    }
    if (!QFile::exists(file) || !QResource::registerResource(file))
        return false;
    if (!QFile::exists(QStringLiteral(":/zelm/strings.txt")))
        return false;
    std::call_once(t.parsed, [&] { parse(t); });
    t.loaded = true;
    return true;
}

bool CResourceBundle::IsLoaded()
{
    return table().loaded;
}

std::string CResourceBundle::Text(int id)
{
    const Table& t = table();
    const auto it = t.texts.find(id);
    return it == t.texts.end() ? std::string() : it->second;
}

std::string CResourceBundle::FillInserts(std::string_view text, std::string_view insert1,
                                         std::string_view insert2)
{
    std::string out;
    out.reserve(text.size() + insert1.size() + insert2.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[i + 1] == '1' ? insert1 : insert2;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string CResourceBundle::Format(int id, std::string_view insert1, std::string_view insert2)
{
    return FillInserts(Text(id), insert1, insert2);
}

std::string CResourceBundle::FormatAll(int id, std::initializer_list<std::string_view> inserts)
{
    const std::string text = Text(id);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char digit = i + 1 < text.size() ? text[i + 1] : '\0';
        const size_t n = digit >= '1' && digit <= '9' ? size_t(digit - '1') : inserts.size();
        if (text[i] == '%' && n < inserts.size()) {
            out += inserts.begin()[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

QImage CResourceBundle::Bitmap(int id)
{
    for (const char* ext : {".png", ".bmp"}) {
        const QString name = QStringLiteral(":/zelm/bitmaps/%1%2").arg(id).arg(QLatin1String(ext));
        if (QFile::exists(name))
            return QImage(name);
    }
    return {};
}
