// Opening (which validates every thumbnail) and saving projects of many
// image cells. Both should grow linearly with the number of cells.
#include "benchproject.h"
#include "document/projectfile.h"
#include "document/zurdoc.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

// One project folder per cell count, made once: every cell has its own
// display image and thumbnail (copies of two small pictures) and names a
// source that is older than them, so a save has nothing to rebuild.
CBenchProject::Pictures DocumentPictures()
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    CBenchProject::Pictures pictures;
    pictures.source = picture;
    pictures.display = picture;
    pictures.thumbnail = picture.scaled(160, 120);
    return pictures;
}

CBenchProject& fixture(int cells)
{
    return CBenchProject::Cached(cells, DocumentPictures);
}

void BM_OpenProject(benchmark::State& state)
{
    const int cells = int(state.range(0));
    CBenchProject& f = fixture(cells);
    for (auto _ : state) {
        CZurDoc doc;
        if (!doc.Open(f.path) || doc.Cells.VisibleCount() != cells)
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(doc.Cells.GetCount());
    }
    state.SetComplexityN(cells);
}

void BM_SaveProject(benchmark::State& state)
{
    const int cells = int(state.range(0));
    CBenchProject& f = fixture(cells);
    CZurDoc doc;
    if (!doc.Open(f.path)) {
        state.SkipWithError("open failed");
        return;
    }
    for (auto _ : state) {
        if (!doc.Save())
            state.SkipWithError("save failed");
    }
    state.SetComplexityN(cells);
}

void BM_ReadProjectText(benchmark::State& state)
{
    const int cells = int(state.range(0));
    CBenchProject& f = fixture(cells);
    QFile file(QString::fromStdString(f.path));
    file.open(QIODevice::ReadOnly);
    const QByteArray text = file.readAll();
    for (auto _ : state) {
        CProjectFile project;
        CCellInfoList list;
        benchmark::DoNotOptimize(
            project.Read(std::string_view(text.constData(), size_t(text.size())), list));
    }
    state.SetComplexityN(cells);
}

} // namespace

BENCHMARK(BM_OpenProject)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_SaveProject)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ReadProjectText)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

int main(int argc, char** argv)
{
    // Never the user's own folders: the work folders go to a temporary home.
    QTemporaryDir home;
    setenv("ZELM_HOME", home.path().toUtf8().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
