#include "session/frmShortcuts.h"

#include "platform/Placement.h"
#include "platform/Screen.h"
#include "session/SessionResources.h"

#include <QHeaderView>
#include <array>

vb::FormRef<frmShortcuts> ShortcutsWindow;

namespace {

struct ShortcutColumn {
    const char* key;
    const char* header;
    int widthTwips;
};

constexpr std::array<ShortcutColumn, 2> Columns{{
    {"col1", "COL 1", 2700},
    {"col2", "COL 2", 5100},
}};

// One row: the action and the keys that run it. The keys of the item and of its sub-item are
// "row " with the row number and 1 or 2.
struct ShortcutRow {
    int number;
    const char* action;
    const char* keys;
};

constexpr std::array<ShortcutRow, 4> Rows{{
    {5, "Advance to the next step", "'N', left click, space, right or down arrow, enter, or page down"},
    {6, "Return to the previous step", "'P', backspace, left or up arrow, or page up"},
    {7, "Pause tapping", "Esc or Alt + A"},
    {8, "Go to Finish", "Alt + F"},
}};

QString RowKey(int number, int column) { return QStringLiteral("row %1%2").arg(number).arg(column); }

} // namespace

frmShortcuts::frmShortcuts(QWidget* parent) : DialogTemplate({8880, 2640, kProgramIcon}, parent)
{
    ltvShortcuts = new vb::ListView(this, 120, 120, 8640, 1680);
    ltvShortcuts->SetView(vb::lvwReport);
    ltvShortcuts->SetFullRowSelect(true);
    // The columns' header texts are placeholders that tell the user nothing.
    ltvShortcuts->SetHideColumnHeaders(true);
    // The keys column takes the rest of the list's width, so its longest line shows in full.
    ltvShortcuts->header()->setStretchLastSection(true);
    picBottom = new vb::PictureBox(this, 0, 1920, 8880, 720);
    cmdCancel = new vb::PushButton(picBottom, 7470, 150, 1290, 420, QStringLiteral("&Close"));
    ConnectButtons(nullptr, cmdCancel);
}

void frmShortcuts::Form_Load()
{
    DialogTemplate::Form_Load();
    SetCaption(QStringLiteral("Keboard Shortcuts"));
    vb::CentreWindow(this, vb::ScreenAreaTwips());
    for (const ShortcutColumn& c : Columns)
        ltvShortcuts->ColumnHeaders().Add(QString::fromUtf8(c.key), QString::fromUtf8(c.header), c.widthTwips);
    for (const ShortcutRow& r : Rows) {
        vb::ListItem* item = ltvShortcuts->ListItems().Add(RowKey(r.number, 1), QString::fromUtf8(r.action));
        item->ListSubItems().Add(RowKey(r.number, 2), QString::fromUtf8(r.keys));
    }
}

void ShowShortcutsWindow()
{
    frmShortcuts* w = ShortcutsWindow.Get();
    if (w->WindowState() == vb::vbMinimized)
        w->SetWindowState(vb::vbNormal);
    w->Show(false);
}
