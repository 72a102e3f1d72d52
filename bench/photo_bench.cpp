// Importing a camera-sized photo (4000 x 3000, 12 megapixels) of each
// format: the display image and the thumbnail, as an insertion makes them.
// The time per megapixel of HEIC and WebP is set against JPEG's.
#include "benchproject.h"
#include "imaging/imagingprocedures.h"
#include "imaging/lead.h"
#include "imaging/phototestfiles.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
const char* const kFiles[] = {"photo.jpg", "photo.heic", "photo.webp", "photo.tif"};

std::string g_folder;

std::string PathOf(const std::string& name)
{
    return g_folder + "/" + name;
}

bool Prepare()
{
    bool all = true;
    for (const char* name : kFiles)
        all = all && QFileInfo::exists(QString::fromStdString(PathOf(name)));
    if (all)
        return true;
    const QImage photo = CBenchProject::Photo(kWidth, kHeight);
    QImageWriter jpg(QString::fromStdString(PathOf("photo.jpg")), "jpeg");
    jpg.setQuality(90);
    return jpg.write(photo) && phototest::Save(PathOf("photo.heic"), phototest::Heic(photo)) &&
           phototest::Save(PathOf("photo.webp"), phototest::WebP(photo, 1, 90)) &&
           phototest::Tiff(PathOf("photo.tif"), {photo});
}

void BM_ImportPhoto(benchmark::State& state)
{
    const std::string source = PathOf(kFiles[state.range(0)]);
    state.SetLabel(kFiles[state.range(0)]);
    CLead lead;
    for (auto _ : state) {
        QSize size;
        if (CImagingProcedures::CreateWorkImage(lead, source, PathOf("imp.png"), size) != 1 ||
            CImagingProcedures::CreateThumbImage(lead, PathOf("imp.png"), PathOf("imp.jpg"), 160,
                                                 120, size) != 1)
            return state.SkipWithError("import failed");
    }
    state.counters["s_per_megapixel"] = benchmark::Counter(
        double(kWidth) * kHeight / 1e6,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ImportPhoto)
    ->ArgName("format")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // PHOTO_BENCH_FOLDER keeps the photos between runs (making them takes
    // long: the HEIC encoder), e.g. for profiling the decoders alone.
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_folder = qEnvironmentVariableIsEmpty("PHOTO_BENCH_FOLDER")
                   ? dir.path().toStdString()
                   : qEnvironmentVariable("PHOTO_BENCH_FOLDER").toStdString();
    if (!Prepare()) {
        std::fprintf(stderr, "could not make the test photos\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
