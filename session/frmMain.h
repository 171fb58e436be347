#pragma once
// The main window: the whole tapping session on one screen. It owns the step machine (the 10 ms
// step timer, the moves from step to step, Next/Previous/Pause/Resume/Finish), shows each step
// (titles, instruction texts, the body diagram with its blinking marker, the hands, the issue and
// SUD choices, the elapsed time), lays its controls out for any size, keeps its position in
// the settings store between runs, and takes the keys and clicks that drive the session.
// Its code: frmMain.cpp (life, step machine, display), frmMain_Layout.cpp (controls and layout),
// frmMain_Position.cpp (saved place), frmMain_Input.cpp (keys and clicks), frmMain_Commands.cpp
// (the tool bar's Exit and web buttons, the menu button and its pop-up menu).
//
// The controls are public, as a window's controls are to the rest of the program; the procedures
// are public too so that the input handlers, the commands and the tests reach them directly.
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Menu.h"
#include "platform/PictureBox.h"
#include "platform/Shape.h"
#include "platform/Timer.h"
#include "session/SessionState.h"

#include <cstdint>
#include <functional>

// Program-wide switches of the start-up: both stay False for the program's whole life.
// JournalEnabled would fill the hidden step journal; BottomRowFlag would keep the bottom row of
// twin buttons out of the layout.
extern int16_t JournalEnabled;
extern int16_t BottomRowFlag;

class frmMain : public vb::Form {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // ---- Fields of the window ----
    int16_t Activated = 0;       // set (True, -1) on the first activation
    int16_t Busy = 0;            // re-entrancy guard of Next, Previous, Finish and the issue choice
    int16_t SUD = 0;             // the chosen SUD value, 0 to 10
    int ToolbarHeight = 0;       // twips, set at load
    int32_t ButtonsRightEdge = 0; // right edge of cmdFinish, twips, set at load

    // ---- Controls ----
    vb::Timer* tmrSteps;

    vb::PictureBox* picToolBar;
    vb::ControlArray<vb::PushButton> cmdNavig; // 0 Previous, 1 Next
    vb::PushButton* cmdPause;
    vb::PushButton* cmdResume;
    vb::PushButton* cmdFinish;
    vb::PushButton* cmdExit;
    vb::PushButton* cmdWeb;
    vb::PushButton* cmdInfo;  // hidden, never shown
    vb::PushButton* cmdAbout; // hidden, never shown

    vb::PictureBox* picStatusBar;
    vb::PushButton* cmdNav; // the menu button
    vb::Label* lblTime_New;

    vb::PictureBox* picLeftFrame;
    vb::Label* lblSegmentTitle;
    vb::Label* lblLeftFrame;
    vb::Label* lblSplit;
    vb::PictureBox* picRightFrame;
    vb::PictureBox* picShape;
    vb::PictureBox* picHandLeft;
    vb::PictureBox* picHandRight;
    vb::ControlArray<vb::Shape> shpStep; // 1 to 16
    vb::Shape* shpGreen;
    vb::Label* lblCurrentPoint;
    vb::Frame* fraMode;
    vb::ControlArray<vb::RadioButton> radMode; // 1 to 12
    vb::Frame* fraSUD_2;
    vb::ControlArray<vb::RadioButton> radSUD;  // 0 to 10
    vb::ControlArray<vb::Label> lblSUDUnit;    // 0 to 10

    vb::Label* lblIntro;

    // Hidden at load and never shown.
    vb::ControlArray<vb::PushButton> cmdNavig_Bottom; // 0 and 1
    vb::PushButton* cmdPause_Bottom;
    vb::PushButton* cmdResume_Bottom;
    vb::FlatEdit* txtJournal;
    vb::Label* lblRoundCount;
    vb::Label* lblRoundPolarity;
    vb::Frame* fraSUD;
    vb::Slider* sliderNormal;

    // ---- Step machine ----
    void tmrSteps_Timer();
    void ProcessSteps(StepEnum penmStep, int32_t plngStepLength, bool pblnForce, bool pblnByNavigation);
    int16_t Navigate(bool pblnForward, int32_t penmCurrentStep);
    void cmdNavig_Click(int Index);
    void cmdPause_Click();
    void cmdResume_Click();
    void cmdFinish_Click();
    void EnableDisableTimer();
    void InitializeVariablesAndControls();
    void ResetStepState(StepEnum penmStep);
    void ResetBlink();

    // ---- Step display ----
    void DisplayStep(StepEnum penmStep);
    void ShowStepTexts(StepEnum penmStep);
    QString GetSegmentTitle(StepEnum penmStep);
    QString GetStepInstructions(StepEnum penmStep);
    void HideStepDots();
    void PaintDotsGreenOrRed(int16_t pblnGreen);
    void Blink();
    void UpdateTimeElapsed(int32_t plngSeconds);
    void SetModesCaptions();
    void UpdateDisplay_SelectedIssue(IssueEnum penmIssue);
    void UpdateJournal(const QString& strMsg);

