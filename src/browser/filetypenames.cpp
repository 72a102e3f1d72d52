#include "browser/filetypenames.h"

#include <QMimeDatabase>
#include <QString>
#include <cctype>

CFileTypeNames& CFileTypeNames::Instance()
{
    static CFileTypeNames names;
    return names;
}

std::string CFileTypeNames::NameFor(const std::string& fileName, bool directory)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QMimeDatabase db;
    if (directory) {
        if (m_folder.empty())
            m_folder =
                db.mimeTypeForName(QStringLiteral("inode/directory")).comment().toStdString();
        return m_folder;
    }
    const size_t dot = fileName.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const auto found = m_byExtension.find(extension);
    if (found != m_byExtension.end())
        return found->second;
    const QMimeType type =
        db.mimeTypeForFile(QString::fromStdString("x" + extension), QMimeDatabase::MatchExtension);
    std::string comment = type.comment().toStdString();
    m_byExtension.emplace(extension, comment);
    return comment;
}
