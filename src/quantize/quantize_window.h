#pragma once
// The quantize window ("Quantize Colors") in the running editor: the method
// list, the limit field, "Dither", the colour count and the Test, Source,
// Apply and Exit buttons. Everything it decides is QuantizeSession's
// (quantize/quantize_session.h); the window turns events into its calls and
// shows its state.

#include <QAbstractSpinBox>

#include <functional>
#include <memory>
#include <string>

#include "app/tool_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tarnel {

class AppContext;
class QuantizeSession;

// A numeric text with up/down arrows whose text is not always its value
// (for Uniform it shows levels^3): the arrows, the typing, leaving the field
// and Return are reported; the session decides the text.
class LimitSpinBox final : public QAbstractSpinBox {
public:
    explicit LimitSpinBox(QWidget* parent);

    std::function<void(int steps)> onStep;
    std::function<void(const std::string& text)> onEdited;
    std::function<void()> onEditFinished;
    std::function<void()> onReturn;

    void setShown(const QString& text, bool canStep);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_canStep = true;
};

// Binds command 41 ("Quantize..."), the window's close box and the view
// refresh to context.
void installQuantizeWindow(AppContext& context);

class QuantizeWindow final : public ToolWindow {
public:
    QuantizeWindow(AppContext& context, std::shared_ptr<QuantizeSession> session);

    // Shows what the session says.
    void sync();

    QComboBox* methodList() const { return m_methods; }
    LimitSpinBox* limitField() const { return m_limit; }
    QCheckBox* ditherBox() const { return m_dither; }
    QLabel* countLabel() const { return m_count; }
    QPushButton* testButton() const { return m_test; }
    QPushButton* sourceButton() const { return m_source; }
    QPushButton* applyButton() const { return m_apply; }
    QPushButton* exitButton() const { return m_exit; }

private:
    // Runs a session call that may take long under the wait cursor, then syncs.
    template <typename Call>
    void run(Call call);

    std::shared_ptr<QuantizeSession> m_session;
    QComboBox* m_methods = nullptr;
    LimitSpinBox* m_limit = nullptr;
    QCheckBox* m_dither = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_test = nullptr;
    QPushButton* m_source = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_exit = nullptr;
};

}  // namespace tarnel
