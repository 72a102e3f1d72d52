// The read-only check of a project (`zelm check`): every display image and
// thumbnail is checked as a send would decode it. The cells are what an
// insertion makes: a 1024 x 768 PNG display image and a 160 x 120 JPEG
// thumbnail each. BM_DecodeEveryPictureSerially decodes the same pictures
// whole, one after the other, as the check did before: the figure to compare.
#include "document/projectcheck.h"
#include "document/projectfile.h"
#include "imaging/imagedecoder.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

class CheckFixture
{
public:
    explicit CheckFixture(int cells)
    {
        folder = m_dir.path().toStdString() + "/Bench/";
        QDir().mkpath(QString::fromStdString(folder));
        // A picture with detail, so that the JPEG is of a photo's size.
        QImage picture(1024, 768, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb((x * 7 + y) & 255, (x ^ y) & 255, (x * y) & 255));
        const QString display = QString::fromStdString(folder + "display.png");
        const QString thumb = QString::fromStdString(folder + "thumb.jpg");
        picture.save(display, "PNG");
        picture.scaled(160, 120).save(thumb, "JPEG", 90);

        CProjectFile file;
        file.ProjectName = "Bench";
        file.ProjectPath = folder;
        file.Version = 2;
        CCellInfoList list;
        for (int i = 0; i < cells; ++i) {
            auto cell = std::make_unique<CCellBmpInfo>();
            cell->FileName = "d" + std::to_string(i) + ".png";
            cell->ThumbFileName = "t" + std::to_string(i) + ".jpg";
            cell->RefPage = 1;
            QFile::link(display, QString::fromStdString(folder + cell->FileName));
            QFile::link(thumb, QString::fromStdString(folder + cell->ThumbFileName));
            list.Append(std::move(cell));
        }
        path = folder + "Bench.sic";
        file.WriteFile(path, list);
    }

    std::string folder;
    std::string path;

private:
    QTemporaryDir m_dir;
};

CheckFixture& fixture(int cells)
{
    static std::map<int, std::unique_ptr<CheckFixture>> made;
    auto& f = made[cells];
    if (!f)
        f = std::make_unique<CheckFixture>(cells);
    return *f;
}

void BM_CheckProject(benchmark::State& state)
{
    const int cells = int(state.range(0));
    CheckFixture& f = fixture(cells);
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
    CheckFixture& f = fixture(cells);
    for (auto _ : state) {
        for (int i = 0; i < cells; ++i) {
            for (const std::string name :
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
