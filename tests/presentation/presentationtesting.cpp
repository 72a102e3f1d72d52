#include "presentationtesting.h"

#include "presentationfixtures.h"

#include <QFile>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <thread>

QColor SlidePictureColour(const std::string& path)
{
    const QImage image(QString::fromStdString(path));
    if (image.isNull())
        return {};
    return image.pixelColor(image.width() * 3 / 4, image.height() * 3 / 4);
}

bool ColoursAlike(const QColor& a, const QColor& b, int tolerance)
{
    return a.isValid() && b.isValid() && std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int SlideShownIn(const std::string& path)
{
    const QColor colour = SlidePictureColour(path);
    for (int i = 1; i <= 12; ++i) {
        if (ColoursAlike(colour, CPresentationFixtures::SlideColour(i)))
            return i;
    }
    return 0;
}

CScopedEnv::CScopedEnv(const char* name, const std::string& value) : m_name(name)
{
    const char* old = std::getenv(name);
    m_had = old != nullptr;
    if (old)
        m_old = old;
    setenv(name, value.c_str(), 1);
}

CScopedEnv::~CScopedEnv()
{
    if (m_had)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

CFakeSoffice::CFakeSoffice(const std::string& script)
{
    const QString path = m_dir.filePath(QStringLiteral("soffice"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        const std::string text = "#!/bin/sh\nPIDFILE='" + PidFile() + "'\n" + script + "\n";
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

bool ProcessGone(long pid)
{
    if (pid <= 0)
        return false;
    // A killed process may still be scheduled for a moment before it dies:
    // give it a few seconds on a busy machine.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        if (::kill(static_cast<pid_t>(pid), 0) != 0)
            return true;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string pidText, name, state;
        stat >> pidText >> name >> state;
        if (state == "Z")
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
