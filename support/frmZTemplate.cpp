#include "support/frmZTemplate.h"

#include "platform/AppInfo.h"
#include "platform/Keys.h"
#include "platform/MsgBox.h"
#include "platform/Placement.h"
#include "platform/Screen.h"

#include <QCoreApplication>

vb::FormRef<frmZTemplate> ZTemplateWindow;

// =============================================================================================
// DialogTemplate
// =============================================================================================

namespace {
// Sets a Busy flag for its own lifetime; an error that passes through on its way to the caller
// leaves the window usable again.
class BusyWhile {
public:
    explicit BusyWhile(int16_t& flag) : busy(flag) { busy = -1; }
    ~BusyWhile() { busy = 0; }
    BusyWhile(const BusyWhile&) = delete;
    BusyWhile& operator=(const BusyWhile&) = delete;

private:
    int16_t& busy;
};
} // namespace

DialogTemplate::DialogTemplate(const vb::FormLayout& layout, QWidget* parent) : vb::Form(parent)
{
    // A dialog's frame: a title and a close box, no maximise; its size is its layout's.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // Enter and Esc are the window's before they are the focused control's.
    KeyPreview = true;
    ApplyLayout(layout);
}

void DialogTemplate::showEvent(QShowEvent* e)
{
    // By now the dialog has its layout's size; the user does not change it.
    setFixedSize(size());
    vb::Form::showEvent(e);
}

void DialogTemplate::ShowUp() { Show(true); }

void DialogTemplate::SetDataChangedFlag() { mblnDataChanged = -1; }

void DialogTemplate::CleanDataChangedFlag() { mblnDataChanged = 0; }

void DialogTemplate::ConnectButtons(vb::PushButton* ok, vb::PushButton* cancel, vb::PushButton* save)
{
    if (ok)
        connect(ok, &vb::PushButton::Click, this, [this] { cmdOK_Click(); });
    if (cancel)
        connect(cancel, &vb::PushButton::Click, this, [this] { cmdCancel_Click(); });
    if (save)
        connect(save, &vb::PushButton::Click, this, [this] { cmdSave_Click(); });
}

void DialogTemplate::cmdOK_Click()
{
    if (!Activated || Busy)
        return;
    bool close = false;
    {
        BusyWhile busy(Busy);
        close = OKAction();
    }
    if (close)
        Unload();
}

void DialogTemplate::cmdSave_Click()
{
    if (!Activated || Busy)
        return;
    BusyWhile busy(Busy);
    SaveData();
}

void DialogTemplate::cmdCancel_Click() { Unload(); }

bool DialogTemplate::SaveData()
{
    if (ValidateData())
        CleanDataChangedFlag();
    return false;
}

int DialogTemplate::AskSaveChanges()
{
    return vb::MsgBox(QStringLiteral("Do you wish to save your changes?"), vb::vbYesNoCancel | vb::vbQuestion,
                      app::Title());
}

bool DialogTemplate::CheckUnsavedChanges()
{
    if (!DataChanged())
        return false;
    const int answer = AskSaveChanges();
    if (answer == vb::vbCancel)
        return true;
    if (answer == vb::vbYes) {
        mblnSaving = -1;
        if (!SaveData())
            return true;
        mblnSaving = 0;
    }
    CleanDataChangedFlag();
    return false;
}

void DialogTemplate::Form_Load()
{
    Busy = 0;
    Activated = 0;
    mblnSaving = 0;
    CleanDataChangedFlag();
}

void DialogTemplate::Form_Activate()
{
    if (Activated)
        return;
    vb::SetScreenMousePointer(vb::vbDefault);
    Activated = -1;
}

void DialogTemplate::Form_KeyDown(int& KeyCode, int Shift)
{
    (void)Shift;
    if (KeyCode == vb::vbKeyReturn) {
        KeyCode = 0;
        cmdOK_Click();
    } else if (KeyCode == vb::vbKeyEscape) {
        KeyCode = 0;
        Unload();
    }
}

void DialogTemplate::Form_QueryUnload(int& Cancel, int UnloadMode)
{
    (void)UnloadMode;
    if (CheckUnsavedChanges()) {
        Cancel = -1;
        return;
    }
    ClosingStep();
}

void DialogTemplate::Form_Unload(int& Cancel)
{
    (void)Cancel;
    ClosingStep();
}

void DialogTemplate::ClosingStep()
{
    // Out of sight at once, even while the rest of the unload and its caller still run.
    QWidget::hide();
    QCoreApplication::processEvents();
}

// =============================================================================================
// frmZTemplate
// =============================================================================================

frmZTemplate::frmZTemplate(QWidget* parent) : DialogTemplate({4680, 3195}, parent)
{
    lblGen = new vb::Label(this, 240, 240, 4200, 1200, QStringLiteral("Sample text"));
    lblGen->SetWordWrap(true);
    lblGen->SetAlignment(Qt::AlignLeft | Qt::AlignTop);
    picBottom = new vb::PictureBox(this, 0, 2475, 4680, 720);
    cmdOK = new vb::PushButton(picBottom, 225, 165, 1290, 420, QStringLiteral("&OK"));
    cmdCancel = new vb::PushButton(picBottom, 1695, 165, 1290, 420, QStringLiteral("&Cancel"));
    cmdSave = new vb::PushButton(picBottom, 3165, 165, 1290, 420, QStringLiteral("&Save"));
    cmdOK->SetToolTipText(QStringLiteral("Accept changes and close dialog (Enter)"));
    cmdCancel->SetToolTipText(QStringLiteral("Cancel changes and close dialog (Esc)"));
    cmdSave->SetToolTipText(QStringLiteral("Save changes and keep dialog open"));
    ConnectButtons(cmdOK, cmdCancel, cmdSave);
}

void frmZTemplate::Form_Load()
{
    DialogTemplate::Form_Load();
    SetCaption(QStringLiteral("Form1"));
    vb::CentreWindow(this, vb::ScreenAreaTwips());
}
