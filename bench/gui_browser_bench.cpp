// The browser's window side: showing a folder of 5,000 files in the file
// list (fill, model and view layout), the longest stall of the window's
// event loop while picture icons arrive, and the time from the end of a
// presentation's conversion to its first slide tile.
#include "browser/folderlisting.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/dirtreectrl.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistctrl.h"
#include "gui/browser/filelistmodel.h"
#include "gui/browser/folderdlgbar.h"
#include "gui/browser/iconloader.h"
#include "gui/browser/slideworker.h"
#include "gui/browser/thumbnailwnd.h"
#include "presentation/presentationfixtures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

// The longest gap between two ticks of a 5 ms timer, from construction to
// Stop: how long the window's thread was kept from its events. `eachTick`
// runs at every tick.
class CStallWatch
{
public:
    explicit CStallWatch(std::function<void()> eachTick = {})
    {
        clock.start();
        m_tick.setInterval(5);
        QObject::connect(&m_tick, &QTimer::timeout, [this, eachTick] {
            const qint64 now = clock.elapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
            if (eachTick)
                eachTick();
        });
        m_tick.start();
    }
    // Stops the ticks and reports the longest gap as the iteration's time.
    void Report(benchmark::State& state)
    {
        m_tick.stop();
        state.counters["longest_stall_ms"] = double(m_longest);
        state.SetIterationTime(double(m_longest) / 1000.0);
    }

    QElapsedTimer clock;

private:
    QTimer m_tick;
    qint64 m_last = 0, m_longest = 0;
};

std::string makeFolder(QTemporaryDir& dir, int count, bool realPictures)
{
    const std::string root = dir.path().toStdString() + "/";
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG");
    }
    for (int i = 0; i < count; ++i) {
        QFile f(QString::fromStdString(root + "photo" + std::to_string(i) + ".jpg"));
        f.open(QIODevice::WriteOnly);
        f.write(realPictures ? jpeg : QByteArray("x"));
    }
    QFile ppt(QString::fromStdString(root + "talk.ppt"));
    ppt.open(QIODevice::WriteOnly);
    ppt.write(QByteArray(4096, '\0'));
    return root;
}

void BM_ShowFolder5000(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string root = makeFolder(dir, 5000, false);
    QMainWindow frame;
    CBrowserPanes panes(frame);
    frame.resize(1200, 800);
    frame.show();
    panes.SetListViewMode(int(state.range(0)));
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        panes.FileBar()->ShowFolder(root, "*.ppt;*.jpg;*.jpeg;*.bmp;*.dib;*.png", 0);
        // Until the view has laid the items out and painted once.
        panes.FileBar()->List()->CurrentView()->viewport()->repaint();
        QCoreApplication::processEvents();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        panes.FileBar()->Model().Loader().Cancel();
    }
}
BENCHMARK(BM_ShowFolder5000)
    ->Arg(CFileListCtrl::LargeIcons)
    ->Arg(CFileListCtrl::Details)
    ->Arg(CFileListCtrl::List)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// The longest gap between two ticks of a 5 ms timer while the icons of
