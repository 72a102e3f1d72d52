// Speed of Send and of its Cancel: a 200-slide project (1024 x 768 display images) sent to a
// card folder, with the time split into conversion (staging the card
// pictures) and copy (writing the card), for JPEG (quality 2) and bitmap
// (quality 0) pictures, converted on one thread or on every core.
#include "base/progress.h"
#include "base/userprompt.h"
#include "imaging/imaginghost.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "output/scenarioexport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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

// A progress window whose Cancel is pressed once `after` steps are done.
class CancellingProgress : public CProgress
{
public:
    explicit CancellingProgress(int after) : m_after(after) {}
    void SetRange(int, int) override {}
    void SetStep(int) override {}
    void SetPos(int) override {}
    void StepIt() override { ++m_steps; }
    void SetText(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void Show(bool) override {}
    bool IsCancelled() override
    {
        if (m_steps < m_after)
            return false;
        if (!m_pressed.isValid())
            m_pressed.start();
        return true;
    }
    // Milliseconds since Cancel was first seen; -1 when it never was.
    double SinceCancel() const
    {
        return m_pressed.isValid() ? double(m_pressed.nsecsElapsed()) / 1e6 : -1;
    }

private:
    int m_after;
    int m_steps = 0;
    QElapsedTimer m_pressed;
};

// How soon a send stops after Cancel (pressed after 10 slides), JPEG on
// every core: the time from the first cancelled check to the send's return.
void BM_SendCancel(benchmark::State& state)
{
    BenchProject& bench = Project();
    QTemporaryDir card;
    const std::string root = card.path().toStdString() + "/";
    CScenarioExport::Project project;
    project.name = "Bench";
    project.backColor = 0x00202020;
    project.imageQuality = 2;
    project.cells = &bench.cells;
    project.hosts = CImagingHost::MakeFactory(project.backColor, 2, CImagingHost::NoSpaceCheck);
    AgreeingPrompt prompt;
    double stop = 0;
    for (auto _ : state) {
        CancellingProgress progress(10);
        CScenarioExport send(&prompt, &progress);
        send.SetOfferAutorun(false);
        if (send.Send(project, root) == CScenarioExport::Sent || progress.SinceCancel() < 0) {
            state.SkipWithError("the send did not stop at Cancel");
            break;
        }
        stop += progress.SinceCancel();
    }
    state.counters["stop_ms"] = stop / double(state.iterations());
}

BENCHMARK(BM_SendCancel)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

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
