#include "browser/dirfileinfo.h"

#include "browser/filetypenames.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <strings.h>
#include <sys/stat.h>

namespace {

int sign(int64_t v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Files in folders: a directory sorts before a file; 0 when both are alike.
int directoryFirst(const CDirFileInfo& a, const CDirFileInfo& b)
{
    if (a.IsDirectory() == b.IsDirectory())
        return 0;
    return a.IsDirectory() ? -1 : 1;
}

} // namespace

std::string CDirFileInfo::FormatDate() const
{
    if (IsVolume())
        return {};
    static const QString format = [] {
        const QLocale locale = QLocale::system();
        QString time = locale.timeFormat(QLocale::ShortFormat);
        // The short time format normally has no seconds; take them out when
        // a locale puts them in.
        time.remove(QStringLiteral(":ss")).remove(QStringLiteral(".ss"));
        return locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + time;
    }();
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(LastWriteTime / 1000000).toLocalTime();
    return QLocale::system().toString(when, format).toStdString();
}

std::string CDirFileInfo::FormatSize() const
{
    if (IsDirectory() || IsVolume())
        return {};
    const uint64_t kilobytes = Size / 1024 + (Size % 1024 != 0 ? 1 : 0);
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(qulonglong(kilobytes)).toStdString();
}

int CDirFileInfo::Compare(const CDirFileInfo& other, int column, bool descending) const
{
    int result = 0;
    switch (column) {
    case ColumnName:
        if (IsVolume() || other.IsVolume()) {
            // Volumes keep the order of the volume list, which is their path.
            result = sign(Path.compare(other.Path));
        } else {
            result = directoryFirst(*this, other);
            if (result == 0)
                result = sign(strcasecmp(Name.c_str(), other.Name.c_str()));
        }
        break;
    case ColumnSize:
        result = directoryFirst(*this, other);
        if (result == 0 && !IsDirectory())
            result = Size < other.Size ? -1 : (Size > other.Size ? 1 : 0);
        break;
    case ColumnType:
        result = directoryFirst(*this, other);
        if (result == 0)
            result = sign(strcasecmp(TypeName.c_str(), other.TypeName.c_str()));
        break;
    case ColumnDate:
        result = directoryFirst(*this, other);
        if (result == 0)
            result = sign(LastWriteTime - other.LastWriteTime);
        break;
    default:
        break;
    }
    return descending ? -result : result;
}

bool CDirFileInfo::Reload(const std::string& folderPath, const std::string& newName)
{
    std::string folder = folderPath;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const std::string oldPath = Path;
    Path = folder + newName;
    if (!ReadStatus()) {
        Path = oldPath;
        return false;
    }
    Name = newName;
    TypeName = CFileTypeNames::Instance().NameFor(Name, IsDirectory());
    return true;
}

uint32_t CDirFileInfo::SetFlags(uint32_t bits, bool on)
{
    StateFlags &= ~bits;
    if (on)
        StateFlags |= bits;
    return StateFlags;
}

bool CDirFileInfo::ReadStatus()
{
    struct stat st
    {
    };
    if (::stat(Path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
        return false;
    const bool directory = S_ISDIR(st.st_mode);
    Size = directory ? 0 : uint64_t(st.st_size);
    LastWriteTime = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    FileAttributes = directory ? AttrDirectory : 0;
    uint32_t shell = ShellFileSystem | ShellCanRename;
    if (directory)
        shell |= ShellFolder;
    else
        shell |= ShellCanCopy;
    struct stat link
    {
    };
    if (::lstat(Path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        shell |= ShellLink;
    ShellAttributes = shell;
    return true;
}
