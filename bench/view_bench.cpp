// The project window on a long project: opening 5,000 cells to a painted
// window (the rows off screen decode no thumbnail), painting one screen of
// rows once its thumbnails are loaded and a key that moves the focus row
// (the budget is one frame, 16 ms), Enter until the Properties dialog
// has painted itself (the budget is 100 ms), and the window's longest stall
// while a project is sent (the budget is 50 ms; Cancel within 200 ms).
#include "base/resourcebundle.h"
#include "base/userprompt.h"
#include "benchproject.h"
#include "document/projectfile.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "gui/dialogs/cardcommands.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "gui/dialogs/guicelldialogs.h"
#include "gui/view/celllistbox.h"
#include "gui/view/cellrowmodel.h"
#include "gui/view/scenarioview.h"
#include "gui/view/thumbnailcache.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "output/scenarioexport.h"
#include "support/zurdoctestutil.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

// A project folder of 5,000 image cells, each with its own display image
// and thumbnail (copies of two small pictures of different sizes).
CBenchProject::Pictures ViewPictures()
{
    QImage picture(640, 360, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), Qt::darkCyan);
    painter.fillRect(40, 40, 300, 200, Qt::yellow);
    painter.end();
    CBenchProject::Pictures pictures;
    pictures.source = picture;
    pictures.display = picture.scaled(1024, 576);
    pictures.thumbnail = picture.scaled(160, 90);
    return pictures;
}

CBenchProject& Fixture()
{
    static CBenchProject fixture(5000, ViewPictures());
    return fixture;
}

// Open, make the window and paint it once; the thumbnails it asks for are
// counted (decoded later, off the window's thread).
void BM_OpenProjectWindow(benchmark::State& state)
{
    CBenchProject& f = Fixture();
    QFont font = QApplication::font();
    int requested = 0;
    for (auto _ : state) {
        CZurDoc doc;
        if (!doc.Open(f.path) || doc.Cells.VisibleCount() != 5000) {
            state.SkipWithError("open failed");
            break;
        }
        CScenarioEditor editor(doc);
        CScenarioView view(doc, editor);
        view.SetHeaderFont(font);
        view.resize(800, 900);
        view.show();
        QPixmap frame(view.size());
        view.render(&frame);
        requested = view.Model()->Thumbnails().PendingCount() + view.Model()->Thumbnails().Count();
        state.PauseTiming();
        view.Model()->Thumbnails().WaitForIdle();
        state.ResumeTiming();
    }
    state.counters["thumbnails_asked"] = requested;
}

// The window alone over a project already open: its rows, its layout and
// its first paint.
void BM_WindowOverOpenProject(benchmark::State& state)
{
    CBenchProject& f = Fixture();
    CZurDoc doc;
    if (!doc.Open(f.path)) {
        state.SkipWithError("open failed");
        return;
    }
    CScenarioEditor editor(doc);
    for (auto _ : state) {
        CScenarioView view(doc, editor);
        view.SetHeaderFont(QApplication::font());
        view.resize(800, 900);
        view.show();
        QPixmap frame(view.size());
        view.render(&frame);
        state.PauseTiming();
        view.Model()->Thumbnails().WaitForIdle();
        state.ResumeTiming();
    }
}

// One screen of rows (900 pixels) painted with every thumbnail loaded.
void BM_PaintOneScreen(benchmark::State& state)
{
    CBenchProject& f = Fixture();
    CZurDoc doc;
    if (!doc.Open(f.path)) {
        state.SkipWithError("open failed");
        return;
    }
    CScenarioEditor editor(doc);
    CScenarioView view(doc, editor);
    view.SetHeaderFont(QApplication::font());
    view.resize(800, 900);
    view.show();
    // Scroll into the middle, as a user would, and let the pictures come.
    view.ListBox()->scrollTo(view.Model()->index(2500), QAbstractItemView::PositionAtTop);
    QPixmap frame(view.ListBox()->viewport()->size());
    view.ListBox()->viewport()->render(&frame);
    view.Model()->Thumbnails().WaitForIdle();
    int rows = 0;
    for (int r = 0; r < view.Model()->rowCount(); ++r)
        if (view.ListBox()->viewport()->rect().intersects(
                view.ListBox()->visualRect(view.Model()->index(r))))
            ++rows;
    for (auto _ : state) {
        view.ListBox()->viewport()->render(&frame);
        benchmark::DoNotOptimize(frame.cacheKey());
    }
    state.counters["rows_on_screen"] = rows;
    state.counters["thumbnails_cached"] = view.Model()->Thumbnails().Count();
}

// Notes when the first modal dialog has painted itself, then closes it.
class DialogWatch : public QObject
{
public:
    QElapsedTimer clock;
    qint64 shownNs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && shownNs < 0) {
            if (auto* w = qobject_cast<QWidget*>(watched);
                w && qobject_cast<QDialog*>(w->window())) {
                shownNs = clock.nsecsElapsed();
                QDialog* dialog = qobject_cast<QDialog*>(w->window());
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        }
        return false;
    }
};

