#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <cmath>
#include <new>
#include <optional>
#include <span>

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/command_table_qt.h"
#include "app/dispatch.h"
#include "app/editor.h"
#include "app/platform_qt.h"
#include "app/view.h"
#include "document/slots.h"

namespace tarnel {

namespace {

// Window colour 0xDABFA5 (red 0xA5, green 0xBF, blue 0xDA).
const QColor kWindowColour(0xA5, 0xBF, 0xDA);
// Status field 1 is at least two thirds of the start-up width wide,
// round(800 / 1.5), and wider when its text needs it.
constexpr int kSelectionFieldWidth = (kMinInnerWidth * 2 + 1) / 3;
constexpr int kIconSize = 16;
// Font 0, the default of every control.
constexpr const char* kInterfaceFontFamily = "Arial";
constexpr int kInterfaceFontPoints = 10;

// The embedded icons, decoded in this order into their slots. The arrows
// carry alpha (32-bit), the others are RGB (24-bit).
struct EmbeddedIcon {
    int slot;
    const char* resource;
};
const EmbeddedIcon kEmbeddedIcons[] = {
    {kSlotIconUndo, ":/app/undo.png"},         {kSlotIconRedo, ":/app/redo.png"},
    {kSlotIconHistogram, ":/app/histogram.png"}, {kSlotIconPalette, ":/app/palette.png"},
    {kSlotIconSelector, ":/app/selector.png"},   {kSlotIconMover, ":/app/mover.png"},
};

// The toolbar icon of a slot: the decoded image, and where the screen has
// more pixels per unit the resource drawn at that density (NAME@2x.png).
constexpr int kDenseIconRatio = 2;
QIcon slotIcon(const Image& image, int slot) {
    QIcon icon(QPixmap::fromImage(toQImage(image)));
    for (const EmbeddedIcon& embedded : kEmbeddedIcons) {
        if (embedded.slot != slot) continue;
        QString dense = QString::fromLatin1(embedded.resource);
        dense.insert(dense.lastIndexOf(QLatin1Char('.')), QStringLiteral("@%1x").arg(kDenseIconRatio));
        QPixmap pixmap(dense);
        if (pixmap.isNull()) break;
        pixmap.setDevicePixelRatio(kDenseIconRatio);
        icon.addPixmap(pixmap);
    }
    return icon;
}

// Gives a bar the platform's window colour explicitly, so that it does not
// inherit the main window's.
void keepPlatformColours(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    widget->setPalette(palette);
}

long long windowStateValue(Qt::WindowStates states) {
    if (states & Qt::WindowMinimized) return kWindowMinimised;
    if (states & Qt::WindowMaximized) return kWindowMaximised;
    return kWindowNormal;
}

}  // namespace

MainWindow::MainWindow(AppContext& context) : m_context(context) {
    setWindowTitle(QString::fromLatin1(kMainWindowTitle));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowColour);
    setPalette(palette);
    setAutoFillBackground(true);
}

MainWindow::~MainWindow() = default;

void MainWindow::build() {
    buildStatusBar();
    // The bars keep the platform's control colours (the RGB icons are drawn
    // on its button face); the window colour shows around the canvas.
    keepPlatformColours(statusBar());
    statusBar()->setAutoFillBackground(true);
    keepPlatformColours(menuBar());
    buildFonts();
    buildMenuBar();
    decodeIcons();
    buildToolBar();
    const WindowMetrics m = metrics();
    setMinimumSize(kMinInnerWidth, kMinCanvasHeight + m.toolbarHeight + m.statusBarHeight);
    buildPopupMenu();
    buildShortcuts();
    buildCanvas();
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    m_fields[kStatusFieldFile] = new QLabel(bar);
    m_fields[kStatusFieldSelection] = new QLabel(bar);
    // The selection text keeps its whole width; the file field takes what
    // is left (and clips a long name) rather than making the window wider.
    m_fields[kStatusFieldSelection]->setMinimumWidth(kSelectionFieldWidth);
    m_fields[kStatusFieldFile]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(m_fields[kStatusFieldFile], 1);
    bar->addWidget(m_fields[kStatusFieldSelection], 0);
}

void MainWindow::buildFonts() {
    // Font 0 becomes every control's font. Font 1 (the title font) is made
    // by the start-up picture when it draws and lives no longer.
    QFont font(QString::fromLatin1(kInterfaceFontFamily), kInterfaceFontPoints);
    QApplication::setFont(font);
    setFont(font);
}

