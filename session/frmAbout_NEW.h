#pragma once
// The About window: the product's name, logo, version and build, the maker's logo, copyright line,
// postal and e-mail address, a warning on what the program is not, and the product's web address,
// which opens in the web browser (with the source tag) when clicked. It is modal; OK, Enter, Esc
// and the close box close it.
#include "platform/Controls.h"
#include "support/frmZTemplate.h"

class frmAbout_NEW : public DialogTemplate {
    Q_OBJECT
public:
    explicit frmAbout_NEW(QWidget* parent = nullptr);

    vb::PictureBox* picCont;
    vb::PictureBox* picProgLogo;
    vb::PictureBox* picCompanyLogo;
    vb::Label* lblTitle;
    vb::Label* lblVersion;
    vb::Label* lblBuild;
    vb::Label* lblCopyright;
    vb::Label* lblAddress;
    vb::Label* lblWebAddress;
    vb::Label* lblDisclaimer;
    vb::PictureBox* picBottom;
    vb::PushButton* cmdOK;
    vb::PushButton* cmdProgramInfo;   // hidden, never shown
    vb::PushButton* cmdCredits;       // hidden, never shown
    vb::PushButton* cmdOtherPrograms; // hidden, never shown

    // Opens the web address in the browser; the window stays open.
    void lblWebAddress_Click();

    void Form_Load() override;

protected:
    bool OKAction() override { return true; }
};

// The About window while it is loaded; empty once it has unloaded.
extern vb::FormRef<frmAbout_NEW> AboutWindow;

// Makes the About window when there is none and shows it modally; returns when it has closed.
void ShowAboutWindow();
