#pragma once
// The introduction window: six short paragraphs on what the program does and what EFT is, a link
// to the product's web site, and the start-up option. Its OK button turns the option over (on when
// the window opened with it off, off when it was on) and closes; Cancel, Esc and the close box
// close it and change nothing. Follows the dialog template (first activation, Busy, Enter and Esc).
#include "platform/Controls.h"
#include "support/frmZTemplate.h"

#include <QString>
#include <cstdint>

class frmWhatIsIt : public DialogTemplate {
    Q_OBJECT
public:
    explicit frmWhatIsIt(QWidget* parent = nullptr);

    // The start-up option as read when the window loaded (True is -1): decides the buttons' texts
    // and what OK writes.
    int16_t ShowSetting = 0;

    vb::FlatEdit* fedText;
    vb::Label* lblLearnMore; // its Tag holds the web address that a click opens
    vb::PictureBox* picBottom;
    vb::PushButton* cmdOK;
    vb::PushButton* cmdCancel;

    // The explanation: six paragraphs separated by empty lines, CR LF line breaks.
    static QString GetWhatIsItText();

    void Form_Load() override;
    // Opens the link's address with the source tag; the window stays open.
    void lblLearnMore_Click();

protected:
    // Writes the turned-over option; closes the window when it was written.
    bool OKAction() override;
};

// The introduction window while it is loaded. Whoever opens the window fills it when it is empty;
// it empties itself when the window unloads, so each opening after a close builds a fresh window.
extern vb::FormRef<frmWhatIsIt> WhatIsItWindow;
