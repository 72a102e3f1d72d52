#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

// The readable kind of a file from its name ("JPEG image", "Folder"), looked
// up in the MIME database once per extension.
class CFileTypeNames
{
public:
    static CFileTypeNames& Instance();
    std::string NameFor(const std::string& fileName, bool directory);

private:
    std::mutex m_mutex;
    std::unordered_map<std::string, std::string> m_byExtension;
    std::string m_folder;
};
