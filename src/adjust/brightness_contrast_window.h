#pragma once
// The brightness and contrast window ("Adjust brightness & contrast") in the
// running editor: the two sliders, the brightness options and Reset,
// "Rfsh Brt", Apply and Exit. Everything it decides is
// BrightnessContrastSession's (adjust/brightness_contrast_session.h); the
// window turns events into its calls, shows its state and runs its timer.

#include <QTimer>

#include <memory>

#include "adjust/brightness_contrast_session.h"
#include "app/tool_window.h"

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QSlider;

namespace tarnel {

class AppContext;

// Binds command 11, the window's close box and the view refresh to context.
void installBrightContrastWindow(AppContext& context);

class BrightnessContrastWindow final : public ToolWindow {
public:
    BrightnessContrastWindow(AppContext& context, std::shared_ptr<BrightnessContrastSession> session);

    // Shows what the session says and arms the timer for its next due adjustment.
    void sync();

    QSlider* brightnessSlider() const { return m_brightness; }
    QSlider* contrastSlider() const { return m_contrast; }
    QGroupBox* brightnessFrame() const { return m_brightnessFrame; }
    QGroupBox* contrastFrame() const { return m_contrastFrame; }
    QRadioButton* limitButton(BrightnessLimit limit) const { return m_limits[static_cast<int>(limit)]; }
    QCheckBox* proportionalBox() const { return m_proportional; }
    QRadioButton* ratioButton() const { return m_ratio; }
    QRadioButton* equalButton() const { return m_equal; }
    QCheckBox* channelBox(int channel) const { return m_channels[channel]; }  // 0 red, 1 green, 2 blue
    QPushButton* resetButton() const { return m_reset; }
    QPushButton* refreshButton() const { return m_refresh; }
    QPushButton* applyButton() const { return m_apply; }
    QPushButton* exitButton() const { return m_exit; }

private:
    // Runs a session call under the wait cursor, then syncs.
    template <typename Call>
    void run(Call call);
    void sliderMoved(ToneSlider slider, int position);
    void optionsChanged();

    std::shared_ptr<BrightnessContrastSession> m_session;
    QTimer m_timer;
    QGroupBox* m_brightnessFrame = nullptr;
    QGroupBox* m_contrastFrame = nullptr;
    QSlider* m_brightness = nullptr;
    QSlider* m_contrast = nullptr;
    QRadioButton* m_limits[3] = {};
    QCheckBox* m_proportional = nullptr;
    QRadioButton* m_ratio = nullptr;
    QRadioButton* m_equal = nullptr;
    QCheckBox* m_channels[3] = {};
    QPushButton* m_reset = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_exit = nullptr;
};

}  // namespace tarnel
