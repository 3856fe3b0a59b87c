#pragma once
// Every command of the main window as one row: its id, the menu bar's and
// the popup's texts, its key, and its toolbar button. The menu bar, the
// popup, the toolbar and the shortcuts are all built from these rows; the
// layouts below only say where each id goes.
//
// Texts are the user's, mixed case included; a menu text carries its key
// after a tab where the menu shows it.

#include <QKeyCombination>
#include <QStyle>

#include <span>

namespace tarnel {

struct CommandRow {
    int id = -1;
    const char* menuText = nullptr;   // nullptr: not in the menu bar
    const char* popupText = nullptr;  // nullptr: not in the popup
    QKeyCombination key{};            // Qt::Key_unknown: no key
    // Toolbar button: tooltip (nullptr: no button), icon from the theme
    // (else the style's fallback) or from a decoded image slot.
    const char* toolTip = nullptr;
    const char* iconTheme = nullptr;
    QStyle::StandardPixmap iconFallback = QStyle::SP_CustomBase;
    int iconSlot = -1;
    bool toggle = false;  // a checkable menu item and toolbar button
    // Shows the wait cursor while it runs (work on the whole image).
    bool longWork = false;

    bool hasKey() const { return key.key() != Qt::Key_unknown && key.key() != Qt::Key(0); }
};

// Every row, in id order; the row of an id, or nullptr.
std::span<const CommandRow> commandRows();
const CommandRow* commandRow(int id);

// Menu layouts: submenus open with Menu and close with End.
enum class MenuEntryKind { Item, Menu, End, Separator };
struct MenuEntry {
    MenuEntryKind kind;
    const char* title = nullptr;  // a submenu's title
    int id = -1;                  // an item's command
};
std::span<const MenuEntry> menuBarLayout();
std::span<const MenuEntry> popupLayout();
// The toolbar's command ids, left to right; -1 is a separator.
std::span<const int> toolbarLayout();

}  // namespace tarnel
