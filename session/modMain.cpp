#include "session/modMain.h"

#include "platform/AppInfo.h"
#include "platform/Instance.h"
#include "platform/MsgBox.h"
#include "platform/Placement.h"
#include "platform/Screen.h"
#include "platform/Strings.h"
#include "session/frmMain.h"
#include "session/frmWhatIsIt.h"
#include "session/modOptions.h"
#include "support/ErrorTrap.h"

frmMain* MainWindow = nullptr;

void Main()
{
    TrapErrors(QStringLiteral("modMain"), QStringLiteral("Main"), {.extra = errortrap::Extra::Line}, [&](int& line) {
        line = 10;
        JournalEnabled = 0;
        BottomRowFlag = 0;

        line = 20;
        if (vb::PrevInstance()) {
            line = 30;
            const int answer = vb::MsgBox(QStringLiteral("Another instance of ") + app::ProductName() +
                                              QStringLiteral(" is already running.") + vb::vbCrLf + vb::vbCrLf +
                                              QStringLiteral("Do you want to run another instance?"),
                                          vb::vbYesNo | vb::vbQuestion, app::Title());
            if (answer != vb::vbYes)
                return;
        }

        line = 40;
        if (ShowWhatIsItWindow()) {
            line = 50;
            frmWhatIsIt* intro = WhatIsItWindow.Get();
            line = 60;
            intro->Show(true);
        }

        line = 70;
        MainWindow = new frmMain;
        line = 80;
        MainWindow->Show();
    });
}

void CenterForm(vb::Form& frm) { vb::CentreWindow(&frm, vb::ScreenAreaTwips()); }
