// The main window's commands: the tool bar's Exit and web buttons, the menu button with its pop-up
// menu, and what the menu's entries (and the hidden Information and About buttons) open.
#include "session/frmMain.h"

#include "session/frmAbout_NEW.h"
#include "session/frmMain_Private.h"
#include "session/frmShortcuts.h"
#include "session/frmWhatIsIt.h"
#include "support/ErrorTrap.h"
#include "support/WebAddresses.h"
#include "support/modErrorReport.h"

using frmmain::kModule;

void frmMain::CreateCommands()
{
    mnuPopUp = new vb::Menu(QStringLiteral("mnuPopUp"), QStringLiteral("PopUp"), this);
    mnuPopUpInfo = mnuPopUp->Add(QStringLiteral("mnuPopUpInfo"), QStringLiteral("Information"));
    mnuPopUpShortcuts = mnuPopUp->Add(QStringLiteral("mnuPopUpShortcuts"), QStringLiteral("Keyboard Shortcuts"));
    mnuPopUpAbout = mnuPopUp->Add(QStringLiteral("mnuPopUpAbout"), QStringLiteral("About"));
    mnuPopUpSep = mnuPopUp->Add(QStringLiteral("mnuPopUpSep"), QStringLiteral("-"));
    mnuPopUpExit = mnuPopUp->Add(QStringLiteral("mnuPopUpExit"), QStringLiteral("Exit"));

    connect(mnuPopUpInfo, &vb::MenuItem::Click, this, [this] { mnuPopUpInfo_Click(); });
    connect(mnuPopUpShortcuts, &vb::MenuItem::Click, this, [this] { mnuPopUpShortcuts_Click(); });
    connect(mnuPopUpAbout, &vb::MenuItem::Click, this, [this] { mnuPopUpAbout_Click(); });
    connect(mnuPopUpExit, &vb::MenuItem::Click, this, [this] { mnuPopUpExit_Click(); });

    connect(cmdNav, &vb::PushButton::Click, this, [this] { cmdNav_Click(); });
    connect(cmdInfo, &vb::PushButton::Click, this, [this] { cmdInfo_Click(); });
    connect(cmdAbout, &vb::PushButton::Click, this, [this] { cmdAbout_Click(); });
    connect(cmdExit, &vb::PushButton::Click, this, [this] { cmdExit_Click(); });
    connect(cmdWeb, &vb::PushButton::Click, this, [this] { cmdWeb_Click(); });
}

void frmMain::cmdNav_Click()
{
    vb::PopupMenu(*mnuPopUp, vb::vbPopupMenuLeftAlign | vb::vbPopupMenuRightButton);
}

void frmMain::ShowModalWithTimerStopped(const QString& proc, const std::function<void()>& showWindow)
{
    TrapErrors(kModule, proc, [&] {
        const bool wasEnabled = tmrSteps->Enabled();
        tmrSteps->SetEnabled(false);
        showWindow();
        // Unloaded meanwhile (the program is closing): a timer started again would tick on behind
        // a window that is gone.
        if (IsLoaded())
            tmrSteps->SetEnabled(wasEnabled);
    });
}

namespace {
void ShowIntroduction() { WhatIsItWindow.Get()->Show(true); }
} // namespace

void frmMain::mnuPopUpInfo_Click() { ShowModalWithTimerStopped(QStringLiteral("mnuPopUpInfo_Click"), ShowIntroduction); }

void frmMain::cmdInfo_Click() { ShowModalWithTimerStopped(QStringLiteral("cmdInfo_Click"), ShowIntroduction); }

void frmMain::mnuPopUpAbout_Click() { ShowModalWithTimerStopped(QStringLiteral("mnuPopUpAbout_Click"), ShowAboutWindow); }

void frmMain::cmdAbout_Click() { ShowModalWithTimerStopped(QStringLiteral("cmdAbout_Click"), ShowAboutWindow); }

void frmMain::mnuPopUpShortcuts_Click() { KeyboardShortcuts(); }

void frmMain::KeyboardShortcuts()
{
    TrapErrors(kModule, QStringLiteral("KeyboardShortcuts"), [] { ShowShortcutsWindow(); });
}

void frmMain::mnuPopUpExit_Click() { cmdExit_Click(); }

void frmMain::cmdExit_Click()
{
    tmrSteps->SetEnabled(false);
    Unload();
}

void frmMain::cmdWeb_Click() { OpenURL(this, web::ProductWebSite(), false); }
