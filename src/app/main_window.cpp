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

#include "app/app_context_qt.h"
#include "app/canvas_widget.h"
#include "app/command_ids.h"
#include "app/dispatch.h"
#include "app/editor.h"
#include "app/platform_qt.h"
#include "app/view.h"
#include "document/slots.h"

namespace tarnel {

namespace {

// Window colour 0xDABFA5 (red 0xA5, green 0xBF, blue 0xDA).
const QColor kWindowColour(0xA5, 0xBF, 0xDA);
// Status field 1 is two thirds of the start-up width wide: round(800 / 1.5).
constexpr int kSelectionFieldWidth = 533;
constexpr int kIconSize = 16;
// Font 0, the default of every control.
constexpr const char* kInterfaceFontFamily = "Arial";
constexpr int kInterfaceFontPoints = 10;

// A menu described as rows: submenus open with Menu and close with End.
enum class Row { Item, Menu, End, Separator };
struct MenuRow {
    Row kind;
    const char* text = nullptr;
    int id = -1;
    bool checkable = false;
};

constexpr MenuRow item(const char* text, int id) { return MenuRow{Row::Item, text, id, false}; }
constexpr MenuRow toggle(const char* text, int id) { return MenuRow{Row::Item, text, id, true}; }
constexpr MenuRow menu(const char* text) { return MenuRow{Row::Menu, text, -1, false}; }
constexpr MenuRow end() { return MenuRow{Row::End, nullptr, -1, false}; }
constexpr MenuRow separator() { return MenuRow{Row::Separator, nullptr, -1, false}; }

// Menu 2: the menu bar. Texts are the user's, mixed case included.
const MenuRow kMenuBar[] = {
    menu("File"),
    item("Load image\tCtrl+L", kCmdLoadImage),
    item("Save image\tCtrl+S", kCmdSaveImage),
    item("New image\tCtrl+N", kCmdNewImage),
    item("Revert\tCtrl+R", kCmdRevert),
    item("Quit", kCmdQuit),
    end(),
    menu("Edit"),
    item("undo\tCtrl+Z", kCmdUndo),
    item("redo\tCtrl+Y", kCmdRedo),
    item("copy\tCtrl+C", kCmdCopy),
    item("crop\tCtrl+X", kCmdCrop),
    menu("paste..."),
    item("paste floating section\tCtrl+V", kCmdPasteFloating),
    item("paste new image\tCtrl+I", kCmdPasteNewImage),
    end(),
    item("add text\tCtrl+T", kCmdAddText),
    end(),
    menu("Resize"),
    item("resize canvas", kCmdResizeCanvas),
    item("resize image", kCmdResizeImage),
    end(),
    menu("Effects"),
    item("Gaussian Blur", kCmdGaussianBlur),
    item("Edge detect", kCmdEdgeDetect),
    item("Pencil", kCmdPencil),
    item("Artist", kCmdArtist),
    item("Glowie", kCmdGlowie),
    item("Blush", kCmdBlush),
    item("Spacy", kCmdSpacy),
    item("Spectrum", kCmdSpectrum),
    item("Scratch", kCmdScratch),
    item("Noise", kCmdNoise),
    item("Phantom", kCmdPhantom),
    item("Demon", kCmdDemon),
    item("Faded", kCmdFaded),
    item("X-factor", kCmdXFactor),
    item("scramble", kCmdScramble),
    item("unscramble", kCmdUnscramble),
    end(),
    menu("Colors"),
    item("Quantize...", kCmdQuantize),
    item("Bright/Contrast...", kCmdBrightContrast),
    item("Two Colors...", kCmdTwoColors),
    item("Gray Scale", kCmdGrayScale),
    item("Negative", kCmdNegative),
    end(),
    menu("Tools"),
    toggle("Histogram", kCmdHistogram),
    toggle("Palette", kCmdPalette),
    end(),
    menu("Rotate"),
    item("Mirror", kCmdMirror),
    item("Flip", kCmdFlip),
    item("Rotate 180", kCmdRotate180),
    item("Rotate Right", kCmdRotateRight),
    item("Rotate Left", kCmdRotateLeft),
    end(),
    menu("View"),
    item("Fit window to image", kCmdFitWindow),
    end(),
    menu("Help"),
    item("Help\tF1", kCmdHelp),
    end(),
};

// Popup menu 0, shown on a right-button release over the canvas. It has no
// Histogram, Palette or Fit window item; its effects read "Scramble" and
// "Unscramble".
const MenuRow kPopup[] = {
    menu("File..."),
    item("load image\tCtrl+L", kCmdLoadImage),
    item("save image\tCtrl+S", kCmdSaveImage),
    item("new image\tCtrl+N", kCmdNewImage),
    item("Revert", kCmdRevert),
    item("Quit", kCmdQuit),
    end(),
    separator(),
    menu("Edit..."),
    item("undo\tCtrl+Z", kCmdUndo),
    item("redo\tCtrl+Y", kCmdRedo),
    item("copy\tCtrl+C", kCmdCopy),
    item("crop\tCtrl+X", kCmdCrop),
    menu("paste..."),
    item("paste floating section\tCtrl+V", kCmdPasteFloating),
    item("paste new image\tCtrl+I", kCmdPasteNewImage),
    end(),
    item("add text\tCtrl+T", kCmdAddText),
    end(),
    separator(),
    menu("Resize..."),
    item("resize canvas", kCmdResizeCanvas),
    item("resize image", kCmdResizeImage),
    end(),
    separator(),
    menu("effects..."),
    item("Gaussian Blur", kCmdGaussianBlur),
    item("Edge detect", kCmdEdgeDetect),
    item("Pencil", kCmdPencil),
    item("Artist", kCmdArtist),
    item("Glowie", kCmdGlowie),
    item("Blush", kCmdBlush),
    item("Spacy", kCmdSpacy),
    item("Spectrum", kCmdSpectrum),
    item("Scratch", kCmdScratch),
    item("Noise", kCmdNoise),
    item("Phantom", kCmdPhantom),
    item("Demon", kCmdDemon),
    item("Faded", kCmdFaded),
    item("X-factor", kCmdXFactor),
    item("Scramble", kCmdScramble),
    item("Unscramble", kCmdUnscramble),
    end(),
    separator(),
    menu("colors..."),
    item("Quantize...", kCmdQuantize),
    item("Brightness...", kCmdBrightContrast),
    item("Two Colors...", kCmdTwoColors),
    item("Gray Scale", kCmdGrayScale),
    item("Negative", kCmdNegative),
    end(),
    separator(),
    menu("Rotate..."),
    item("Mirror", kCmdMirror),
    item("Flip", kCmdFlip),
    item("Rotate 180", kCmdRotate180),
    item("Rotate Right", kCmdRotateRight),
    item("Rotate Left", kCmdRotateLeft),
    end(),
    separator(),
    item("Help\tF1", kCmdHelp),
};

// Toolbar 3. A standard icon comes from the icon theme, else from the
// style; the others are the decoded icons in their image slots.
struct ToolRow {
    int id;  // -1: separator
    const char* theme = nullptr;
    QStyle::StandardPixmap fallback = QStyle::SP_CustomBase;
    int slot = -1;
    const char* tooltip = nullptr;
    bool checkable = false;
};

constexpr ToolRow standardTool(int id, const char* theme, QStyle::StandardPixmap fallback, const char* tip) {
    return ToolRow{id, theme, fallback, -1, tip, false};
}
constexpr ToolRow slotTool(int id, int slot, const char* tip, bool checkable = false) {
    return ToolRow{id, nullptr, QStyle::SP_CustomBase, slot, tip, checkable};
}
constexpr ToolRow toolSeparator() { return ToolRow{-1}; }

const ToolRow kToolBar[] = {
    standardTool(kCmdNewImage, "document-new", QStyle::SP_FileIcon, "new image"),
    standardTool(kCmdLoadImage, "document-open", QStyle::SP_DialogOpenButton, "load image"),
    standardTool(kCmdSaveImage, "document-save", QStyle::SP_DialogSaveButton, "save image"),
    toolSeparator(),
    standardTool(kCmdCrop, "edit-cut", QStyle::SP_DialogDiscardButton, "crop to selection"),
    standardTool(kCmdCopy, "edit-copy", QStyle::SP_FileDialogNewFolder, "copy image/selection"),
    standardTool(kCmdPasteFloating, "edit-paste", QStyle::SP_DialogApplyButton, "paste floating section"),
    standardTool(kCmdPasteNewImage, "edit-find-replace", QStyle::SP_BrowserReload, "paste new image"),
    toolSeparator(),
    slotTool(kCmdUndo, kSlotIconUndo, "undo change"),
    slotTool(kCmdRedo, kSlotIconRedo, "redo change"),
    toolSeparator(),
    slotTool(kCmdSelector, kSlotIconSelector, "selector"),
    slotTool(kCmdMover, kSlotIconMover, "mover"),
    toolSeparator(),
    standardTool(kCmdCountColors, "document-properties", QStyle::SP_FileDialogInfoView, "count colors"),
    slotTool(kCmdShowHistogram, kSlotIconHistogram, "show histogram", true),
    slotTool(kCmdShowPalette, kSlotIconPalette, "show palette", true),
    toolSeparator(),
    standardTool(kCmdHelp, "help-browser", QStyle::SP_DialogHelpButton, "show help window"),
};

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

// Window-level shortcuts, in the order they are added. Ctrl+Left is 44 and
// Ctrl+Right 43.
struct ShortcutRow {
    QKeyCombination key;
    int id;
};
const ShortcutRow kShortcuts[] = {
    {QKeyCombination(Qt::Key_Left), kCmdNudgeLeft},
    {QKeyCombination(Qt::Key_Right), kCmdNudgeRight},
    {QKeyCombination(Qt::Key_Up), kCmdNudgeUp},
    {QKeyCombination(Qt::Key_Down), kCmdNudgeDown},
    {QKeyCombination(Qt::ShiftModifier, Qt::Key_Left), kCmdShrinkWidth},
    {QKeyCombination(Qt::ShiftModifier, Qt::Key_Right), kCmdGrowWidth},
    {QKeyCombination(Qt::ShiftModifier, Qt::Key_Up), kCmdShrinkHeight},
    {QKeyCombination(Qt::ShiftModifier, Qt::Key_Down), kCmdGrowHeight},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Left), kCmdFloatRotateLeft},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Right), kCmdFloatRotateRight},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Up), kCmdFloatMirror},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Down), kCmdFloatFlip},
    {QKeyCombination(Qt::Key_F1), kCmdHelp},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_L), kCmdLoadImage},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_S), kCmdSaveImage},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_N), kCmdNewImage},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_R), kCmdRevert},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Q), kCmdQuit},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_T), kCmdAddText},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_I), kCmdPasteNewImage},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Z), kCmdUndo},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_Y), kCmdRedo},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_C), kCmdCopy},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_V), kCmdPasteFloating},
    {QKeyCombination(Qt::ControlModifier, Qt::Key_X), kCmdCrop},
    {QKeyCombination(Qt::Key_Space), kCmdToggleCursorMode},
};

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
    m_fields[kStatusFieldSelection]->setFixedWidth(kSelectionFieldWidth);
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
    connect(action, &QAction::triggered, this, [this, id] { m_context.dispatch().run(id); });
    return action;
}

