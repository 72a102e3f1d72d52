#include "output/cardoffer.h"

#include "base/samepath.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const QString kLastCardKey = QStringLiteral("Settings/LastCard");

std::string withSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

bool isRemovable(const CVolumeList::Volume& v)
{
    return v.kind == CVolumeList::Removable;
}

// A card used last as a plain folder counts as still there unless only the
// empty mount folder of a card taken out is left: an empty folder where
// removable media are mounted.
bool folderStillThere(const std::string& root)
{
    std::error_code ec;
    if (!fs::is_directory(fs::path(root), ec))
        return false;
    for (const char* mounts : {"/media/", "/run/media/", "/mnt/"}) {
        if (root.rfind(mounts, 0) == 0) {
            fs::directory_iterator it(fs::path(root), ec);
            return !ec && it != fs::directory_iterator();
        }
    }
    return true;
}

} // namespace

bool CCardOffer::IsSystemFolder(const std::string& folder)
{
    if (folder.empty())
        return false;
    const fs::path p = fs::path(withSlash(folder)).lexically_normal();
    // "/" and "/x/" (the normal form keeps the trailing separator).
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    if (s == "/" || (s.size() > 1 && s[0] == '/' && s.find('/', 1) == std::string::npos))
        return true;
    const char* home = std::getenv("HOME");
    return home && *home && IsSamePath(withSlash(s), withSlash(home));
}

bool CCardOffer::Gone(const std::string& root, bool wasMountRoot)
{
    std::error_code ec;
    if (!fs::is_directory(fs::path(root), ec))
        return true;
    return wasMountRoot && CVolumeList::RootOf(root) != withSlash(root);
}

std::string CCardOffer::DefaultRoot(const std::vector<CVolumeList::Volume>& volumes,
                                    const std::string& lastRoot)
{
    const std::string last = withSlash(lastRoot);
    const CVolumeList::Volume* lastVolume = nullptr;
    const CVolumeList::Volume* firstRemovable = nullptr;
    bool lastIsOptical = false;
    for (const CVolumeList::Volume& v : volumes) {
        const bool isLast = !last.empty() && IsSamePath(v.root, last);
        if (v.kind == CVolumeList::Optical) {
            lastIsOptical = lastIsOptical || isLast;
            continue;
        }
        if (isLast)
            lastVolume = &v;
        if (!firstRemovable && isRemovable(v))
            firstRemovable = &v;
    }
    // The card used last while it is there: a volume mounted now, or a
    // folder that still holds a card's files.
    if (!last.empty() && !lastIsOptical && !IsSystemFolder(last) &&
        (lastVolume || folderStillThere(last)))
        return lastVolume ? lastVolume->root : last;
    return firstRemovable ? firstRemovable->root : std::string();
}

std::string CCardOffer::StoredLastCard()
{
    const QSettings settings;
    return settings.value(kLastCardKey).toByteArray().toStdString();
}

void CCardOffer::StoreLastCard(const std::string& root)
{
    if (root.empty())
        return;
    QSettings settings;
    settings.setValue(kLastCardKey, QByteArray(root.data(), qsizetype(root.size())));
}
