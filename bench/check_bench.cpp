// The read-only check of a project (`zelm check`): every display image and
// thumbnail is checked as a send would decode it. The cells are what an
// insertion makes: a 1024 x 768 PNG display image and a 160 x 120 JPEG
// thumbnail each. BM_DecodeEveryPictureSerially decodes the same pictures
// whole, one after the other, as the check did before: the figure to compare.
#include "benchproject.h"
#include "document/projectcheck.h"
#include "imaging/imagedecoder.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

// Every cell links to one detailed display image and one thumbnail, so
// that the JPEG is of a photo's size.
CBenchProject::Pictures CheckPictures()
{
    QImage picture(1024, 768, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb((x * 7 + y) & 255, (x ^ y) & 255, (x * y) & 255));
    CBenchProject::Pictures pictures;
    pictures.display = picture;
    pictures.thumbnail = picture.scaled(160, 120);
    pictures.thumbnailQuality = 90;
    pictures.link = true;
    return pictures;
}

CBenchProject& fixture(int cells)
{
    return CBenchProject::Cached(cells, CheckPictures);
}

void BM_CheckProject(benchmark::State& state)
{
    const int cells = int(state.range(0));
    CBenchProject& f = fixture(cells);
    for (auto _ : state) {
        CProjectCheck check;
        if (check.Run(f.path) != CProjectFile::ReadOk)
            state.SkipWithError("check failed");
        // Only the notes of the two shared pictures: every cell decodes.
        if (check.Problems.size() != 2)
            state.SkipWithError("unexpected problems");
        benchmark::DoNotOptimize(check.Problems.size());
    }
    state.SetComplexityN(cells);
}

void BM_DecodeEveryPictureSerially(benchmark::State& state)
{
    const int cells = int(state.range(0));
    CBenchProject& f = fixture(cells);
    for (auto _ : state) {
        for (int i = 0; i < cells; ++i) {
            for (const std::string& name :
                 {"d" + std::to_string(i) + ".png", "t" + std::to_string(i) + ".jpg"}) {
                QFile file(QString::fromStdString(f.folder + name));
                file.open(QIODevice::ReadOnly);
                QImage image;
                QSize size;
                if (!CImageDecoder::Decode(
                        file.readAll(), false, [](const QSize&) { return QSize(1, 1); }, image,
                        size))
                    state.SkipWithError("decode failed");
            }
        }
    }
    state.SetComplexityN(cells);
}

} // namespace

BENCHMARK(BM_CheckProject)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_DecodeEveryPictureSerially)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    QTemporaryDir home;
    setenv("ZELM_HOME", home.path().toUtf8().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
