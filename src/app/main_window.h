#pragma once
// Window 0: the editor's main window with its status bar, menu bar,
// toolbar, popup menu, keyboard shortcuts and the view canvas.
//
// Every menu item, popup item, toolbar button and shortcut carries a
// command id and runs it through the dispatcher; the window itself decides
// nothing. Window events (close box, resize, minimise, maximise, restore)
// go to the dispatcher's handler of window 0.

#include <QMainWindow>

#include <map>
#include <vector>

#include "app/platform.h"

class QLabel;
class QMenu;
class QShortcut;
class QToolBar;
class QKeySequence;

namespace tarnel {

class AppContext;
class CanvasWidget;

inline constexpr const char* kMainWindowTitle = "Tarnel_2.0 (x64) ";
inline constexpr int kStatusFieldFile = 0;
inline constexpr int kStatusFieldSelection = 1;

class MainWindow final : public QMainWindow {
public:
    explicit MainWindow(AppContext& context);
    ~MainWindow() override;

    // Builds everything after the window itself: status bar, fonts, menu
    // bar, icons (decoded into their image slots), toolbar, minimum size,
    // popup menu, shortcuts and canvas, in this order.
    void build();

    CanvasWidget* canvas() const { return m_canvas; }
    QToolBar* toolBar() const { return m_toolBar; }
    QMenu* popupMenu() const { return m_popup; }

    // Toolbar buttons by command id (nullptr for an id without a button).
    QAction* toolbarAction(int id) const;
    void setToolbarEnabled(int id, bool enabled);
    // The histogram (35/47) and palette (38/49) toggles: sets the toolbar
    // button and the checkable menu item of the same command together.
    void setToggleState(int id, bool on);

    void setStatusText(int field, const QString& text);
    QString statusText(int field) const;

    // Heights of the bars and the frame size, as the core lays out with.
    WindowMetrics metrics() const;
    // Puts the canvas at (x, y) below the menu bar, width x height; returns
    // the size it got.
    Size placeCanvas(int x, int y, int width, int height);

    // Shows the popup menu at the pointer.
    void showPopup();

    // Binds a further key to a command while the returned shortcut lives
    // (the floating-section placement binds Enter this way).
    QShortcut* bindKey(const QKeySequence& key, int id);
    // The fixed shortcuts: key and id, in the order they were added.
    const std::vector<std::pair<QKeySequence, int>>& shortcuts() const { return m_shortcutTable; }

    // Size events reach the dispatcher only after start-up has drawn the
    // working image.
    void setLayoutEnabled(bool enabled) { m_layoutEnabled = enabled; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildStatusBar();
    void buildFonts();
    void buildMenuBar();
    void decodeIcons();
    void buildToolBar();
    void buildPopupMenu();
    void buildShortcuts();
    void buildCanvas();
    QAction* commandAction(const QString& text, int id, QObject* parent);
    // Runs a command as the user chose it (the wait cursor around long work).
    void runCommand(int id);

    AppContext& m_context;
    QLabel* m_fields[2] = {nullptr, nullptr};
    QToolBar* m_toolBar = nullptr;
    QMenu* m_popup = nullptr;
    QWidget* m_canvasArea = nullptr;
    CanvasWidget* m_canvas = nullptr;
    std::map<int, QAction*> m_toolbarActions;
    std::map<int, std::vector<QAction*>> m_checkableMenuItems;
    std::vector<std::pair<QKeySequence, int>> m_shortcutTable;
    bool m_layoutEnabled = false;
};

}  // namespace tarnel