QAction* MainWindow::commandAction(const QString& text, int id, QObject* parent) {
    auto* action = new QAction(text, parent);
    action->setData(id);
    // A command whose tool is not built yet shows, disabled.
    action->setEnabled(m_context.dispatch().hasHandler(id));
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    return action;
}

void MainWindow::runCommand(int id) {
    const CommandRow* row = commandRow(id);
    Editor& editor = m_context.editor();
    const Image* before = editor.images().find(kSlotWorking);
    const Size size = before ? Size{before->width(), before->height()} : Size{};
    try {
        std::optional<LongWork> busy;
        if (row && row->longWork) busy.emplace(m_context.platform());
        m_context.dispatch().run(id);
    } catch (const std::bad_alloc&) {
        // The command changed nothing that stays (the editor put the working
        // image back); show it as it is and say why nothing happened.
        const Image* now = editor.images().find(kSlotWorking);
        if (now && (now->width() != size.width || now->height() != size.height))
            editor.fitWindowToImage(kSlotWorking);
        else
            editor.redraw(kSlotWorking, true);
        m_context.platform().messageBox(kOutOfMemoryTitle, kOutOfMemoryText, MessageButtons::Ok);
    }
}

namespace {

// Adds the layout's entries to root (a menu bar or a menu), opening submenus
// as they come; make() creates the action of a command row.
template <typename Root, typename Make>
void addMenuEntries(Root* root, std::span<const MenuEntry> layout, bool popup, Make make,
                    std::map<int, std::vector<QAction*>>& checkable) {
    std::vector<QMenu*> open;
    for (const MenuEntry& entry : layout) {
        switch (entry.kind) {
        case MenuEntryKind::Menu: {
            const QString title = QString::fromLatin1(entry.title);
            QMenu* sub = open.empty() ? root->addMenu(title) : open.back()->addMenu(title);
            open.push_back(sub);
            break;
        }
        case MenuEntryKind::End: open.pop_back(); break;
        case MenuEntryKind::Separator:
            if (open.empty()) root->addSeparator(); else open.back()->addSeparator();
            break;
        case MenuEntryKind::Item: {
            const CommandRow* row = commandRow(entry.id);
            if (!row) break;
            QWidget* parent = open.empty() ? static_cast<QWidget*>(root) : open.back();
            QAction* action = make(QString::fromLatin1(popup ? row->popupText : row->menuText), row->id, parent);
            if (row->toggle) {
                action->setCheckable(true);
                checkable[row->id].push_back(action);
            }
            parent->addAction(action);
            break;
        }
        }
    }
}

}  // namespace

void MainWindow::buildMenuBar() {
    addMenuEntries(menuBar(), menuBarLayout(), false,
                   [this](const QString& text, int id, QObject* parent) { return commandAction(text, id, parent); },
                   m_checkableMenuItems);
}

void MainWindow::decodeIcons() {
    ImageTable& images = m_context.editor().images();
    for (const EmbeddedIcon& icon : kEmbeddedIcons) {
        const QImage decoded(QString::fromLatin1(icon.resource));
        if (decoded.isNull()) continue;
        images.put(icon.slot, fromQImage(decoded, decoded.hasAlphaChannel() ? 32 : 24));
    }
}

void MainWindow::buildToolBar() {
    m_toolBar = addToolBar(QStringLiteral("toolbar"));
    keepPlatformColours(m_toolBar);
    m_toolBar->setAutoFillBackground(true);
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(kIconSize, kIconSize));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    const ImageTable& images = m_context.editor().images();
    for (const int id : toolbarLayout()) {
        const CommandRow* row = commandRow(id);
        if (!row) {
            m_toolBar->addSeparator();
            continue;
        }
        QIcon icon;
        if (row->iconSlot >= 0) {
            if (const Image* image = images.find(row->iconSlot)) icon = slotIcon(*image, row->iconSlot);
        } else {
            icon = QIcon::fromTheme(QString::fromLatin1(row->iconTheme), style()->standardIcon(row->iconFallback));
        }
        QAction* action = commandAction(QString::fromLatin1(row->toolTip), id, m_toolBar);
        action->setIcon(icon);
        action->setToolTip(QString::fromLatin1(row->toolTip));
        action->setCheckable(row->toggle);
        m_toolBar->addAction(action);
        m_toolbarActions[id] = action;
    }
    // The undo history enables these once there is something to undo or redo.
    setToolbarEnabled(kCmdUndo, false);
    setToolbarEnabled(kCmdRedo, false);
}

