#pragma once

#include "support/scriptedprompt.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

class CMainFrame;
class CVantorelApp;

// The window program started in this test process, as `zelm-tessara ARGS`
// would start it (no splash unless asked), answering its questions from a
// scripted prompt.
class CAppUnderTest
{
public:
    explicit CAppUnderTest(const QStringList& args = {}, bool splash = false);
    // `beforeStart` acts on the program before its start-up (as another
    // start's command that arrives early).
    CAppUnderTest(const QStringList& args, const std::function<void(CVantorelApp&)>& beforeStart);
    ~CAppUnderTest();

    bool Started() const { return m_started; }
    CVantorelApp& App() { return *m_app; }
    CMainFrame& Frame();
    CScriptedPrompt prompt;

private:
    CAppUnderTest(const QStringList& args, bool splash,
                  const std::function<void(CVantorelApp&)>& beforeStart);
    std::unique_ptr<CVantorelApp> m_app;
    bool m_started = false;
};

// Runs the built zelm-tessara with `args` while this process keeps handling
// its events (so an instance started here can answer). Exit code, -1 when
// it did not end in time.
int RunSecondInstance(const QStringList& args, int timeoutMs = 20000);

// A project file made by the document itself in a new folder of the test home.
std::string MakeProject(const std::string& name);

// Forgets every setting of the program (tests share one settings file).
void ClearSettings();
