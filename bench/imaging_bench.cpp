// Speed of the image procedures on a camera-sized picture: the display image
// and thumbnail made when a 4000 x 3000 JPEG is imported, and the card
// pictures made from a display image when a project is sent. Times are wall
// clock; CPU is the whole process's (Qt scales on worker threads too).
#include "benchproject.h"
#include "imaging/imagingprocedures.h"
#include "imaging/lead.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string g_folder;

std::string PathOf(const char* name)
{
    return g_folder + "/" + name;
}

bool Prepare()
{
    QImageWriter jpg(QString::fromStdString(PathOf("photo.jpg")), "jpeg");
    jpg.setQuality(90);
    if (!jpg.write(CBenchProject::Photo(4000, 3000)))
        return false;
    CLead lead;
    QSize size;
    return CImagingProcedures::CreateWorkImage(lead, PathOf("photo.jpg"), PathOf("work.png"),
                                               size) == 1 &&
           QImage(QString::fromStdString(PathOf("work.png")))
               .scaled(1024, 384)
               .save(QString::fromStdString(PathOf("wide.png")));
}

void BM_WorkImageFrom4000x3000Jpeg(benchmark::State& state)
{
    CLead lead;
    for (auto _ : state) {
        QSize size;
        if (CImagingProcedures::CreateWorkImage(lead, PathOf("photo.jpg"), PathOf("out.png"),
                                                size) != 1)
            state.SkipWithError("work image failed");
    }
}
BENCHMARK(BM_WorkImageFrom4000x3000Jpeg)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The same steps without the reduced decode, to show what it saves.
void BM_WorkImageFullDecode(benchmark::State& state)
{
    CLead lead;
    for (auto _ : state) {
        const bool ok = lead.LoadFile(PathOf("photo.jpg"), 24, 0, -1) == 0 &&
                        lead.ResizeImage(1024, 768, 2) == 0 &&
                        lead.SaveFile(PathOf("out.png"), CLead::FormatPng, 24, 2, 0) == 0;
        lead.SetBitmapHandle(0);
        if (!ok)
            state.SkipWithError("work image failed");
    }
}
BENCHMARK(BM_WorkImageFullDecode)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ThumbImageFromWorkImage(benchmark::State& state)
{
    CLead lead;
    for (auto _ : state) {
        QSize size;
        if (CImagingProcedures::CreateThumbImage(lead, PathOf("work.png"), PathOf("out.jpg"), 160,
                                                 120, size) != 1)
            state.SkipWithError("thumbnail failed");
    }
}
BENCHMARK(BM_ThumbImageFromWorkImage)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Importing one photo: display image, then its thumbnail.
void BM_ImportPhoto(benchmark::State& state)
{
    CLead lead;
    for (auto _ : state) {
        QSize size;
        if (CImagingProcedures::CreateWorkImage(lead, PathOf("photo.jpg"), PathOf("imp.png"),
                                                size) != 1 ||
            CImagingProcedures::CreateThumbImage(lead, PathOf("imp.png"), PathOf("imp.jpg"), 160,
                                                 120, size) != 1)
            state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_ImportPhoto)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Card picture of a full-frame display image (saved as it is) and of a
// letterboxed one, as JPEG (quality 2) and as BMP (quality 0).
void BM_CardImage(benchmark::State& state)
{
    const bool letterbox = state.range(0) != 0;
    const int quality = int(state.range(1));
    CLead primary, canvas;
    const std::string source = PathOf(letterbox ? "wide.png" : "work.png");
    for (auto _ : state) {
        if (CImagingProcedures::CreateCardImage(primary, canvas, source, PathOf("CARD.IMG"), false,
                                                0x00402010, quality) != 1)
            state.SkipWithError("card image failed");
    }
}
BENCHMARK(BM_CardImage)
    ->ArgNames({"letterbox", "quality"})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_CardThumbnail(benchmark::State& state)
{
    CLead primary, canvas, lead;
    QSize size;
    if (CImagingProcedures::CreateThumbImage(lead, PathOf("wide.png"), PathOf("thumb.jpg"), 160,
                                             120, size) != 1) {
        state.SkipWithError("thumbnail failed");
        return;
    }
    for (auto _ : state) {
        if (CImagingProcedures::CreateCardImage(primary, canvas, PathOf("thumb.jpg"),
                                                PathOf("CARD.JPS"), true, 0, 2) != 1)
            state.SkipWithError("card thumbnail failed");
    }
}
BENCHMARK(BM_CardThumbnail)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_folder = dir.path().toStdString();
    if (!Prepare()) {
        std::fprintf(stderr, "could not make the test pictures\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
