#include "session/frmWhatIsIt.h"

#include "platform/AppInfo.h"
#include "platform/Placement.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "platform/VbError.h"
#include "session/modOptions.h"
#include "support/ErrorTrap.h"
#include "support/WebAddresses.h"
#include "support/modErrorReport.h"
#include "support/modRegistry.h"

vb::FormRef<frmWhatIsIt> WhatIsItWindow;

namespace {

const QString kModule = QStringLiteral("frmWhatIsIt");

// The buttons as the option stands when the window loads.
struct OptionButtons {
    const char* okCaption;
    const char* okToolTip;
    const char* cancelCaption;
    const char* cancelToolTip;
};
constexpr OptionButtons kButtonsOptionOn = {
    "&Don't Show This Again", "Don't show this window again on startup of the program", "&Continue",
    "Close this window and proceed to the main window (Esc)"};
constexpr OptionButtons kButtonsOptionOff = {"Show On Startup", "Show this window every time the program starts",
                                             "&Close", "Close this window"};

} // namespace

frmWhatIsIt::frmWhatIsIt(QWidget* parent) : DialogTemplate({9180, 6780}, parent)
{
    fedText = new vb::FlatEdit(this, 510, 390, 8355, 4725, true);
    fedText->SetLocked(true);
    lblLearnMore = new vb::Label(this, 540, 5370, 8625, 375);
    lblLearnMore->SetEnableMarkup(true);
    lblLearnMore->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblLearnMore->setCursor(Qt::PointingHandCursor);
    picBottom = new vb::PictureBox(this, 0, 5940, 9180, 840);
    cmdOK = new vb::PushButton(picBottom, 2130, 210, 2295, 450);
    cmdCancel = new vb::PushButton(picBottom, 4710, 210, 2295, 450);

    QWidget::setTabOrder(cmdOK, cmdCancel);
    QWidget::setTabOrder(cmdCancel, fedText->Editor());
    ConnectButtons(cmdOK, cmdCancel);
    connect(lblLearnMore, &vb::Label::Click, this, [this] { lblLearnMore_Click(); });
}

QString frmWhatIsIt::GetWhatIsItText()
{
    const QString gap = vb::vbCrLf + vb::vbCrLf;
    return app::ProductName() + QStringLiteral(" helps in dealing with negative emotions by using EFT.") + gap +
           QStringLiteral("EFT stands for Emotional Freedom Techniques and is a form of simple but very effective "
                          "self-administered therapy.") +
           gap +
           QStringLiteral("In the course of EFT session you concentrate on a specific issue while gently tapping "
                          "meridian points (called also energy channels or chakras).") +
           gap +
           QStringLiteral("At the beginning evaluate the intensity of the issue on a scale from 0 to 10, where 10 "
                          "means the highest possible stress, and 0 means that given issue is not bothering you at "
                          "all.") +
           gap +
           QStringLiteral("Then tap the meridian points while repeating the intention and affirmation. After couple "
                          "of rounds of tapping the level of distress is re-assessed.") +
           gap +
           QStringLiteral("You almost always will notice that your level of disstress goes down and down as the "
                          "tapping progresses. There are cases where it stops decreasing at some point, but don't be "
                          "discuraged by this - eventually it should go all the way down to 1 or even to 0.");
}

void frmWhatIsIt::Form_Load()
{
    DialogTemplate::Form_Load();
    TrapErrors(kModule, QStringLiteral("Form_Load"), {.extra = errortrap::Extra::Line}, [&] {
        // Over the window the user is in; at start-up no window is open, so on the screen.
        vb::CentreWindow(this, vb::ActiveWindowAreaTwips());

        SetCaption(QStringLiteral("How ") + app::ProductName() + QStringLiteral(" works"));
        fedText->SetText(GetWhatIsItText());

        const QString site = web::ProductWebSite();
        lblLearnMore->SetCaption(vb::MarkupRun(QStringLiteral("To learn more about EFT please visit ")) +
                                 vb::MarkupRun(site + QStringLiteral("."), QColor(Qt::blue), true));
        lblLearnMore->Tag = site;

        ShowSetting = ShowWhatIsItWindow() ? -1 : 0;
        const OptionButtons& b = ShowSetting ? kButtonsOptionOn : kButtonsOptionOff;
        cmdOK->SetCaption(QString::fromUtf8(b.okCaption));
        cmdOK->SetToolTipText(QString::fromUtf8(b.okToolTip));
        cmdCancel->SetCaption(QString::fromUtf8(b.cancelCaption));
        cmdCancel->SetToolTipText(QString::fromUtf8(b.cancelToolTip));
        cmdOK->SetFocus();
    });
}

bool frmWhatIsIt::OKAction()
{
    return TrapErrors(kModule, QStringLiteral("cmdOK_Click"), {.extra = errortrap::Extra::Line}, [&] {
        const QString result =
            SaveRegDWord(HKEY_CURRENT_USER, OptionsKey(), QStringLiteral("ShowWhatIsIt"), ShowSetting ? 0 : 1);
        // A setting that could not be stored must not look stored: say so and keep the window open.
        if (result != QStringLiteral("Success"))
            vb::Raise(vb::errPathFileAccess, QStringLiteral("The start-up option could not be saved: ") + result);
    });
}

void frmWhatIsIt::lblLearnMore_Click() { OpenURL(this, vb::Trim(lblLearnMore->Tag), false); }
