#pragma once
// The library's password prompt: asks for a database password and hands the typed text back with
// whether the user confirmed it. It checks nothing itself.
//
// Enter in the box confirms as OK does (once the window has been activated); when the box is full
// (its maximum length) the focus moves on to OK. Esc is not a key of this window: Cancel and the
// close box end it unconfirmed.
#include "platform/Controls.h"
#include "support/frmZTemplate.h"

#include <QString>
#include <cstdint>

class frmPassword : public DialogTemplate {
    Q_OBJECT
public:
    explicit frmPassword(QWidget* parent = nullptr);

    // Most characters a password may have; the box is full at this length.
    static constexpr int MaxPasswordLength = 20;

    // Shows the window modally with no owner and returns when it has closed: true when the user
    // confirmed with OK (sPassword is then the text typed, possibly ""), false otherwise (sPassword
    // is then "").
    bool ShowUp(QString& sPassword);

    vb::Label* lblGen;
    vb::FlatEdit* txtPassword;
    vb::PushButton* cmdOK;
    vb::PushButton* cmdCancel;

    int16_t mblnOK = 0;     // the user confirmed with OK (True is -1)
    QString mstrPassword;   // the box's text when OK was pressed

    void cmdCancel_Click();
    void txtPassword_GotFocus();
    void txtPassword_KeyPress(int& KeyAscii);
    void txtPassword_Change();

    void Form_Load() override;

protected:
    bool OKAction() override;
};

// The password prompt while it is loaded; empty once it has unloaded. Open it with
// PasswordWindow.Get()->ShowUp(password).
extern vb::FormRef<frmPassword> PasswordWindow;
