#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <string>

// Copies `from` into `folder` as `name`, replacing an earlier copy; the
// copy's path.
inline std::string CopyInto(const QString& folder, const std::string& from, const QString& name)
{
    EXPECT_FALSE(from.empty()) << name.toStdString();
    const QString to = QDir(folder).filePath(name);
    QFile::remove(to);
    EXPECT_TRUE(QFile::copy(QString::fromStdString(from), to)) << from;
    return to.toStdString();
}

// What a conversion cache folder holds besides LibreOffice's profile and
// its lock.
inline QStringList CacheLeftovers(const QString& cache)
{
    QStringList left = QDir(cache).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    left.removeAll(QStringLiteral("lo-profile"));
    left.removeAll(QStringLiteral("lo-profile.lock"));
    return left;
}
