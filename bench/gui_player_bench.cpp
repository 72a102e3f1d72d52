// The show player: the time from a start to the first picture on screen,
// the CPU cost of one transition frame at 1024 x 768 for each family, and
// how many pictures the player holds while a show runs.
#include "base/resourcebundle.h"
#include "document/projectfile.h"
#include "gui/player/playerwnd.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "show/showpictures.h"
#include "show/showsequence.h"
#include "show/transition.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void waitMs(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void waitExposed(QWidget& widget)
{
    QElapsedTimer timer;
    timer.start();
    while ((!widget.windowHandle() || !widget.windowHandle()->isExposed()) &&
           timer.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
}

void press(QWidget& widget, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &down);
}

// A picture that compresses like a photograph: gradients with noise.
QImage photo(int seed)
{
    QImage image(1024, 768, QImage::Format_RGB32);
    QRandomGenerator random{quint32(seed)};
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(24));
            line[x] =
                qRgb((x / 4 + seed * 40 + n) & 0xFF, (y / 3 + n) & 0xFF, (x + y + n) / 8 & 0xFF);
        }
    }
    return image;
}

// A saved project of `count` slides in `dir`; its project file's path.
std::string makeProject(QTemporaryDir& dir, int count)
{
    const std::string folder = dir.path().toStdString() + "/";
    CCellInfoList cells;
    cells.ProjectFolder = folder;
    for (int i = 0; i < count; ++i) {
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = "slide" + std::to_string(i) + ".png";
        cell->ThumbFileName = cell->FileName;
        cell->RefFilePath = folder + cell->FileName;
        cell->Effect = CTransition::Dissolve;
        photo(i).save(QString::fromStdString(folder + cell->FileName), "PNG");
        cells.Append(std::move(cell));
    }
    CProjectFile project;
    project.ProjectName = "Bench";
    project.ProjectPath = folder;
    const std::string path = folder + "Bench.sic";
    project.WriteFile(path, cells);
    return path;
}

void BM_TransitionFrame(benchmark::State& state)
{
    const QImage from = photo(1);
    const QImage to = photo(2);
    QImage out;
    const int effect = int(state.range(0));
    double progress = 0.05;
    for (auto _ : state) {
        CTransition::Draw(from, to, effect, progress, 3, out);
        benchmark::DoNotOptimize(out.constBits());
        progress = progress > 0.9 ? 0.05 : progress + 0.07;
    }
    state.SetLabel(std::to_string(effect));
}
BENCHMARK(BM_TransitionFrame)->DenseRange(1, 40, 1)->Unit(benchmark::kMillisecond);

// From the start (reading the project) to the first picture painted in
// the player's window.
void BM_FirstPicture(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string project = makeProject(dir, 20);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto sequence = std::make_unique<CShowSequence>();
        sequence->FromPath(project);
        CPlayerWnd player(std::move(sequence), 0);
        player.Start(nullptr, true);
        waitExposed(player);
        QApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        player.close();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FirstPicture)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// Twenty slides stepped through: the most pictures held at once, and their bytes.
void BM_PicturesHeld(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string project = makeProject(dir, 20);
    int most = 0;
    for (auto _ : state) {
        auto sequence = std::make_unique<CShowSequence>();
        sequence->FromPath(project);
        CPlayerWnd player(std::move(sequence), 0);
        player.Start(nullptr, true);
        for (int i = 0; i < 19; ++i) {
            press(player, Qt::Key_Right);
            waitMs(20);
            most = std::max(most, player.PicturesHeld());
        }
        player.close();
    }
    state.counters["held_max"] = most;
    state.counters["held_MB"] = most * 1024.0 * 768 * 4 / (1024 * 1024);
}
BENCHMARK(BM_PicturesHeld)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    setenv("ZELM_HOME", (home.path() + "/zelm").toUtf8().constData(), 1);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    CResourceBundle::Load(ZELM_BIN_DIR "/ZelmTsRsc.rcc");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
