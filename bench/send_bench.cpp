// Speed of Send: a 200-slide project (1024 x 768 display images) sent to a
// card folder, with the time split into conversion (staging the card
// pictures) and copy (writing the card), for JPEG (quality 2) and bitmap
// (quality 0) pictures, converted on one thread or on every core.
#include "base/userprompt.h"
#include "imaging/imaginghost.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "output/scenarioexport.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int kSlides = 200;

// Answers OK and Yes to everything.
class AgreeingPrompt : public CUserPrompt
{
public:
    Answer Show(int, const std::string&, Icon, Buttons buttons) override
    {
        return buttons == OkCancel ? AnswerOk : buttons == Ok ? AnswerOk : AnswerYes;
    }
};

// A project folder with photographs-like display images: gradients with
// noise, so that JPEG has real work to do.
struct BenchProject
{
    QTemporaryDir folder;
    CCellInfoList cells;

    BenchProject()
    {
        const std::string path = folder.path().toStdString() + "/";
        cells.ProjectFolder = path;
        QRandomGenerator random(42);
        for (int i = 0; i < kSlides; ++i) {
            QImage image(1024, 768, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    const int noise = int(random.bounded(24));
                    line[x] = qRgb((x / 4 + i) & 0xFF, (y / 3 + noise) & 0xFF, (x + y) / 8 + noise);
                }
            }
            auto cell = std::make_unique<CCellBmpInfo>();
            cell->FileName = "slide" + std::to_string(i) + ".png";
            cell->ThumbFileName = "slide" + std::to_string(i) + ".jpg";
            image.save(QString::fromStdString(path + cell->FileName), "PNG");
            // Every other thumbnail is re-made (not 160 x 120), the rest copied.
            const QSize thumb = i % 2 ? QSize(160, 120) : QSize(160, 100);
            image.scaled(thumb).save(QString::fromStdString(path + cell->ThumbFileName), "JPG");
            cell->Resize[0] = thumb.width();
            cell->Resize[1] = thumb.height();
            cells.Append(std::move(cell));
        }
    }
};

BenchProject& Project()
{
    static BenchProject project;
    return project;
}

// Arguments: image quality, conversion threads (0: every core).
void BM_Send(benchmark::State& state)
{
    BenchProject& bench = Project();
    const int quality = int(state.range(0));
    const int threads = int(state.range(1));
    QTemporaryDir card;
    const std::string root = card.path().toStdString() + "/";
    CScenarioExport::Project project;
    project.name = "Bench";
    project.backColor = 0x00202020;
    project.imageQuality = quality;
    project.cells = &bench.cells;
    project.hosts =
        CImagingHost::MakeFactory(project.backColor, quality, CImagingHost::NoSpaceCheck);
    AgreeingPrompt prompt;
    double conversion = 0, copy = 0;
    for (auto _ : state) {
        CScenarioExport send(&prompt, nullptr);
        send.SetThreads(threads);
        send.SetOfferAutorun(false);
        if (send.Send(project, root) != CScenarioExport::Sent) {
            state.SkipWithError("send failed");
            break;
        }
        conversion += send.LastTiming().conversionMs;
        copy += send.LastTiming().copyMs;
        state.PauseTiming();
        QDir(QString::fromStdString(root + "Bench")).removeRecursively();
        QFile::remove(QString::fromStdString(root + "Bench.sit"));
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["conversion_ms"] = conversion / n;
    state.counters["copy_ms"] = copy / n;
    state.counters["threads"] = threads ? threads : QThread::idealThreadCount();
}

BENCHMARK(BM_Send)
    ->ArgNames({"quality", "threads"})
    ->Args({2, 1})
    ->Args({2, 0})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // The staging folder goes to a folder of its own, never the user's cache.
    QTemporaryDir home;
    setenv("ZELM_HOME", home.path().toUtf8().constData(), 1);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