// 2,000 real JPEG pictures arrive as the list scrolls through them.
void BM_LongestStallWhileIconsArrive(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string root = makeFolder(dir, 2000, true);
    QMainWindow frame;
    CBrowserPanes panes(frame);
    frame.resize(1200, 800);
    frame.show();
    for (auto _ : state) {
        panes.FileBar()->ShowFolder(root, "*.jpg", 2);
        QAbstractItemView* view = panes.FileBar()->List()->CurrentView();
        CStallWatch watch([view] {
            QScrollBar* bar = view->verticalScrollBar();
            bar->setValue(bar->value() + bar->singleStep());
        });
        while (watch.clock.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        watch.Report(state);
    }
}
BENCHMARK(BM_LongestStallWhileIconsArrive)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// From the end of the conversion (the slide count is known) to the first
// reported tile, and the conversion itself, of the 12-slide deck.
void BM_FirstSlideTile(benchmark::State& state)
{
    const std::string deck = CPresentationFixtures::Path("deck12");
    if (deck.empty()) {
        state.SkipWithError("no deck");
        return;
    }
    for (auto _ : state) {
        // A fresh copy each time: the conversion is not found in the cache.
        QTemporaryDir work;
        const QString copy = work.path() + QStringLiteral("/deck.ppt");
        QFile::copy(QString::fromStdString(deck), copy);
        CThumbnailWnd window;
        window.SetWorkFolder(work.path().toStdString() + "/");
        window.resize(800, 600);
        window.show();
        QElapsedTimer clock;
        clock.start();
        window.ShowPresentation(copy.toStdString());
        qint64 converted = -1;
        while (!window.IsReported(0) && clock.elapsed() < 180000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (converted < 0 && window.Total() > 0)
                converted = clock.elapsed();
        }
        const qint64 first = clock.elapsed();
        state.counters["conversion_ms"] = double(converted);
        state.counters["after_conversion_ms"] = double(first - converted);
        state.SetIterationTime(double(first) / 1000.0);
    }
}
BENCHMARK(BM_FirstSlideTile)
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

std::string makeSubfolders(QTemporaryDir& dir, int count)
{
    const std::string big = dir.path().toStdString() + "/big/";
    QDir().mkpath(QString::fromStdString(big));
    for (int i = 0; i < count; ++i)
        QDir().mkdir(QString::fromStdString(big + "folder" + std::to_string(i)));
    return big;
}

// Runs the event loop until `done` or 10 s.
template <typename Done> void spinUntil(Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The node of `path` in the tree with its expand sign known, for a branch
// the user is about to open: its parent opened first, as the user does.
QModelIndex closedBranch(CDirTreeCtrl* tree, const std::string& path)
{
    std::string parent = path.substr(0, path.size() - 1);
    parent.erase(parent.rfind('/') + 1);
    spinUntil([&] { return tree->IndexOf(parent).isValid(); });
    tree->expand(tree->IndexOf(parent));
    spinUntil([&] { return tree->IndexOf(path).isValid(); });
    const QModelIndex index = tree->IndexOf(path);
    tree->scrollTo(index);
    spinUntil([&] {
        tree->viewport()->repaint();
        return tree->Model().hasChildren(index);
    });
    return index;
}

// A folder of 5,000 subfolders shown in the tree: the browser started on
// one of them until its node is current and painted (the branches read off
// the window's thread, the nodes made and laid out), and the branch opened
// by the user until its nodes are painted.
void BM_TreeOf5000Subfolders(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string big = makeSubfolders(dir, 5000);
    QMainWindow frame;
    CBrowserPanes panes(frame);
    frame.resize(1200, 800);
    frame.show();
    CDirTreeCtrl* tree = panes.FolderBar()->Tree();
    const bool opened = state.range(0) == 1;
    const std::string shown = big + "folder2500/";
    for (auto _ : state) {
        QElapsedTimer clock;
        if (opened) {
            panes.Start(dir.path().toStdString());
            const QModelIndex item = closedBranch(tree, big);
            clock.start();
            tree->expand(item);
            spinUntil([&] { return tree->Model().rowCount(item) == 5000; });
        } else {
            clock.start();
            panes.Start(shown);
            spinUntil([&] { return tree->CurrentPath() == shown; });
        }
        tree->viewport()->repaint();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        tree->Reader().WaitForDone(10000);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_TreeOf5000Subfolders)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// The longest gap between two ticks of a 5 ms timer while a branch is
// opened on a volume that takes 2 s to answer.
void BM_LongestStallExpandingOnASlowVolume(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string big = makeSubfolders(dir, 500);
    QMainWindow frame;
    CBrowserPanes panes(frame);
    frame.resize(1200, 800);
    frame.show();
    CDirTreeCtrl* tree = panes.FolderBar()->Tree();
    for (auto _ : state) {
        tree->Reader().SetLister(&CFolderListing::List);
        tree->Reader().SetProber(&CFolderListing::HasSubfolders);
        panes.Start(dir.path().toStdString());
        const QModelIndex item = closedBranch(tree, big);
        // From here on the volume is slow.
        tree->Reader().SetLister([](const std::string& folder) {
            QThread::msleep(2000);
            return CFolderListing::List(folder);
        });
        tree->Reader().SetProber([](const std::string& folder) {
            QThread::msleep(200);
            return CFolderListing::HasSubfolders(folder);
        });
        CStallWatch watch;
        tree->expand(item);
        while (tree->Model().rowCount(item) < 500 && watch.clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // And while the first painted subfolders are checked.
        const qint64 until = watch.clock.elapsed() + 1000;
        while (watch.clock.elapsed() < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        watch.Report(state);
    }
    tree->Reader().WaitForDone(30000);
}
BENCHMARK(BM_LongestStallExpandingOnASlowVolume)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    setenv("ZELM_HOME", (home.path() + "/zelm").toUtf8().constData(), 1);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
