#pragma once
// The keyboard-shortcuts window: a two-column list of the keys and clicks that drive the main
// window. It opens beside the running session (not modal) and never touches the step timer.
// Enter does nothing here; Esc, "&Close" and the close box close it.
#include "platform/ListView.h"
#include "support/frmZTemplate.h"

class frmShortcuts : public DialogTemplate {
    Q_OBJECT
public:
    explicit frmShortcuts(QWidget* parent = nullptr);

    vb::ListView* ltvShortcuts;
    vb::PictureBox* picBottom;
    vb::PushButton* cmdCancel;

    // The window's main action (Enter): there is nothing to do.
    void DefaultAction() { cmdOK_Click(); }

    void Form_Load() override;
};

// The keyboard-shortcuts window while it is loaded; empty once it has unloaded.
extern vb::FormRef<frmShortcuts> ShortcutsWindow;

// Opens the window without the modal flag and without an owner and returns at once; while it is
// open a second call brings the same window back to the front.
void ShowShortcutsWindow();
