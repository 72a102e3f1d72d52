#include "presentation/officelock.h"

#include <QFileInfo>

namespace {

bool IsLockFile(const std::string& path)
{
    const QFileInfo lock(QString::fromStdString(path));
    return lock.exists() && !lock.isDir();
}

} // namespace

bool IsLockedByOffice(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || !QFileInfo(QString::fromStdString(path)).isFile())
        return false;
    if (IsLockFile(folder + ".~lock." + name + "#") || IsLockFile(folder + "~$" + name))
        return true;
    return name.size() > 2 && IsLockFile(folder + "~$" + name.substr(2));
}
