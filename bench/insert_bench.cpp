// Inserting photos into a project: each 4000 x 3000 JPEG becomes a display
// image (PNG in 1024 x 768) and a thumbnail in the project folder. Compares
// one conversion at a time with conversions on every core.
//
//   insert_bench [--benchmark_filter=...]   ZELM_BENCH_PHOTOS=200 (default)
#include "document/zurdoc.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"
#include "imaging/imaginghost.h"
#include "model/cellbmpinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

namespace {

int photoCount()
{
    const char* env = std::getenv("ZELM_BENCH_PHOTOS");
    const int n = env ? std::atoi(env) : 0;
    return n > 0 ? n : 200;
}

// The photos, made once: one camera-sized picture with some detail, saved
// under as many names as needed (the conversions cannot tell them apart).
class Photos
{
public:
    static Photos& Get()
    {
        static Photos photos;
        return photos;
    }
    std::string folder;
    std::vector<std::string> paths;

private:
    Photos()
    {
        folder = m_dir.path().toStdString() + "/photos/";
        QDir().mkpath(QString::fromStdString(folder));
        QImage image(4000, 3000, QImage::Format_RGB32);
        QPainter painter(&image);
        for (int y = 0; y < 3000; y += 100)
            for (int x = 0; x < 4000; x += 100)
                painter.fillRect(x, y, 100, 100,
                                 QColor((x * 7) % 256, (y * 5) % 256, (x + y) % 256));
        painter.end();
        const QString first = QString::fromStdString(folder + "IMG_0000.jpg");
        image.save(first, "JPEG", 90);
        for (int i = 0; i < photoCount(); ++i) {
            const std::string path = folder + "IMG_" + std::to_string(1000 + i) + ".jpg";
            QFile::copy(first, QString::fromStdString(path));
            paths.push_back(path);
        }
    }
    QTemporaryDir m_dir;
};

void InsertPhotos(benchmark::State& state)
{
    const int workers = static_cast<int>(state.range(0));
    Photos& photos = Photos::Get();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir project;
        const std::string folder = project.path().toStdString() + "/";
        CZurDoc doc;
        doc.ProjectName = "bench";
        doc.ProjectPath = folder;
        doc.Cells.ProjectFolder = folder;
        CScenarioEditor editor(doc);
        if (workers > 0)
            editor.SetParallelImport(
                [] {
                    return std::make_unique<CImagingHost>(0, 2, CImagingHost::CheckEveryPicture);
                },
                workers);
        else
            editor.SetParallelImport({}, 0);
        CCellInfoList list;
        list.ProjectFolder = photos.folder;
        for (const std::string& path : photos.paths) {
            auto cell = std::make_unique<CCellBmpInfo>();
            cell->RefFilePath = path;
            cell->RefPage = 1;
            list.Append(std::move(cell));
        }
        state.ResumeTiming();
        const bool ok = editor.InsertCells(EditorCommand::Paste, list, false);
        state.PauseTiming();
        if (!ok || editor.Rows().GetCount() != static_cast<int>(photos.paths.size()))
            state.SkipWithError("the insertion failed");
        doc.Cells.DeleteAll();
        state.ResumeTiming();
    }
    state.counters["photos"] = static_cast<double>(photos.paths.size());
    state.counters["s_per_photo"] = benchmark::Counter(
        static_cast<double>(photos.paths.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(InsertPhotos)
    ->ArgName("workers")
    ->Arg(0)
    ->Arg(QThread::idealThreadCount())
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
