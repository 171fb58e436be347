#pragma once
// The library's dialog template.
//
// DialogTemplate is the base every dialog of the program stands on. It carries the dialogs' shared
// behaviour:
//   - ShowUp shows the window modally, with no owner, and returns when it has closed;
//   - the first activation resets the screen's mouse pointer to the default and sets Activated;
//   - the main action (cmdOK_Click) runs only once Activated is set and while Busy is not, and
//     keeps Busy set while it runs, so a second click or Enter meanwhile does nothing;
//   - Enter runs cmdOK_Click and Esc unloads the window, both taken at window level before the
//     focused control sees the key;
//   - every close (Cancel, Esc, the close box, the program's shutdown) passes the close question
//     "Do you wish to save your changes?" when the data has changed since it was loaded or saved;
//   - on the way out the window hides and lets pending window events run;
//   - a window held in a program-wide vb::FormRef is dropped from it when it unloads.
// A concrete dialog hands the template its stored layout (client size, icon), builds its own
// controls, hands its buttons to ConnectButtons, and fills in the hooks OKAction, ValidateData and
// SaveData.
//
// frmZTemplate is the template window itself: OK, Cancel and Save in a strip along the bottom and a
// sample label. The program never shows it; it is the pattern the other dialogs follow.
#include "platform/Controls.h"
#include "platform/Form.h"

#include <cstdint>

class DialogTemplate : public vb::Form {
    Q_OBJECT
public:
    // The window is set up as its stored layout has it (vb::Form::ApplyLayout).
    explicit DialogTemplate(const vb::FormLayout& layout, QWidget* parent = nullptr);

    // Shows the window modally with no owner window; returns when the window has closed.
    void ShowUp();

    // A concrete dialog calls SetDataChangedFlag whenever the user changes one of its fields.
    void SetDataChangedFlag();
    void CleanDataChangedFlag();
    bool DataChanged() const { return mblnDataChanged != 0; }
    // Set when the close question's Yes starts a save; cleared when that save succeeds.
    bool Saving() const { return mblnSaving != 0; }

    // True is -1, as for every Boolean field of the program's windows. Both start False.
    int16_t Busy = 0;      // an action of the window is running
    int16_t Activated = 0; // the window has been activated once

    // The button handlers, as a click (or Enter, for OK) runs them.
    // OK: only when Activated and not Busy; runs OKAction with Busy set, then unloads the window
    // when OKAction says so.
    void cmdOK_Click();
    // Save: only when Activated and not Busy; runs SaveData with Busy set; the window stays open.
    void cmdSave_Click();
    // Cancel: unloads the window (through the close question); no flag is tested.
    void cmdCancel_Click();

    // The window's event procedures, callable as the window system calls them. A derived window
    // that overrides one of them calls the template's own first.
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyDown(int& KeyCode, int Shift) override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Form_Unload(int& Cancel) override;

protected:
    // Connects the dialog's buttons to the handlers above; any of them may be null.
    void ConnectButtons(vb::PushButton* ok, vb::PushButton* cancel, vb::PushButton* save = nullptr);

    // The main action, run by cmdOK_Click with Busy set. True unloads the window afterwards.
    // The template's own does nothing and keeps the window open.
    virtual bool OKAction() { return false; }
    // Whether the data shown may be saved. The template's own: always.
    virtual bool ValidateData() { return true; }
    // Saves the data shown; true when it was saved. The template's own validates, cleans the
    // data-changed flag when the data is valid, and returns false in every case.
    virtual bool SaveData();

    // "Do you wish to save your changes?" with Yes, No and Cancel and the question icon (35),
    // titled with the program's title; returns the answer (6 Yes, 7 No, 2 Cancel).
    virtual int AskSaveChanges();
    // The close question: true keeps the window open. No changes: false at once. Cancel: true.
    // Yes: saves; a failed save keeps the window open (the saving flag stays set); a successful
    // one goes on as No does. No: cleans the data-changed flag and returns false.
    bool CheckUnsavedChanges();
    // The way out: hides the window and lets pending window events run.
    void ClosingStep();

    void showEvent(QShowEvent* e) override;

private:
    int16_t mblnDataChanged = 0;
    int16_t mblnSaving = 0;
};

class frmZTemplate : public DialogTemplate {
    Q_OBJECT
public:
    explicit frmZTemplate(QWidget* parent = nullptr);

    vb::PictureBox* picBottom;
    vb::PushButton* cmdOK;
    vb::PushButton* cmdCancel;
    vb::PushButton* cmdSave;
    vb::Label* lblGen;

    void Form_Load() override;
};

// The template window while it is loaded; empty once it has unloaded.
extern vb::FormRef<frmZTemplate> ZTemplateWindow;
