#pragma once

#include "gui/app/singleinstance.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>

class CMainFrame;
class CMessageBoxPrompt;
class CSlidePPTObj;
class CUserPrompt;
class CZelmApplication;

// The window program's application object: brings the program up in a fixed
// order (resource bundle, single instance, shared presentation object, main
// frame, placement, command line) and takes it down in reverse.
class CVantorelApp : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString bundlePath;     // "" : ZelmTsRsc.rcc beside the program
        QString instanceFolder; // "" : the work root
        bool registerFileTypes = true;
    };

    CVantorelApp();
    explicit CVantorelApp(const Options& options);
    ~CVantorelApp() override;

    // `arguments` as the program got them (the program name first). True to
    // run the event loop; false to end with ExitCode().
    bool InitInstance(const QStringList& arguments);
    // Releases what start-up took, in reverse order; the exit status.
    int ExitInstance();
    int ExitCode() const { return m_exitCode; }

    // The running program's answer to another start's command: an open
    // command opens the file as a start-up argument would; any command
    // brings the window to the front. One arriving during start-up is kept
    // and carried out once the window is up. Whether it was carried out (or
    // kept).
    bool OnDdeCommand(const QString& command);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    // The program's shared presentation object (null before start-up).
    CSlidePPTObj* SharedPresentation() const;
    CUserPrompt* Prompt() const { return m_prompt; }
    // Tests answer the program's questions themselves.
    void SetPrompt(CUserPrompt* prompt) { m_prompt = prompt; }
    // The commands kept until start-up ends.
    const QStringList& WaitingCommands() const { return m_waiting; }

    static QString UsageText();

private:
    void BringToFront();

    Options m_options;
    std::unique_ptr<CMessageBoxPrompt> m_messageBoxes;
    CUserPrompt* m_prompt = nullptr;
    std::unique_ptr<CSingleInstance> m_instance;
    std::unique_ptr<CZelmApplication> m_zelmApp;
    std::unique_ptr<CMainFrame> m_frame;
    bool m_started = false;
    QStringList m_waiting;
    int m_exitCode = 0;
};
