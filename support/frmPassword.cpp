#include "support/frmPassword.h"

#include "platform/Placement.h"
#include "platform/Screen.h"
#include "support/modXtremeSuite.h"

vb::FormRef<frmPassword> PasswordWindow;

frmPassword::frmPassword(QWidget* parent) : DialogTemplate({4395, 1545, ":/password.svg"}, parent)
{
    // Keys go to the focused control first: Enter in the box confirms through the box's own key
    // handler, and a focused Cancel button takes Enter as its own click.
    KeyPreview = false;
    lblGen = new vb::Label(this, 120, 120, 4155, 255);
    txtPassword = new vb::FlatEdit(this, 120, 420, 4155, 315);
    txtPassword->SetPasswordChar('*');
    txtPassword->SetMaxLength(MaxPasswordLength);
    cmdOK = new vb::PushButton(this, 1740, 990, 1215, 420, QStringLiteral("&OK"));
    cmdCancel = new vb::PushButton(this, 3060, 990, 1215, 420, QStringLiteral("&Cancel"));
    ConnectButtons(cmdOK, nullptr);
    connect(cmdCancel, &vb::PushButton::Click, this, [this] { cmdCancel_Click(); });
    connect(txtPassword, &vb::FlatEdit::GotFocus, this, [this] { txtPassword_GotFocus(); });
    connect(txtPassword, &vb::FlatEdit::KeyPress, this, [this](int& KeyAscii) { txtPassword_KeyPress(KeyAscii); });
    connect(txtPassword, &vb::FlatEdit::Change, this, [this] { txtPassword_Change(); });
}

bool frmPassword::ShowUp(QString& sPassword)
{
    sPassword.clear();
    mstrPassword.clear();
    mblnOK = 0;
    DialogTemplate::ShowUp();
    if (mblnOK)
        sPassword = mstrPassword;
    return mblnOK != 0;
}

void frmPassword::Form_Load()
{
    DialogTemplate::Form_Load();
    SetCaption(QStringLiteral("Password Required?"));
    lblGen->SetCaption(QStringLiteral("Enter database password:"));
    txtPassword->SetFocus();
    vb::CentreWindow(this, vb::ScreenAreaTwips());
}

bool frmPassword::OKAction()
{
    mstrPassword = txtPassword->Text();
    mblnOK = -1;
    return true;
}

void frmPassword::cmdCancel_Click()
{
    mblnOK = 0;
    Unload();
}

void frmPassword::txtPassword_GotFocus() { SelectTextX(txtPassword); }

void frmPassword::txtPassword_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    cmdOK_Click();
}

void frmPassword::txtPassword_Change()
{
    // A box without a limit is never full (an emptied box must not send the focus away).
    const int limit = txtPassword->MaxLength();
    if (limit > 0 && txtPassword->Text().size() == limit)
        cmdOK->SetFocus();
}