// A window over the 5,000-row project with the program's dialogs, the
// focus on row 2,500.
struct KeyedWindow
{
    KeyedWindow() : editor(doc)
    {
        ok = doc.Open(Fixture().path);
        editor.UpdateAllViews();
        view = std::make_unique<CScenarioView>(doc, editor);
        dialogs = std::make_unique<CGuiCellDialogs>(view.get(), nullptr);
        view->SetDialogs(dialogs.get());
        view->SetHeaderFont(QApplication::font());
        view->resize(800, 900);
        view->show();
        editor.Rows().ApplyClick(2500, false, false);
        view->Refresh();
    }
    void Key(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view->ListBox(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(view->ListBox(), &release);
    }

    CZurDoc doc;
    CScenarioEditor editor;
    std::unique_ptr<CScenarioView> view;
    std::unique_ptr<CGuiCellDialogs> dialogs;
    bool ok = false;
};

// A key that moves the focus row, until the list has repainted (the
// budget is one frame, 16 ms).
void BM_KeyMovesFocusRow(benchmark::State& state)
{
    KeyedWindow w;
    if (!w.ok) {
        state.SkipWithError("open failed");
        return;
    }
    int key = Qt::Key_Down;
    for (auto _ : state) {
        w.Key(key);
        w.view->ListBox()->viewport()->repaint();
        key = key == Qt::Key_Down ? Qt::Key_Up : Qt::Key_Down;
    }
}

// Enter on a selected row until the Properties dialog has painted itself
// (the budget is 100 ms).
void BM_PropertiesByEnter(benchmark::State& state)
{
    KeyedWindow w;
    if (!w.ok) {
        state.SkipWithError("open failed");
        return;
    }
    DialogWatch watch;
    qApp->installEventFilter(&watch);
    double worstMs = 0;
    for (auto _ : state) {
        watch.shownNs = -1;
        watch.clock.start();
        w.Key(Qt::Key_Return);
        if (watch.shownNs < 0) {
            state.SkipWithError("no dialog painted");
            break;
        }
        state.SetIterationTime(static_cast<double>(watch.shownNs) / 1e9);
        worstMs = std::max(worstMs, static_cast<double>(watch.shownNs) / 1e6);
    }
    qApp->removeEventFilter(&watch);
    state.counters["worst_ms"] = worstMs;
}

// The window's thread while a 200-slide project is sent to a card folder:
// the longest stretch in which it ran no event
// (a 1 ms timer measures the gaps), and how long Cancel takes to end the
// send once pressed at a quarter of the way. Argument 0: the send on the
// window's thread with a progress window that pumps events (as before);
// 1: the send as a job.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longestNs = std::max(m_longestNs, now - m_lastNs);
            m_lastNs = now;
            if (onTick)
                onTick();
        });
    }
    void Start()
    {
        m_clock.start();
        m_lastNs = 0;
        m_longestNs = 0;
        m_timer.start();
    }
    double LongestMs()
    {
        m_timer.stop();
        return double(std::max(m_longestNs, m_clock.nsecsElapsed() - m_lastNs)) / 1e6;
    }
    std::function<void()> onTick;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
};

class AgreeingPrompt : public CUserPrompt
{
public:
    Answer Show(int, const std::string&, Icon, Buttons buttons) override
    {
        return buttons == Ok || buttons == OkCancel ? AnswerOk : AnswerNo;
    }
};

void BM_SendStall(benchmark::State& state)
{
    const bool asJob = state.range(0) != 0;
    const bool cancel = state.range(1) != 0;
    QTemporaryDir projectDir, cardDir;
    AgreeingPrompt prompt;
    CZurDoc doc(&prompt);
    doc.ProjectName = "Stall";
    doc.ProjectPath = doc.Cells.ProjectFolder = projectDir.path().toStdString() + "/";
    if (!doctest::addSlideCells(doc, 200)) {
        state.SkipWithError("no project");
        return;
    }
    const std::string card = cardDir.path().toStdString() + "/";
    QWidget window;
    window.show();
    double worstStallMs = 0, worstCancelMs = 0;
    for (auto _ : state) {
        StallMeter meter;
        QElapsedTimer sinceCancel;
        // Cancel at a quarter of the way, pressed from the window's events.
        meter.onTick = [&] {
            if (!cancel || sinceCancel.isValid())
                return;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<CFileOpProgressDlg*>(w);
                    progress && progress->isVisible() &&
                    progress->PercentText().chopped(1).toInt() >= 25) {
                    sinceCancel.start();
                    progress->CancelButton()->click();
                }
        };
        meter.Start();
        if (asJob) {
            bool ended = false;
            CCardCommands::SendTo(doc, card, &prompt, &window,
                                  [&](CScenarioExport::Outcome, bool) { ended = true; });
            while (!ended)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        } else {
            CFileOpProgressDlg progress(&window);
            CScenarioExport send(&prompt, &progress);
            send.Send(doc, card);
            progress.Destroy();
        }
        const double cancelMs =
            sinceCancel.isValid() ? double(sinceCancel.nsecsElapsed()) / 1e6 : 0;
        worstStallMs = std::max(worstStallMs, meter.LongestMs());
        worstCancelMs = std::max(worstCancelMs, cancelMs);
    }
    state.counters["longest_stall_ms"] = worstStallMs;
    if (cancel)
        state.counters["cancel_ms"] = worstCancelMs;
}
} // namespace

BENCHMARK(BM_KeyMovesFocusRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PropertiesByEnter)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_OpenProjectWindow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WindowOverOpenProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintOneScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SendStall)
    ->ArgNames({"job", "cancel"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

int main(int argc, char** argv)
{
    QTemporaryDir home;
    setenv("ZELM_HOME", home.path().toUtf8().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    CResourceBundle::Load();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