void MainWindow::buildPopupMenu() {
    m_popup = new QMenu(this);
    std::map<int, std::vector<QAction*>> popupCheckable;
    addMenuEntries(m_popup, popupLayout(), true,
                   [this](const QString& text, int id, QObject* parent) { return commandAction(text, id, parent); },
                   popupCheckable);
}

void MainWindow::buildShortcuts() {
    for (const CommandRow& row : commandRows()) {
        if (!row.hasKey()) continue;
        const QKeySequence key(row.key);
        bindKey(key, row.id);
        m_shortcutTable.emplace_back(key, row.id);
    }
}

QShortcut* MainWindow::bindKey(const QKeySequence& key, int id) {
    auto* shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(true);
    connect(shortcut, &QShortcut::activated, this, [this, id] { runCommand(id); });
    return shortcut;
}

void MainWindow::buildCanvas() {
    // The area between toolbar and status bar; the core places the canvas
    // inside it (placeCanvas), the window colour shows around it.
    m_canvasArea = new QWidget(this);
    setCentralWidget(m_canvasArea);
    m_canvas = new CanvasWidget(m_context.editor(), m_canvasArea);
    const WindowMetrics m = metrics();
    m_canvas->setGeometry(0, 0, kMinInnerWidth, kMinCanvasHeight + m.toolbarHeight + m.statusBarHeight);
}

QAction* MainWindow::toolbarAction(int id) const {
    const auto it = m_toolbarActions.find(id);
    return it == m_toolbarActions.end() ? nullptr : it->second;
}

void MainWindow::setToolbarEnabled(int id, bool enabled) {
    if (QAction* action = toolbarAction(id)) action->setEnabled(enabled);
}

void MainWindow::setToggleState(int id, bool on) {
    int menuId = id;
    int toolId = id;
    if (id == kCmdHistogram || id == kCmdShowHistogram) {
        menuId = kCmdHistogram;
        toolId = kCmdShowHistogram;
    } else if (id == kCmdPalette || id == kCmdShowPalette) {
        menuId = kCmdPalette;
        toolId = kCmdShowPalette;
    }
    if (QAction* action = toolbarAction(toolId)) action->setChecked(on);
    const auto it = m_checkableMenuItems.find(menuId);
    if (it != m_checkableMenuItems.end()) {
        for (QAction* action : it->second) action->setChecked(on);
    }
}

void MainWindow::setStatusText(int field, const QString& text) {
    if (field >= 0 && field < 2 && m_fields[field]) m_fields[field]->setText(text);
}

QString MainWindow::statusText(int field) const {
    return field >= 0 && field < 2 && m_fields[field] ? m_fields[field]->text() : QString();
}

WindowMetrics MainWindow::metrics() const {
    WindowMetrics m;
    // The heights the main window's layout gives the bars.
    const QMenuBar* bar = menuBar();
    const int hfw = bar->heightForWidth(width());
    m.menuBarHeight = hfw > 0 ? hfw : bar->sizeHint().height();
    m.toolbarHeight = m_toolBar ? m_toolBar->sizeHint().height() : 0;
    m.statusBarHeight = statusBar()->sizeHint().height();
    const QRect frame = frameGeometry();
    m.frameWidth = frame.width() - width();
    m.frameHeight = frame.height() - height();
    return m;
}

Size MainWindow::placeCanvas(int x, int y, int width, int height) {
    if (!m_canvas) return Size{};
    // y counts from below the menu bar; the canvas area starts below the toolbar.
    const int areaTop = m_toolBar ? m_toolBar->sizeHint().height() : 0;
    m_canvas->setGeometry(x, y - areaTop, width, height);
    return Size{m_canvas->width(), m_canvas->height()};
}

void MainWindow::showPopup() {
    if (m_popup) m_popup->popup(QCursor::pos());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box only asks; the application ends when the question is
    // answered Yes (the dispatcher's window handler decides).
    event->ignore();
    m_context.dispatch().deliver(kWindowMain, WindowEvent::Close);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    switch (windowStateValue(windowState())) {
    case kWindowMinimised: m_context.dispatch().deliver(kWindowMain, WindowEvent::Minimise); break;
    case kWindowMaximised: m_context.dispatch().deliver(kWindowMain, WindowEvent::Maximise); break;
    default: m_context.dispatch().deliver(kWindowMain, WindowEvent::Restore); break;
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_layoutEnabled) m_context.dispatch().deliver(kWindowMain, WindowEvent::Size);
}

}  // namespace tarnel
