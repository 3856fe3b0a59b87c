#pragma once
// Base of the modal dialogs (New image, resize image, resize canvas): a
// fixed client size, the dialogs' colour 0xDABFA5, centred on and owned by
// the main window, application-modal (the main window's commands do not run
// while it is open), and its tool-busy flag set for exactly as long as it is
// open. Enter clicks OK wherever the focus is; Escape and the close box
// cancel.
//
//     auto* dialog = new ResizeImageDialog(context);  // sets the busy flag
//     dialog->open();                                 // returns at once
//
// The dialog deletes itself once closed. OK runs accept(), which a subclass
// overrides to do its work before calling ToolDialog::accept().

#include <QDialog>

#include <string>

#include "document/busy_mask.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnel {

class AppContext;

class ToolDialog : public QDialog {
public:
    ToolDialog(AppContext& context, const char* title, int clientWidth, int clientHeight, BusyFlag flag);
    ~ToolDialog() override;

    AppContext& context() { return m_context; }
    void done(int result) override;

protected:
    struct Box {
        int x, y, w, h;
    };
    static void place(QWidget* widget, Box box);
    // A 60 x 25 text field at (x, y); name is its object name.
    QLineEdit* addField(int x, int y, const std::string& text, const char* name);
    QLabel* addLabel(const char* text, Box box);
    // The OK (the default button) and Cancel buttons, 60 x height each.
    static constexpr int kButtonHeight = 25;
    void addButtons(int okX, int okY, int cancelX, int cancelY, int height = kButtonHeight);

private:
    AppContext& m_context;
    BusyFlag m_flag;
    bool m_open = true;
};

}  // namespace tarnel