namespace {

// Adds the rows to root (a menu bar or a menu), opening submenus as they
// come. make() creates a command action.
template <typename Root, typename Make>
void addMenuRows(Root* root, const MenuRow* rows, std::size_t count, Make make,
                 std::map<int, std::vector<QAction*>>& checkable) {
    std::vector<QMenu*> open;
    for (std::size_t i = 0; i < count; ++i) {
        const MenuRow& row = rows[i];
        switch (row.kind) {
        case Row::Menu: {
            const QString title = QString::fromLatin1(row.text);
            QMenu* sub = open.empty() ? root->addMenu(title) : open.back()->addMenu(title);
            open.push_back(sub);
            break;
        }
        case Row::End: open.pop_back(); break;
        case Row::Separator:
            if (open.empty()) root->addSeparator(); else open.back()->addSeparator();
            break;
        case Row::Item: {
            QWidget* parent = open.empty() ? static_cast<QWidget*>(root) : open.back();
            QAction* action = make(QString::fromLatin1(row.text), row.id, parent);
            if (row.checkable) {
                action->setCheckable(true);
                checkable[row.id].push_back(action);
            }
            parent->addAction(action);
            break;
        }
        }
    }
}

}  // namespace

void MainWindow::buildMenuBar() {
    addMenuRows(menuBar(), kMenuBar, std::size(kMenuBar),
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
    for (const ToolRow& row : kToolBar) {
        if (row.id < 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QIcon icon;
        if (row.slot >= 0) {
            if (const Image* image = images.find(row.slot)) icon = QIcon(QPixmap::fromImage(toQImage(*image)));
        } else {
            icon = QIcon::fromTheme(QString::fromLatin1(row.theme), style()->standardIcon(row.fallback));
        }
        QAction* action = commandAction(QString::fromLatin1(row.tooltip), row.id, m_toolBar);
        action->setIcon(icon);
        action->setToolTip(QString::fromLatin1(row.tooltip));
        action->setCheckable(row.checkable);
        m_toolBar->addAction(action);
        m_toolbarActions[row.id] = action;
    }
    // The undo history enables these once there is something to undo or redo.
    setToolbarEnabled(kCmdUndo, false);
    setToolbarEnabled(kCmdRedo, false);
}

void MainWindow::buildPopupMenu() {
    m_popup = new QMenu(this);
    std::map<int, std::vector<QAction*>> popupCheckable;
    addMenuRows(m_popup, kPopup, std::size(kPopup),
                [this](const QString& text, int id, QObject* parent) { return commandAction(text, id, parent); },
                popupCheckable);
}

void MainWindow::buildShortcuts() {
    for (const ShortcutRow& row : kShortcuts) {
        const QKeySequence key(row.key);
        bindKey(key, row.id);
        m_shortcutTable.emplace_back(key, row.id);
    }
}

QShortcut* MainWindow::bindKey(const QKeySequence& key, int id) {
    auto* shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(true);
    connect(shortcut, &QShortcut::activated, this, [this, id] { m_context.dispatch().run(id); });
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
