// One-shot commands, Undo, Redo and Revert in the real main window,
// offscreen: from triggering the menu item (as a click on it does) until the
// canvas has been painted, on a 4096 x 4096 photo-like image. Run with a
// short and with a 50-change history.
//
//   QT_QPA_PLATFORM=offscreen build/bench/commands_bench

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "bench_common.h"
#include "ui/bench_editor.h"
#include "core/pixel_memory.h"
#include "document/slots.h"
#include "io/image_file.h"

namespace tarnel {
namespace {

QAction* findAction(const QList<QAction*>& actions, int id) {
    for (QAction* a : actions) {
        if (a->menu()) {
            if (QAction* found = findAction(a->menu()->actions(), id)) return found;
        } else if (!a->isSeparator() && a->data().toInt() == id) {
            return a;
        }
    }
    return nullptr;
}

struct Editor4096 : bench::BenchEditor {
    double command(int id) {
        QAction* action = findAction(context->window().menuBar()->actions(), id);
        return timeToPaint([action] { action->trigger(); });
    }
    // A history of `changes` states after the loaded image.
    void historyOf(int changes) {
        Editor& editor = context->editor();
        editor.resetHistory();
        for (int i = 0; i < changes; ++i) context->dispatch().run(i % 2 ? kCmdNegative : kCmdMirror);
        QCoreApplication::processEvents();
    }
};

Editor4096& editor4096() {
    static Editor4096 instance;
    return instance;
}

// range(0): command id; range(1): changes in the history before.
void BM_CommandToPaint(benchmark::State& state) {
    Editor4096& e = editor4096();
    const int id = static_cast<int>(state.range(0));
    e.historyOf(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        state.SetIterationTime(e.command(id));
        // Rotate right and left come back to the same size; others repeat.
        if (id == kCmdRotateRight) e.command(kCmdRotateLeft);
    }
    state.SetLabel(findAction(e.context->window().menuBar()->actions(), id)->text().toStdString());
}
BENCHMARK(BM_CommandToPaint)
    ->ArgsProduct({{kCmdNegative, kCmdGrayScale, kCmdMirror, kCmdFlip, kCmdRotate180, kCmdRotateRight,
                    kCmdGaussianBlur, kCmdFaded},
                   {0, 50}})
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Undo and Redo alternate; Revert after a change.
void BM_HistoryToPaint(benchmark::State& state) {
    Editor4096& e = editor4096();
    const int id = static_cast<int>(state.range(0));
    e.historyOf(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        if (id == kCmdRevert) {
            e.context->dispatch().run(kCmdNegative);
            state.SetIterationTime(e.command(kCmdRevert));
        } else {
            state.SetIterationTime(e.command(id));
            e.command(id == kCmdUndo ? kCmdRedo : kCmdUndo);
        }
    }
    state.SetLabel(id == kCmdUndo ? "undo" : id == kCmdRedo ? "redo" : "revert");
}
BENCHMARK(BM_HistoryToPaint)
    ->ArgsProduct({{kCmdUndo, kCmdRedo, kCmdRevert}, {2, 50}})
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A pan of the 4096 x 4096 image in mover mode: one mouse move to paint.
void BM_PanMove(benchmark::State& state) {
    Editor4096& e = editor4096();
    CanvasWidget* canvas = e.context->window().canvas();
    e.context->dispatch().run(kCmdMover);
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(300, 300));
    int step = 0;
    for (auto _ : state) {
        const QPoint to(300 + (step % 40) * 5, 300 + (step % 30) * 4);
        ++step;
        state.SetIterationTime(e.timeToPaint([canvas, to] { QTest::mouseMove(canvas, to); }));
    }
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(300, 300));
}
BENCHMARK(BM_PanMove)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// Load image from the requester's answer to the canvas painted, against the
// file's decode alone. range(0): 0 PNG, 1 JPEG.
void BM_LoadToPaint(benchmark::State& state) {
    Editor4096& e = editor4096();
    const bool png = state.range(0) == 0;
    const std::string path = e.home.path().toStdString() + (png ? "/photo.png" : "/photo.jpg");
    if (!saveImageFile(path, bench::benchPhoto(24), png ? ImageFormat::Png : ImageFormat::Jpeg, png ? 7 : 8).ok)
        state.SkipWithError("cannot write the photo");
    e.context->platform().setFileAnswerer([path](const QString&) { return QString::fromStdString(path); });
    double decode = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(loadImageFile(path));
        decode += static_cast<double>(timer.nsecsElapsed()) * 1e-6;
        state.SetIterationTime(e.command(kCmdLoadImage));
    }
    state.counters["decode_ms"] = decode / static_cast<double>(state.iterations());
    state.SetLabel(png ? "load PNG" : "load JPEG");
}
BENCHMARK(BM_LoadToPaint)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tarnel

TARNEL_QT_BENCHMARK_MAIN()
