// The tool windows in the real event loop, offscreen: from a click (or a
// mouse move) to the changed canvas painted, on a 4096 x 4096 photo-like
// image, with the histogram and palette windows open where they follow.
//
//   QT_QPA_PLATFORM=offscreen build/bench/windows_bench

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

#include "adjust/brightness_contrast_window.h"
#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "bench_common.h"
#include "ui/bench_editor.h"
#include "document/slots.h"
#include "quantize/quantize_window.h"
#include "twocolors/two_colors_session.h"
#include "twocolors/two_colors_window.h"

namespace tarnel {
namespace {

struct Editor4096 : bench::BenchEditor {
    Editor4096() {
        context->dispatch().run(kCmdQuantize);
        QTest::qWaitFor([this] { return window() && window()->isVisible(); });
    }
    QuantizeWindow* window() { return static_cast<QuantizeWindow*>(context->toolWindow(kWindowQuantize)); }
    void setTools(bool open) {
        const bool histogram = context->toolWindow(kWindowHistogram) != nullptr;
        const bool palette = context->toolWindow(kWindowPalette) != nullptr;
        if (histogram != open) context->dispatch().run(kCmdShowHistogram);
        if (palette != open) context->dispatch().run(kCmdShowPalette);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

Editor4096& editor4096() {
    static Editor4096 instance;
    return instance;
}

void BM_TestToPaint(benchmark::State& state) {
    Editor4096& e = editor4096();
    e.setTools(state.range(1) != 0);
    QuantizeWindow* w = e.window();
    w->methodList()->setCurrentIndex(static_cast<int>(state.range(0)));
    emit w->methodList()->activated(static_cast<int>(state.range(0)));
    if (!w->ditherBox()->isChecked()) w->ditherBox()->click();
    for (auto _ : state)
        state.SetIterationTime(e.timeToPaint([w] { QTest::mouseClick(w->testButton(), Qt::LeftButton); }));
    state.SetLabel(w->methodList()->currentText().toStdString() + (state.range(1) ? " + histogram, palette" : ""));
}
BENCHMARK(BM_TestToPaint)
    ->ArgsProduct({{0, 1, 2, 3, 5, 6, 8, 11}, {0, 1}})
    ->Args({7, 1})
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// 0: tools closed; 1: histogram and palette open on the photo; 2: the same
// on a 32-colour preview (the palette scan then reads every pixel).
void BM_RedrawWithToolsOpen(benchmark::State& state) {
    Editor4096& e = editor4096();
    e.setTools(state.range(0) != 0);
    const bool preview = state.range(0) == 2;
    if (preview) {
        e.window()->methodList()->setCurrentIndex(1);
        emit e.window()->methodList()->activated(1);
    }
    QTest::mouseClick(preview ? e.window()->testButton() : e.window()->sourceButton(), Qt::LeftButton);
    const int slot = preview ? kSlotPreview : kSlotWorking;
    for (auto _ : state)
        state.SetIterationTime(e.timeToPaint([&e, slot] { e.context->editor().redraw(slot, true); }));
    QWidget* h = e.context->toolWindow(kWindowHistogram);
    QWidget* p = e.context->toolWindow(kWindowPalette);
    state.SetLabel(std::string(h && h->isVisible() ? "histogram " : "") + (p && p->isVisible() ? "palette" : ""));
}
BENCHMARK(BM_RedrawWithToolsOpen)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SelectionDragMove(benchmark::State& state) {
    Editor4096& e = editor4096();
    e.setTools(true);
    CanvasWidget* canvas = e.context->window().canvas();
    e.context->dispatch().run(kCmdSelector);
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(20, 20));
    int step = 0;
    for (auto _ : state) {
        const QPoint to(100 + (step % 200), 80 + (step % 150));
        ++step;
        state.SetIterationTime(e.timeToPaint([canvas, to] { QTest::mouseMove(canvas, to); }));
    }
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(300, 200));
    e.context->dispatch().run(kCmdMover);
}
BENCHMARK(BM_SelectionDragMove)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// Two Colors: from the end of the slider's deferral (330 ms after the move)
// until the canvas shows the new preview, per dither mode (None, 4X4
// ordered, Sierra Lite); second argument 1: histogram and palette open.
// The quantize window is closed meanwhile (it would keep Two Colors from
// opening) and opened again afterwards.
void BM_TwoColorsDeferralEndToPaint(benchmark::State& state) {
    Editor4096& e = editor4096();
    AppContext& c = *e.context;
    e.setTools(state.range(1) != 0);
    if (QWidget* q = c.toolWindow(kWindowQuantize)) q->close();
    QTest::qWaitFor([&c] { return !c.toolWindow(kWindowQuantize); });
    c.dispatch().run(kCmdTwoColors);
    auto* w = static_cast<TwoColorsWindow*>(c.toolWindow(kWindowTwoColors));
    QTest::qWaitFor([&c] { return c.editor().shownSlot() == kSlotScratch; });
    e.timeToPaint([w, &state] { w->ditherButton(static_cast<int>(state.range(0)))->click(); });
    int value = kTwoColorDefaultSlider;
    for (auto _ : state) {
        value = value == kTwoColorDefaultSlider ? 140 : kTwoColorDefaultSlider;
        const double total = e.timeToPaint([w, value] { w->slider()->setValue(value); });
        state.SetIterationTime(total - kTwoColorsDeferralMs * 1e-3);
    }
    state.SetLabel(w->ditherButton(static_cast<int>(state.range(0)))->text().toStdString() +
                   (state.range(1) ? " + histogram, palette" : ""));
    w->close();
    QTest::qWaitFor([&c] { return !c.toolWindow(kWindowTwoColors); });
    c.dispatch().run(kCmdQuantize);
    QTest::qWaitFor([&e] { return e.window() && e.window()->isVisible(); });
}
BENCHMARK(BM_TwoColorsDeferralEndToPaint)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Brightness (0) and contrast (1): from the end of the slider's rest until the
// canvas shows the new preview; second argument 1: histogram and palette
// open. The rest passes without events, so the measurement starts with the
// window's timer already due. The quantize window is closed meanwhile.
void BM_BrightContrastDeferralEndToPaint(benchmark::State& state) {
    Editor4096& e = editor4096();
    AppContext& c = *e.context;
    e.setTools(state.range(1) != 0);
    if (QWidget* q = c.toolWindow(kWindowQuantize)) q->close();
    QTest::qWaitFor([&c] { return !c.toolWindow(kWindowQuantize); });
    c.dispatch().run(kCmdBrightContrast);
    auto* w = static_cast<BrightnessContrastWindow*>(c.toolWindow(kWindowBrightContrast));
    QSlider* slider = state.range(0) == 0 ? w->brightnessSlider() : w->contrastSlider();
    int step = 0;
    const auto restAndPaint = [&] {
        slider->setValue(slider->maximum() / 2 + 20 + 20 * (step++ % 2));
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(kToneDeferralMs + 5));
        return e.timeToNextPaint();
    };
    restAndPaint();  // the first move may switch sliders
    for (auto _ : state) state.SetIterationTime(restAndPaint());
    state.SetLabel(std::string(state.range(0) ? "contrast" : "brightness") +
                   (state.range(1) ? " + histogram, palette" : ""));
    w->close();
    QTest::qWaitFor([&c] { return !c.toolWindow(kWindowBrightContrast); });
    c.dispatch().run(kCmdQuantize);
    QTest::qWaitFor([&e] { return e.window() && e.window()->isVisible(); });
}
BENCHMARK(BM_BrightContrastDeferralEndToPaint)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace tarnel

TARNEL_QT_BENCHMARK_MAIN()