    // ---- Layout ----
    void ArrangeControls();
    // The elapsed-time label as wide as its text needs, never narrower than designed; it grows to
    // the left, its right edge staying where the layout put it.
    void FitTimeLabel();

    // ---- Life and position ----
    void FormPos_Save();
    bool FormPos_Read(int32_t& plngLeft, int32_t& plngTop, int32_t& plngWidth, int32_t& plngHeight,
                      int32_t& plngWindowState);
    // Places the window at its saved bounds, or centres it at its design size when none are saved.
    // A saved size larger than the screen's available area or smaller than the least usable size
    // gives way to the design size; bounds that lie on no screen at all are centred; bounds partly
    // on a screen stay as saved. A design size that the screen's available area cannot hold is
    // reduced to that area, and the window starts inside it. A saved maximised state maximises the
    // window. A centred window is centred again once the window manager has framed it.
    void SetFormPosition();
    void SetFormCaption();
    void SetColors();

    // ---- Keyboard and mouse ----
    // The window sees every key first. Esc pauses a running session; while paused any key resumes
    // it and does nothing else; N, Space, Right, Down, Enter and Page Down go to the next step, P,
    // Backspace, Left, Up and Page Up to the previous one (not on Intro). A key handled here is
    // consumed (KeyCode set to 0); any other passes on to the focused control unchanged.
    void Form_KeyDown(int& KeyCode, int Shift) override;
    void Form_KeyPress(int& KeyAscii) override;
    // Next, as its button does: a click on the window's background or on its display.
    void ClickNext();
    void Form_Click();
    void radMode_Click(int Index);
    void radSUD_Click(int Index);
    void lblSUDUnit_Click(int Index);

    // ---- Commands ----
    // The menu button's pop-up menu: "Information", "Keyboard Shortcuts", "About", a separator
    // line and "Exit", in that order.
    vb::Menu* mnuPopUp;
    vb::MenuItem* mnuPopUpInfo;
    vb::MenuItem* mnuPopUpShortcuts;
    vb::MenuItem* mnuPopUpAbout;
    vb::MenuItem* mnuPopUpSep;
    vb::MenuItem* mnuPopUpExit;

    // Opens the pop-up menu with its left edge at the mouse pointer; either mouse button chooses an
    // entry, and none is the default. The step timer is not touched.
    void cmdNav_Click();
    // Information and About: the introduction or About window, modal. The step timer stands still
    // while it is open and gets back the state it had (running, or off when paused or on a step
    // that waits for the user) when it closes.
    void mnuPopUpInfo_Click();
    void cmdInfo_Click();
    void mnuPopUpAbout_Click();
    void cmdAbout_Click();
    // The keyboard-shortcuts window beside the running session: not modal, the timer untouched;
    // while it is open, the same window comes back to the front.
    void mnuPopUpShortcuts_Click();
    // Exit: stops the step timer and unloads this window, which unloads every other window and
    // so ends the program.
    void mnuPopUpExit_Click();
    void cmdExit_Click();
    // Opens the product's web site with the source tag; nothing in the session changes.
    void cmdWeb_Click();

    // What Information and About share: remembers whether the step timer runs, stops it, runs
    // `showWindow` (which returns once the modal window has closed) and gives the timer back its
    // remembered state, unless this window has been unloaded meanwhile. An error is reported under
    // `proc` and leaves the timer stopped.
    void ShowModalWithTimerStopped(const QString& proc, const std::function<void()>& showWindow);

    // The window's own event procedures, callable as the window system would call them.
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_Unload(int& Cancel) override;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // The place that SetFormPosition gave the window before it was first shown: the window frame is
    // known only once it is on screen, so the outer bounds are applied again then.
    struct Placement {
        bool pending = false;
        bool centred = false;
        bool fitted = false; // made smaller to fit the screen's available area, and kept inside it
        bool maximise = false;
        int left = 0, top = 0, width = 0, height = 0;
    } placement;
    void ApplyPlacement();
    // Keeps the size; the place is the screen's centre, to the nearest twip. A window larger than
    // the screen's available area is made as large as that area and stands inside it instead.
    void CentreOnScreen();
    // Moves the window the least that brings it inside area (twips); a side longer than the area's
    // is reduced to it, the other keeps its size.
    void MoveInside(const QRect& area);

    // Traps a procedure that runs with the step timer (the tick, the step machine and the display,
    // Next, Previous and Finish): an error stops the timer, then is reported under `proc` with the
    // line text, "Line: 0" where the procedure numbers no lines.
    template <class Body>
    bool TrapTimerDriven(const QString& proc, Body&& body);

    void CreateControls();
    // The pop-up menu and the command buttons' handlers.
    void CreateCommands();
    void KeyboardShortcuts();
    // The display's labels and pictures move the session on when clicked.
    void ConnectDisplayClicks();
    // A click on the window's background itself, not on a control standing on it.
    vb::ClickTracker backgroundClick;
    // The tool bar and status bar stay at the client area's top and bottom edges at its full width.
    void AlignBars();
};
