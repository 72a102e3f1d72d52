#pragma once

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <string>

// Helpers shared by the presentation tests.

// The colour in the lower right quarter of a slide picture (away from the
// slide's text), and whether two colours are alike within JPEG noise.
QColor SlidePictureColour(const std::string& path);
bool ColoursAlike(const QColor& a, const QColor& b, int tolerance = 40);
// Index (from 1) of the fixture slide whose colour the picture shows, 0 when
// none.
int SlideShownIn(const std::string& path);

// Sets an environment variable for the life of the object.
class CScopedEnv
{
public:
    CScopedEnv(const char* name, const std::string& value);
    ~CScopedEnv();
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had;
};

// A folder with a fake "soffice" script that the test puts first on PATH
// (with the system folders after it, for the shell and its tools).
class CFakeSoffice
{
public:
    explicit CFakeSoffice(const std::string& script);
    std::string Folder() const { return m_dir.path().toStdString(); }
    std::string PidFile() const { return m_dir.filePath("pid").toStdString(); }
    std::string PathValue() const { return Folder() + ":/usr/bin:/bin"; }

private:
    QTemporaryDir m_dir;
};

// Whether process `pid` is gone (or only a zombie left for its reaper).
bool ProcessGone(long pid);
