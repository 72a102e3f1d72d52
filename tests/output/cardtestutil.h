#pragma once

// Helpers of the card-output tests: card folders with scenarios in them.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <string>

inline bool WriteBytes(const std::string& path, const QByteArray& bytes)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool Exists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

// A scenario as the card player sees it: FILE in the root and the folder of
// the same base name (no pictures).
inline void MakeScenario(const std::string& root, const std::string& file,
                         const std::string& folder)
{
    WriteBytes(root + file, "[Project]\nX\nBG_COLOR=000000\n[Slides]\n");
    QDir().mkpath(QString::fromStdString(root + folder));
}

// A picture of `width` x `height` in `format` ("JPG", "BMP", "PNG").
inline bool WritePicture(const std::string& path, int width, int height, const char* format,
                         QColor color = QColor(40, 120, 200))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image.save(QString::fromStdString(path), format);
}
