#pragma once
// The Two Colors window in the running editor: the dither options, the
// threshold slider in its captioned frame, the two colour buttons, Cancel
// and OK. Everything it decides is TwoColorsSession's
// (twocolors/two_colors_session.h); the window turns events into its calls,
// shows its state, and wakes up when the session's deferral ends.

#include <QAbstractButton>
#include <QImage>
#include <QTimer>

#include <memory>

#include "app/tool_window.h"

class QGroupBox;
class QPushButton;
class QRadioButton;
class QSlider;

namespace tarnel {

class AppContext;
class TwoColorsSession;

// Binds command 8 ("Two Colors..."), the window's events and the view
// refresh to context.
void installTwoColorsWindow(AppContext& context);

// A button that shows nothing but its swatch image, filling it.
class SwatchButton final : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;
    void setSwatch(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_swatch;
};

class TwoColorsWindow final : public ToolWindow {
public:
    TwoColorsWindow(AppContext& context, std::shared_ptr<TwoColorsSession> session);

    // Shows what the session says.
    void sync();
    // The end of every event: runs a due check under the wait cursor and
    // arms the timer for the next one.
    void afterEvent();
    // Arms the timer for the session's next check (after a change made
    // elsewhere, without running one now).
    void scheduleCheck();

    QRadioButton* ditherButton(int mode) const { return m_dither[mode]; }
    QGroupBox* thresholdFrame() const { return m_thresholdFrame; }
    QSlider* slider() const { return m_slider; }
    SwatchButton* colorButton(int button) const { return button == 1 ? m_color1 : m_color2; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    std::shared_ptr<TwoColorsSession> m_session;
    QRadioButton* m_dither[3] = {};
    QGroupBox* m_thresholdFrame = nullptr;
    QSlider* m_slider = nullptr;
    SwatchButton* m_color1 = nullptr;
    SwatchButton* m_color2 = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_ok = nullptr;
    QTimer m_checkTimer;
};

}  // namespace tarnel
