#include "session/frmAbout_NEW.h"

#include "platform/AppInfo.h"
#include "platform/PictureBox.h"
#include "platform/Placement.h"
#include "platform/Screen.h"
#include "platform/Strings.h"
#include "session/SessionResources.h"
#include "support/WebAddresses.h"
#include "support/modErrorReport.h"

#include <QColor>

vb::FormRef<frmAbout_NEW> AboutWindow;

namespace {

QString CopyrightLine() { return QStringLiteral("Copyright \u00A9 2026 Tenmoor Software. All rights reserved."); }

QString Disclaimer()
{
    return app::ProductName() +
           QStringLiteral(" is a self-help aid. It is not a substitute for medical, psychological or psychiatric "
                          "diagnosis or treatment, and it gives no such advice. If your distress grows while you "
                          "use it, stop and seek help from a qualified professional; work on trauma only with "
                          "such help. You use this program at your own risk.");
}

QString MakerAddress()
{
    return QStringLiteral("Tenmoor Software") + vb::vbCrLf + QStringLiteral("14 Heather Row") + vb::vbCrLf +
           QStringLiteral("Moorfield MF2 7QT") + vb::vbCrLf + QStringLiteral("support@tenmoor.example");
}

} // namespace

frmAbout_NEW::frmAbout_NEW(QWidget* parent) : DialogTemplate({6600, 5400, kProgramIcon}, parent)
{
    picCont = new vb::PictureBox(this, 0, 0, 6600, 1440);
    picCont->SetBackColor(Qt::white);
    picProgLogo = new vb::PictureBox(picCont, 240, 240, 960, 960);
    picProgLogo->SetStretch(true);
    vb::SetSvgPicture(picProgLogo, QString::fromLatin1(kProgramIcon));
    lblTitle = new vb::Label(picCont, 1440, 300, 3000, 480);
    lblTitle->setFont(vb::UiFont(16, true));
    lblVersion = new vb::Label(picCont, 1440, 840, 3000, 285);
    lblBuild = new vb::Label(picCont, 1440, 1125, 3000, 255);
    lblBuild->SetVisible(false); // the version line already carries the build
    picCompanyLogo = new vb::PictureBox(picCont, 4680, 300, 1680, 905);
    picCompanyLogo->SetStretch(true);
    vb::SetSvgPicture(picCompanyLogo, QStringLiteral(":/tenmoor.svg"));

    lblCopyright = new vb::Label(this, 240, 1620, 6120, 255);
    lblAddress = new vb::Label(this, 240, 1980, 4200, 1020);
    lblWebAddress = new vb::Label(this, 240, 3060, 4200, 255);
    lblWebAddress->SetForeColor(QColor(0, 0, 0xC0));
    QFont link = lblWebAddress->font();
    link.setUnderline(true);
    lblWebAddress->setFont(link);
    lblWebAddress->setCursor(Qt::PointingHandCursor);
    lblDisclaimer = new vb::Label(this, 240, 3480, 6120, 1080);
    lblDisclaimer->setFont(vb::UiFont(8));
    lblDisclaimer->SetWordWrap(true);

    picBottom = new vb::PictureBox(this, 0, 4680, 6600, 720);
    cmdProgramInfo = new vb::PushButton(picBottom, 240, 150, 1290, 420, QStringLiteral("&Program Info"));
    cmdCredits = new vb::PushButton(picBottom, 1650, 150, 1290, 420, QStringLiteral("C&redits"));
    cmdOtherPrograms = new vb::PushButton(picBottom, 3060, 150, 1290, 420, QStringLiteral("Other P&rograms"));
    cmdOK = new vb::PushButton(picBottom, 5070, 150, 1290, 420, QStringLiteral("&OK"));

    // OK closes at once; Enter reaches the same end through the template's main action.
    connect(cmdOK, &vb::PushButton::Click, this, [this] { Unload(); });
    connect(lblWebAddress, &vb::Label::Click, this, [this] { lblWebAddress_Click(); });
}

void frmAbout_NEW::Form_Load()
{
    DialogTemplate::Form_Load();
    vb::CentreWindow(this, vb::ScreenAreaTwips());
    lblCopyright->SetCaption(CopyrightLine());
    lblDisclaimer->SetCaption(Disclaimer());
    lblAddress->SetCaption(MakerAddress());
    lblWebAddress->SetCaption(web::ProductWebSite());
    lblWebAddress->Tag = web::ProductWebSite();
    SetCaption(QStringLiteral("About ") + app::ProductName());
    lblVersion->SetCaption(QStringLiteral("Version %1.%2 Build %3").arg(app::Major()).arg(app::Minor()).arg(app::Revision()));
    lblBuild->SetCaption(QStringLiteral("Build %1").arg(app::Revision()));
    lblTitle->SetCaption(app::ProductName());
    cmdOtherPrograms->SetVisible(false);
    cmdProgramInfo->SetVisible(false);
    cmdCredits->SetVisible(false);
    cmdOK->SetFocus();
}

void frmAbout_NEW::lblWebAddress_Click() { OpenURL(this, lblWebAddress->Tag.trimmed(), false); }

void ShowAboutWindow() { AboutWindow.Get()->ShowUp(); }
