#pragma once

#include <QStringList>

class QSettings;

// The four most recently opened project files, newest first, kept under
// "Recent File List/File1".."File4".
class CRecentFileList
{
public:
    static constexpr int Size = 4;

    void Read(QSettings& settings);
    void Write(QSettings& settings) const;
    // Puts `path` first (a path already listed moves up).
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return m_files; }

private:
    QStringList m_files;
};
