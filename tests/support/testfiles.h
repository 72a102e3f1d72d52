#pragma once

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <string>

// Whether anything stands at `path`, a dangling link included.
inline bool PathExists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path)) ||
           QFileInfo(QString::fromStdString(path)).isSymLink();
}

// Makes the file `path` holding `contents`.
inline void TouchFile(const std::string& path, const char* contents = "")
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}
