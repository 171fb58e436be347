#pragma once
// The error-report window: tells the user what went wrong and exactly what a report holds, asks
// how it came about and for an e-mail address, and sends the report as a web page address opened
// in the default browser. A fresh window is made for every report.
//
// Send keeps the window open until the browser has the report: when sending fails, at once or
// when the launcher ends, the window stays open with everything the user typed, to send again.
#include "platform/Controls.h"
#include "support/frmZTemplate.h"

#include <QString>
#include <cstdint>

// It stands on the dialog template, except for the keys: Enter and Esc reach its default and
// cancel buttons by the window system's rules, so a focused button takes Enter itself.
class frmErrorReport : public DialogTemplate {
    Q_OBJECT
public:
    explicit frmErrorReport(QWidget* parent = nullptr);

    // Stores the report's values and shows the window modally; returns when it has closed.
    void ShowUp(int32_t plngErrNum, const QString& pstrErrDesc, const QString& pstrProgVer, int32_t plngBuildNum,
                const QString& pstrModuleName, const QString& pstrProcName, const QString& pstrExtraDesc = {});

    // Busy (the template's) is set (-1) while the Send action runs.

    // The controls, named as the window's layout names them.
    vb::PictureBox* Image1;
    vb::Label* lblTitle;
    vb::Label* lblIntro;
    vb::Label* lblComments;
    vb::FlatEdit* txtErrDesc;
    vb::Label* lblName;
    vb::FlatEdit* txtComments;
    vb::Label* lblEmail;
    vb::FlatEdit* txtEmail;
    vb::Label* Label1;
    vb::PictureBox* picBottom;
    vb::PushButton* cmdSend;
    vb::PushButton* cmdCancel;

    // A report value encoded as a form value of a URL query: blank as "+", every byte of its UTF-8
    // form outside A-Z a-z 0-9 and "-._~" as %XX.
    static QString EncodeForURL(const QString& text);
    // The report page's address for the values of this window, with the comments and e-mail given.
    // It is never longer than MaxReportAddress: the longest of the free texts (comments, e-mail
    // address, description, extra text) is cut to fit, marked with " [cut]".
    QString ReportAddress(const QString& comments, const QString& email) const;
    // What browsers, launchers and web servers all take (servers: request lines of 8 K).
    static constexpr qsizetype MaxReportAddress = 8000;

protected:
    void Form_Load() override;
    void Form_KeyDown(int& KeyCode, int Shift) override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;

private:
    void SetIntroText();
    void SetErrorDetails();
    void SendReport();
    void SendReport_HandedOver(bool handedOver);
    void cmdSend_Click();
    void cmdCancel_Click();

    int32_t mlngErrNum = 0;
    QString mstrErrDesc;
    QString mstrProgVer;
    int32_t mlngBuildNum = 0;
    QString mstrModuleName;
    QString mstrProcName;
    QString mstrExtraDesc;
    int32_t mlngMousePointer = 0;
};
