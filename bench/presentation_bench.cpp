// A 30-slide presentation: the LibreOffice conversion (once per presentation,
// then cached), the rendering of one slide picture, and the expansion of the
// whole presentation into a project (per slide, conversion cached).
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "model/cellinfolist.h"
#include "model/presentationblock.h"
#include "presentation/sliderenderer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

namespace {

constexpr int kSlides = 30;
constexpr int kPaste = 57637;

std::string fodp(int slides)
{
    std::string styles, pages;
    for (int i = 1; i <= slides; ++i) {
        const std::string n = std::to_string(i);
        const std::string colour = QStringLiteral("#%1")
                                       .arg((i * 0x3F5A21) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                                       .toStdString();
        styles +=
            R"(<style:style style:name="dp)" + n +
            R"(" style:family="drawing-page"><style:drawing-page-properties draw:fill="solid" draw:fill-color=")" +
            colour + R"("/></style:style>)";
        pages +=
            R"(<draw:page draw:name="page)" + n + R"(" draw:style-name="dp)" + n +
            R"(" draw:master-page-name="Default">)"
            R"(<draw:frame svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="4cm"><draw:text-box><text:p>Slide )" +
            n +
            R"(</text:p><text:p>A line of text to render on every slide of the bench deck.</text:p></draw:text-box></draw:frame>)"
            R"(<draw:custom-shape svg:x="4cm" svg:y="9cm" svg:width="12cm" svg:height="6cm"><draw:enhanced-geometry draw:type="ellipse"/></draw:custom-shape></draw:page>)";
    }
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
<office:styles/><office:automatic-styles>
<style:page-layout style:name="PM1"><style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:margin-left="0cm" fo:margin-right="0cm" fo:page-width="25.4cm" fo:page-height="19.05cm" style:print-orientation="landscape"/></style:page-layout>
)" + styles +
           R"(</office:automatic-styles>
<office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1"/></office:master-styles>
<office:body><office:presentation>)" +
           pages + "</office:presentation></office:body></office:document>\n";
}

QTemporaryDir& deckFolder()
{
    static QTemporaryDir dir;
    return dir;
}

// The deck as `format` ("ppt" or "pdf"), made once by LibreOffice.
std::string deckAs(const char* format)
{
    QTemporaryDir& dir = deckFolder();
    const QString made = dir.filePath(QStringLiteral("deck30.") + QLatin1String(format));
    if (QFile::exists(made))
        return made.toStdString();
    const QString source = dir.filePath(QStringLiteral("deck30.fodp"));
    QFile file(source);
    const std::string text = fodp(kSlides);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), qint64(text.size())) != qint64(text.size()))
        return {};
    file.close();
    QProcess soffice;
    soffice.start(QStringLiteral("soffice"),
                  {QStringLiteral("-env:UserInstallation=") +
                       QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString(),
                   QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                   QLatin1String(format), QStringLiteral("--outdir"), dir.path(), source});
    soffice.waitForFinished(180000);
    return QFile::exists(made) ? made.toStdString() : std::string();
}

// The deck, made once by LibreOffice.
const std::string& deck()
{
    static const std::string path = deckAs("ppt");
    return path;
}

void BM_ConvertPresentation(benchmark::State& state)
{
    if (deck().empty())
        return state.SkipWithError("LibreOffice could not make the deck");
    for (auto _ : state) {
        QTemporaryDir cache;
        CSlideRenderer renderer(deck(), kSlides, cache.path().toStdString() + "/", 180000);
        if (renderer.Prepare() != CSlideRenderer::Ready)
            return state.SkipWithError("conversion failed");
    }
}
BENCHMARK(BM_ConvertPresentation)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderSlide(benchmark::State& state)
{
    if (deck().empty())
        return state.SkipWithError("LibreOffice could not make the deck");
    QTemporaryDir work;
    CSlideRenderer renderer(deck(), kSlides, work.path().toStdString() + "/", 180000);
    if (renderer.Prepare() != CSlideRenderer::Ready)
        return state.SkipWithError("conversion failed");
    const std::string out = work.path().toStdString() + "/slide.png";
    int index = 0;
    for (auto _ : state) {
        if (!renderer.Render(index % kSlides + 1, out, "png", 1024, 768))
            return state.SkipWithError("render failed");
        ++index;
    }
}
BENCHMARK(BM_RenderSlide)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole expansion as a paste does it, the conversion already cached:
// export, display image, thumbnail and validation of every slide.
bool expandOnce(const QByteArray& block, int round, qint64* elapsedNs)
{
    QTemporaryDir folder;
    CZurDoc doc;
    CProjectSettings settings;
    settings.name = "Bench" + std::to_string(round);
    settings.folder = folder.path().toStdString() + "/";
    doc.NewProject(settings);
    CScenarioEditor editor(doc);
    CCellInfoList list;
    list.AppendFromBytes(block);
    QElapsedTimer clock;
    clock.start();
    const bool ok = editor.InsertCells(kPaste, list, false) && editor.Rows().GetCount() == kSlides;
    if (elapsedNs)
        *elapsedNs = clock.nsecsElapsed();
    return ok;
}

void BM_ExpandPresentation(benchmark::State& state)
{
    if (deck().empty())
        return state.SkipWithError("LibreOffice could not make the deck");
    const QByteArray block = MakePresentationBlock(deck());
    // The first expansion converts the presentation; the rounds measured
    // find it in the cache.
    if (!expandOnce(block, 0, nullptr))
        return state.SkipWithError("expansion failed");
    int round = 1;
    qint64 total = 0;
    for (auto _ : state) {
        qint64 ns = 0;
        if (!expandOnce(block, round++, &ns))
            return state.SkipWithError("expansion failed");
        total += ns;
        state.SetIterationTime(double(ns) / 1e9);
    }
    state.counters["ms_per_slide"] = double(total) / 1e6 / double(kSlides * state.iterations());
}
BENCHMARK(BM_ExpandPresentation)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();

// The same deck as a PDF document: its pages become cells through poppler
// alone, nothing to convert.
void BM_ExpandPdf(benchmark::State& state)
{
    const std::string pdf = deckAs("pdf");
    if (pdf.empty())
        return state.SkipWithError("LibreOffice could not make the PDF");
    const QByteArray block = MakePresentationBlock(pdf);
    int round = 100;
    for (auto _ : state) {
        qint64 ns = 0;
        if (!expandOnce(block, round++, &ns))
            return state.SkipWithError("expansion failed");
        state.SetIterationTime(double(ns) / 1e9);
    }
}
BENCHMARK(BM_ExpandPdf)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();

// The deck through LibreOffice as a user meets it the first time: a copy
// under a new name each round, so the conversion is part of the expansion.
void BM_ExpandPresentationWithConversion(benchmark::State& state)
{
    if (deck().empty())
        return state.SkipWithError("LibreOffice could not make the deck");
    int round = 200;
    for (auto _ : state) {
        const QString copy = deckFolder().filePath(QStringLiteral("copy%1.ppt").arg(round));
        QFile::copy(QString::fromStdString(deck()), copy);
        qint64 ns = 0;
        if (!expandOnce(MakePresentationBlock(copy.toStdString()), round++, &ns))
            return state.SkipWithError("expansion failed");
        state.SetIterationTime(double(ns) / 1e9);
    }
}
BENCHMARK(BM_ExpandPresentationWithConversion)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace

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
