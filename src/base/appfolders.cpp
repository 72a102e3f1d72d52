#include "base/appfolders.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdlib>

namespace {

std::string fromEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : std::string();
}

// Makes the folder (with its parents) and returns it with a trailing '/'.
std::string ensureFolder(std::string folder)
{
    if (folder.empty())
        return {};
    if (folder.back() != '/')
        folder += '/';
    if (!QDir().mkpath(QString::fromStdString(folder)))
        return {};
    return folder;
}

} // namespace

std::string CAppFolders::HomeFolder()
{
    if (std::string home = fromEnv("ZELM_HOME"); !home.empty())
        return ensureFolder(home);
    std::string documents = fromEnv("XDG_DOCUMENTS_DIR");
    if (documents.empty())
        documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    if (documents.empty())
        documents = QDir::homePath().toStdString() + "/Documents";
    if (documents.back() != '/')
        documents += '/';
    return ensureFolder(documents + "Zelm Tessara/");
}

std::string CAppFolders::WorkRoot()
{
    if (std::string home = fromEnv("ZELM_HOME"); !home.empty())
        return ensureFolder(home);
    std::string cache = fromEnv("XDG_CACHE_HOME");
    if (cache.empty())
        cache = QDir::homePath().toStdString() + "/.cache";
    if (cache.back() != '/')
        cache += '/';
    return ensureFolder(cache + "Pellyx/Zelm Tessara/");
}

std::string CAppFolders::WorkFolder(const std::string& name)
{
    const std::string root = WorkRoot();
    if (root.empty() || name.empty())
        return {};
    return ensureFolder(root + name);
}
