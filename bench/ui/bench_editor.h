#pragma once
// The editor started offscreen for the window benchmarks, with a 4096 x 4096
// photo-like working image, and a clock from an input to the canvas painted.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/main_window.h"
#include "bench_common.h"
#include "core/pixel_memory.h"
#include "document/slots.h"

namespace tarnel::bench {

class BenchEditor {
public:
    BenchEditor() {
        context = std::make_unique<AppContext>();
        context->platform().setHomeFolder(home.path().toStdString() + "/");
        context->platform().setSleepEnabled(false);
        context->start();
        Editor& editor = context->editor();
        editor.images().put(kSlotWorking, benchPhoto(24));
        editor.resetHistory();
        editor.fitWindowToImage(kSlotWorking);
        context->window().canvas()->installEventFilter(&m_watch);
        QCoreApplication::processEvents();
    }

    // Runs the input, then the event loop until the canvas has been painted;
    // returns the seconds that took. Before it, as a person takes a moment
    // between inputs, the memory for the next snapshot gets ready.
    double timeToPaint(const std::function<void()>& input) {
        QCoreApplication::processEvents();
        waitForPixelPreparation();
        return timeToNextPaint(input);
    }
    // The same without the moment before: from now (input, if any, first).
    double timeToNextPaint(const std::function<void()>& input = {}) {
        m_watch.painted = false;
        QElapsedTimer timer;
        timer.start();
        if (input) input();
        while (!m_watch.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    }

    QTemporaryDir home;
    std::unique_ptr<AppContext> context;

private:
    class PaintWatch final : public QObject {
    public:
        bool painted = false;

    protected:
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) painted = true;
            return false;
        }
    };
    PaintWatch m_watch;
};

}  // namespace tarnel::bench

// The main of a window benchmark: Qt's application around Google Benchmark.
#define TARNEL_QT_BENCHMARK_MAIN()                   \
    int main(int argc, char** argv) {                \
        QApplication app(argc, argv);                \
        benchmark::Initialize(&argc, argv);          \
        benchmark::RunSpecifiedBenchmarks();         \
        benchmark::Shutdown();                       \
        return 0;                                    \
    }
