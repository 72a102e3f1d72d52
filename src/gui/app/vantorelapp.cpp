#include "gui/app/vantorelapp.h"

#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "editor/zelmapplication.h"
#include "gui/app/filetyperegistration.h"
#include "gui/app/mainframe.h"
#include "gui/app/splashwnd.h"
#include "gui/app/windowplacementsettings.h"
#include "gui/browser/browserpanes.h"
#include "gui/dialogs/messageboxprompt.h"
#include "gui/player/showlauncher.h"
#include "gui/view/scenarioprinter.h"
#include "presentation/slidepptobj.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <cstdio>
#include <utility>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kRetryMs = 250;
const QString kSettings = QStringLiteral("Settings");

struct CommandLine
{
    bool splash = true;
    bool help = false;
    bool version = false;
    QString shellOpen;
    QStringList files;
    QString file;       // the first of them
    bool print = false; // print FILE without a dialog and end
    QString printer;
    QString pdf;
    QString play; // a show to play, after which the program ends
    QString error;
};

CommandLine parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption noSplash(QStringLiteral("no-splash"));
    const QCommandLineOption shellOpen(QStringLiteral("shell-open"), QString(),
                                       QStringLiteral("FILE"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption print(QStringLiteral("print"));
    const QCommandLineOption printer(QStringLiteral("printer"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("OUT"));
    const QCommandLineOption play(QStringLiteral("play"), QString(), QStringLiteral("SHOW"));
    parser.addOptions({noSplash, shellOpen, help, version, print, printer, pdf, play});
    parser.addPositionalArgument(QStringLiteral("file"), QString());
    CommandLine line;
    if (!parser.parse(arguments)) {
        line.error = parser.errorText();
        return line;
    }
    line.splash = !parser.isSet(noSplash);
    line.help = parser.isSet(help);
    line.version = parser.isSet(version);
    line.shellOpen = parser.value(shellOpen);
    line.files = parser.positionalArguments();
    if (!line.shellOpen.isEmpty())
        line.files.prepend(line.shellOpen);
    if (!line.files.isEmpty())
        line.file = line.files.constFirst();
    line.print = parser.isSet(print);
    line.printer = parser.value(printer);
    line.pdf = parser.value(pdf);
    line.play = parser.value(play);
    if (line.error.isEmpty() && parser.isSet(play) && (!line.file.isEmpty() || line.print))
        line.error = QStringLiteral("--play takes the show alone");
    if (line.error.isEmpty() && (line.print || parser.isSet(printer) || parser.isSet(pdf))) {
        if (!line.print)
            line.error = QStringLiteral("--printer and --pdf go with --print");
        else if (line.file.isEmpty())
            line.error = QStringLiteral("--print needs the project to print");
        else if (line.files.size() > 1)
            line.error = QStringLiteral("--print prints one project");
        else if (parser.isSet(printer) && parser.isSet(pdf))
            line.error = QStringLiteral("--printer and --pdf exclude each other");
    }
    return line;
}

} // namespace

CVantorelApp::CVantorelApp() : CVantorelApp(Options{}) {}

CVantorelApp::CVantorelApp(const Options& options) : m_options(options) {}

CVantorelApp::~CVantorelApp()
{
    ExitInstance();
}

QString CVantorelApp::UsageText()
{
    // The kinds of presentation come from the one list the program reads by.
    const QString presentations = QString::fromStdString(
        CSlideSourceTypes::Listed(CSlideSourceTypes::PresentationExtensions()));
    return QStringLiteral(
               "Usage: zelm-tessara [--no-splash] [FILE...]\n"
               "       zelm-tessara --shell-open FILE\n"
               "       zelm-tessara --print FILE.sic [--printer NAME | --pdf OUT.pdf]\n"
               "       zelm-tessara --play FILE.sic | CARD/NAME.SIT | CARD\n"
               "Starts the Zelm Tessara window program. Each FILE is a project (.sic), which\n"
               "is opened, or a presentation or PDF document (%1), which becomes a new project\n"
               "with one slide per slide of its show (per page). When the\n"
               "program already runs, it is brought to the front and opens the files\n"
               "(--shell-open FILE, as the desktop starts it, does the same). --print\n"
               "prints the project FILE on the default printer (or NAME, or into the PDF\n"
               "file OUT) and ends; the exit status is 0 only when every page was printed.\n"
               "--play plays a project, a scenario of a card or a card's autorun list on\n"
               "the screen and ends (Escape ends the show).\n"
               "The command-line program is `zelm` (see `zelm --help`).\n")
        .arg(presentations);
}

bool CVantorelApp::InitInstance(const QStringList& arguments)
{
    // 1. The texts: without them nothing can be said, so the end is quiet.
    if (!CResourceBundle::Load(m_options.bundlePath.toStdString())) {
        m_exitCode = kExitFailure;
        return false;
    }
    const CommandLine line = parse(arguments);
    if (!line.error.isEmpty() || line.help || line.version) {
        if (line.version)
            std::fprintf(stdout, "zelm-tessara %s\n", ZELM_VERSION);
        else
            std::fprintf(line.help ? stdout : stderr, "%s%s%s",
                         line.error.isEmpty() ? "" : qPrintable(line.error + QLatin1Char('\n')),
                         line.error.isEmpty() ? "" : "\n", qPrintable(UsageText()));
        m_exitCode = line.error.isEmpty() ? 0 : kExitUsage;
        return false;
    }

    // A direct print needs no window and no single instance: it prints and ends.
    if (line.print) {
        m_messageBoxes = std::make_unique<CMessageBoxPrompt>();
        m_exitCode = CScenarioPrinter::PrintFile(line.file.toStdString(),
                                                 line.printer.toStdString(), line.pdf.toStdString(),
                                                 m_prompt ? m_prompt : m_messageBoxes.get());
        return false;
    }

    // A show from the command line plays and ends the program; it changes
    // nothing, so it needs no single instance either.
    if (!line.play.isEmpty()) {
        m_messageBoxes = std::make_unique<CMessageBoxPrompt>();
        m_exitCode = CShowLauncher::PlayFromCommandLine(line.play,
                                                        m_prompt ? m_prompt : m_messageBoxes.get());
        return false;
    }

    // 2. One instance per user. A later start hands over its files, one
    // open command each (or just asks the first to come to the front), and
    // ends.
    m_instance = std::make_unique<CSingleInstance>(m_options.instanceFolder);
    if (!m_instance->TryBecomeFirst()) {
        QStringList commands;
        for (const QString& file : line.files)
            commands << CSingleInstance::OpenCommand(QFileInfo(file).absoluteFilePath());
        if (commands.isEmpty())
            commands << QString::fromLatin1(CSingleInstance::ActivateCommand);
        bool heard = true;
        for (const QString& command : commands)
            heard = m_instance->SendToFirst(command) && heard;
        m_instance.reset();
        if (!heard)
            std::fprintf(stderr, "zelm-tessara: another instance holds the lock but does "
                                 "not answer.\n");
        m_exitCode = heard ? 0 : kExitFailure;
        return false;
    }
    connect(m_instance.get(), &CSingleInstance::CommandReceived, this, &CVantorelApp::OnDdeCommand);
    CSplashWnd::EnableSplashScreen(line.splash);

    // 3. The prompt of every message box. The clipboard formats need no
    // registration here: QMimeData carries them by name.
    m_messageBoxes = std::make_unique<CMessageBoxPrompt>();
    if (!m_prompt)
        m_prompt = m_messageBoxes.get();

    // 4. What the run shares (the presentation object every editor
    // borrows), before any window can ask for it.
    m_zelmApp = std::make_unique<CZelmApplication>(m_prompt);

    // 5. The main frame; its creation shows the splash.
    m_frame = std::make_unique<CMainFrame>(m_prompt, SharedPresentation());
    m_messageBoxes->SetParent(m_frame.get());
    CSplashWnd::ShowSplashScreen(m_frame.get());

    // 6. Project files open in this program unless another has them (an
    // installed program's own desktop entry has seen to that already).
    if (m_options.registerFileTypes &&
        !CFileTypeRegistration::InstalledWithDesktopEntry(QCoreApplication::applicationDirPath()))
        CFileTypeRegistration(QCoreApplication::applicationFilePath()).Register();

    // 7. Layout and placement; the first run takes the default place.
    m_frame->RestoreBarState();
    {
        QSettings settings;
        WindowPlacementSettings placement;
        placement.Restore(settings, kSettings, *m_frame);
    }
    m_frame->show();
    if (CSplashWnd::Current())
        CSplashWnd::Current()->raise();
    // The browser reads its folders once the window is up.
    QTimer::singleShot(0, m_frame.get(), [frame = m_frame.get()] {
        if (frame->Browser())
            frame->Browser()->Start();
    });

    CSplashWnd::WaitForSplash();

    // 8. The command line: a project opens, a presentation becomes one,
    // any other file opens nothing.
    bool opened = false;
    for (const QString& file : line.files)
        opened = m_frame->OpenDocumentFile(file) != nullptr || opened;
    if (opened)
        CSplashWnd::EnableSplashScreen(false);
    // Then what other starts sent meanwhile: no command is dropped.
    m_started = true;
    const QStringList waiting = std::exchange(m_waiting, {});
    for (const QString& command : waiting)
        OnDdeCommand(command);
    return true;
}

int CVantorelApp::ExitInstance()
{
    CSplashWnd::HideSplashScreen();
    m_frame.reset();
    m_zelmApp.reset();
    if (m_instance)
        m_instance->Release();
    m_instance.reset();
    if (m_prompt == m_messageBoxes.get())
        m_prompt = nullptr;
    m_messageBoxes.reset();
    return m_exitCode;
}

CSlidePPTObj* CVantorelApp::SharedPresentation() const
{
    return m_zelmApp ? &m_zelmApp->SharedPresentation() : nullptr;
}

void CVantorelApp::BringToFront()
{
    if (!m_frame)
        return;
    // A dialog that is up stays on top of its window.
    QWidget* target = QApplication::activeModalWidget();
    if (m_frame->isMinimized())
        m_frame->showNormal();
    if (!target)
        target = m_frame.get();
    target->raise();
    target->activateWindow();
}

bool CVantorelApp::OnDdeCommand(const QString& command)
{
    // During start-up a command waits until the window is up; on Linux no
    // shell repeats the first start's file, so every command is a request.
    if (!m_started) {
        m_waiting << command;
        return true;
    }
    BringToFront();
    QString path;
    if (!CSingleInstance::ParseOpenCommand(command, path))
        return command == QLatin1String(CSingleInstance::ActivateCommand);
    // Not while a dialog is up: the file waits for its turn in the queue.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kRetryMs, this, [this, command] { OnDdeCommand(command); });
        return true;
    }
    return m_frame && m_frame->OpenDocumentFile(path) != nullptr;
}
