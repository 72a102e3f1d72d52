// Start of the window program to a usable main window (no splash): the time
// from starting the process until its event loop answers a later start over
// the single-instance socket, which it does only once the main window is up
// and the program handles events. The first start of a fresh home also
// registers the file type; it is left out of the figures (warm-up).
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

namespace {

QString g_program;

// Seconds until the program answers, -1 on failure.
double startOnce(const QString& home)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("ZELM_HOME"), home + QStringLiteral("/zelm"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    const QString socketPath = home + QStringLiteral("/zelm/ZUR1PrevInstance");

    QElapsedTimer clock;
    clock.start();
    process.start(g_program, {QStringLiteral("--no-splash")});
    double seconds = -1;
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && process.state() != QProcess::NotRunning) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(20)) {
            socket.write("[activate]\n");
            socket.waitForBytesWritten(1000);
            QByteArray answer;
            while (!answer.endsWith('\n') && socket.waitForReadyRead(5000))
                answer += socket.readAll();
            if (answer == "ok\n")
                seconds = clock.nsecsElapsed() / 1e9;
            break;
        }
        QThread::usleep(500);
    }
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished();
    }
    return seconds;
}

void BM_StartToUsableMainWindow(benchmark::State& state)
{
    QTemporaryDir home;
    if (startOnce(home.path()) < 0) {
        state.SkipWithError("the program did not start");
        return;
    }
    for (auto _ : state) {
        const double s = startOnce(home.path());
        if (s < 0) {
            state.SkipWithError("the program did not answer");
            return;
        }
        state.SetIterationTime(s);
    }
}
BENCHMARK(BM_StartToUsableMainWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    g_program = QCoreApplication::applicationDirPath() + QStringLiteral("/zelm-tessara");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
