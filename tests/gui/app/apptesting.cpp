#include "apptesting.h"

#include "base/appfolders.h"
#include "document/zurdoc.h"
#include "gui/app/mainframe.h"
#include "gui/app/vantorelapp.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QSettings>
#include <QThread>

CAppUnderTest::CAppUnderTest(const QStringList& args, bool splash) : CAppUnderTest(args, splash, {})
{}

CAppUnderTest::CAppUnderTest(const QStringList& args,
                             const std::function<void(CVantorelApp&)>& beforeStart)
    : CAppUnderTest(args, false, beforeStart)
{}

CAppUnderTest::CAppUnderTest(const QStringList& args, bool splash,
                             const std::function<void(CVantorelApp&)>& beforeStart)
{
    CVantorelApp::Options options;
    options.registerFileTypes = false;
    m_app = std::make_unique<CVantorelApp>(options);
    m_app->SetPrompt(&prompt);
    QStringList all{QStringLiteral("zelm-tessara")};
    if (!splash)
        all << QStringLiteral("--no-splash");
    if (beforeStart)
        beforeStart(*m_app);
    m_started = m_app->InitInstance(all + args);
}

CAppUnderTest::~CAppUnderTest()
{
    m_app->ExitInstance();
}

CMainFrame& CAppUnderTest::Frame()
{
    return *m_app->MainFrame();
}

int RunSecondInstance(const QStringList& args, int timeoutMs)
{
    QProcess process;
    process.start(QStringLiteral(ZELM_BIN_DIR "/zelm-tessara"), args);
    if (!process.waitForStarted(timeoutMs))
        return -1;
    const QDeadlineTimer deadline(timeoutMs);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        process.waitForFinished(10);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    // Let the first instance act on what it was told.
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

std::string MakeProject(const std::string& name)
{
    const std::string folder = CAppFolders::HomeFolder() + name + "/";
    QDir().mkpath(QString::fromStdString(folder));
    CZurDoc doc;
    CProjectSettings settings;
    settings.name = name;
    settings.folder = folder;
    if (!doc.NewProject(settings))
        return {};
    return doc.GetPathName();
}

void ClearSettings()
{
    QSettings settings;
    settings.clear();
    settings.sync();
}
