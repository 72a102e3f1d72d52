// Speed of printing: composing the pages of a 500-row project, for the print
// preview (thumbnails) and for real printing (pictures composed by the
// imaging procedures at the printer's resolution), into a PDF printer.
#include "base/resourcebundle.h"
#include "gui/dialogs/printtestutil.h"
#include "gui/view/scenarioprinter.h"

#include <QApplication>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {
constexpr int kRows = 500;

struct BenchSheet
{
    QTemporaryDir folder;
    CZurDoc doc;
    BenchSheet() { MakePrintProject(doc, folder.path() + "/", kRows); }
};

BenchSheet& Sheet()
{
    static BenchSheet sheet;
    return sheet;
}

// Every page of the sheet drawn into a PDF printer.
void BM_ComposePages(benchmark::State& state)
{
    const bool preview = state.range(0) != 0;
    CScenarioPrinter printer(Sheet().doc);
    QTemporaryDir out;
    int pages = 0;
    for (auto _ : state) {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(out.path() + "/sheet.pdf");
        printer.Print(pdf, preview);
        pages = printer.Layout().PageCount();
    }
    state.counters["pages"] = pages;
    state.SetLabel(preview ? "preview pictures" : "printed pictures");
}
BENCHMARK(BM_ComposePages)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The print preview made ready: every page recorded, the first one shown.
void BM_PreviewReady(benchmark::State& state)
{
    CScenarioPrinter sheet(Sheet().doc);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested,
                     [&](QPrinter* p) { sheet.Print(*p, true); });
    for (auto _ : state)
        preview.updatePreview();
    state.counters["pages"] = preview.pageCount();
}
BENCHMARK(BM_PreviewReady)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    setenv("ZELM_HOME", home.path().toUtf8().constData(), 1);
    setenv("XDG_CONFIG_HOME", home.path().toUtf8().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (!CResourceBundle::Load())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
