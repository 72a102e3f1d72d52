#include "gui/app/recentfilelist.h"

#include <QSettings>

namespace {

const QString kSection = QStringLiteral("Recent File List");

QString key(int n)
{
    return kSection + QStringLiteral("/File%1").arg(n);
}

} // namespace

void CRecentFileList::Read(QSettings& settings)
{
    m_files.clear();
    for (int n = 1; n <= Size; ++n) {
        const QString path = settings.value(key(n)).toString();
        if (!path.isEmpty() && !m_files.contains(path))
            m_files << path;
    }
}

void CRecentFileList::Write(QSettings& settings) const
{
    for (int n = 1; n <= Size; ++n) {
        if (n <= m_files.size())
            settings.setValue(key(n), m_files[n - 1]);
        else
            settings.remove(key(n));
    }
}

void CRecentFileList::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > Size)
        m_files.removeLast();
}

void CRecentFileList::Remove(const QString& path)
{
    m_files.removeAll(path);
}
