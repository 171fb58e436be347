#include "support/frmErrorReport.h"

#include "platform/AppInfo.h"
#include "platform/Placement.h"
#include "platform/Screen.h"
#include "platform/Strings.h"
#include "support/WebAddresses.h"
#include "support/modErrorReport.h"

#include <QPainter>
#include <QPointer>
#include <QPlainTextEdit>
#include <QSvgRenderer>

namespace {

QPixmap warningPicture(QSize size)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/images/error_report.svg"));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return pm;
}

// The text cut to at most `budget` characters once encoded for a URL, marked as cut; whole
// characters only, so the value stays valid UTF-8.
QString cutToFit(const QString& text, qsizetype budget)
{
    if (frmErrorReport::EncodeForURL(text).size() <= budget)
        return text;
    const QString marker = QStringLiteral(" [cut]");
    qsizetype room = budget - frmErrorReport::EncodeForURL(marker).size();
    if (room < 0)
        return QString();
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype next = end + (text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1);
        room -= frmErrorReport::EncodeForURL(text.mid(end, next - end)).size();
        if (room < 0)
            break;
        end = next;
    }
    return text.left(end) + marker;
}
} // namespace

frmErrorReport::frmErrorReport(QWidget* parent) : DialogTemplate({7755, 8535}, parent)
{
    KeyPreview = false;
    // Fixed size, no minimise or maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAutoFillBackground(true);

    Image1 = new vb::PictureBox(this, -90, 270, 1320, 1320);
    Image1->SetPicture(warningPicture(QSize(vb::TwipsToPixelsX(1320), vb::TwipsToPixelsY(1320))));

    lblTitle = new vb::Label(this, 1230, 120, 6345, 315);
    lblTitle->setFont(vb::UiFont(12, true));
    lblTitle->SetWordWrap(false);
    lblIntro = new vb::Label(this, 1230, 570, 6345, 2835);

    lblComments = new vb::Label(this, 150, 3570, 7425, 315, QStringLiteral("Error Report Contents:"));
    txtErrDesc = new vb::FlatEdit(this, 120, 3870, 7455, 1065, true);
    txtErrDesc->SetLocked(true); // its text is never read back
    if (auto* pe = qobject_cast<QPlainTextEdit*>(txtErrDesc->Editor()))
        pe->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    lblName = new vb::Label(this, 150, 5130, 7425, 315,
                            QStringLiteral("How you got this error, and how we can reproduce it:"));
    txtComments = new vb::FlatEdit(this, 120, 5460, 7455, 1065, true);

    lblEmail = new vb::Label(this, 150, 6720, 7215, 315,
                             QStringLiteral("Your email address, so we can contact you about this problem:"));
    txtEmail = new vb::FlatEdit(this, 120, 7050, 4665, 315);
    Label1 = new vb::Label(this, 4980, 7110, 2385, 315, QStringLiteral("(Highly recommended.)"));

    picBottom = new vb::PictureBox(this, 0, 7695, 7755, 840);
    picBottom->SetBackColor(palette().color(QPalette::Window).darker(108));
    cmdSend = new vb::PushButton(picBottom, 4080, 225, 1665, 420, QStringLiteral("&Send Error Report"));
    cmdCancel = new vb::PushButton(picBottom, 5910, 225, 1665, 420, QStringLiteral("&Do Not Send"));
    cmdSend->SetDefault(true);
    cmdCancel->SetCancel(true);

    QWidget::setTabOrder(cmdCancel, cmdSend);
    QWidget::setTabOrder(cmdSend, txtErrDesc->Editor());
    QWidget::setTabOrder(txtErrDesc->Editor(), txtComments->Editor());
    QWidget::setTabOrder(txtComments->Editor(), txtEmail->Editor());

    connect(cmdSend, &vb::PushButton::Click, this, [this] { cmdSend_Click(); });
    connect(cmdCancel, &vb::PushButton::Click, this, [this] { cmdCancel_Click(); });
}

void frmErrorReport::ShowUp(int32_t plngErrNum, const QString& pstrErrDesc, const QString& pstrProgVer,
                            int32_t plngBuildNum, const QString& pstrModuleName, const QString& pstrProcName,
                            const QString& pstrExtraDesc)
{
    mlngErrNum = plngErrNum;
    mstrErrDesc = pstrErrDesc;
    mstrProgVer = pstrProgVer;
    mlngBuildNum = plngBuildNum;
    mstrModuleName = pstrModuleName;
    mstrProcName = pstrProcName;
    mstrExtraDesc = pstrExtraDesc;
    Show(true);
}

void frmErrorReport::Form_Load()
{
    DialogTemplate::Form_Load();
    ErrorReportPath inPath;
    mlngMousePointer = vb::ScreenMousePointer();
    vb::SetScreenMousePointer(vb::vbDefault);

    // On the screen's middle with its frame, once a window manager has framed it.
    vb::CentreWindow(this, vb::ScreenAreaTwips());

    SetCaption(QStringLiteral("Uh Oh... an error occurred in ") + app::ProductName());
    lblTitle->SetCaption(app::ProductName() + QStringLiteral(" ") + QStringLiteral("Problem") + QStringLiteral(" "));
    SetIntroText();
    SetErrorDetails();
    cmdCancel->SetFocus(); // first in the focus order
}

void frmErrorReport::SetIntroText()
{
    const QString P = app::ProductName();
    lblIntro->SetCaption(
        QStringLiteral("Regrettably, a problem has occurred in ") + P + QStringLiteral(".") + vb::vbCrLf +
        vb::vbCrLf + P +
        QStringLiteral(" may continue to function after this, but if you have further problems you should restart "
                       "the program.") +
        vb::vbCrLf + vb::vbCrLf + QStringLiteral("We'd like to fix this problem quickly, but we need your help.  ") +
        QStringLiteral("Can ") + P + QStringLiteral(" submit a bug report on your behalf to ") +
        QStringLiteral("Tenmoor Software") + QStringLiteral("?  ") +
        QStringLiteral("And, can you please take just a moment to jot down what steps we should take to reproduce "
                       "the problem?") +
        vb::vbCrLf + vb::vbCrLf +
        QStringLiteral("Your report is confidential, and only the information you see below is included in the "
                       "report."));
}

void frmErrorReport::SetErrorDetails()
{
    QString t = mstrProgVer + QStringLiteral(" ") + QString::number(mlngBuildNum) + QStringLiteral(" Error ") +
                QString::number(mlngErrNum) + QStringLiteral(" (") + mstrModuleName + QStringLiteral(":") +
                mstrProcName + QStringLiteral(")") + vb::vbCrLf + vb::vbCrLf + mstrErrDesc;
    if (!mstrExtraDesc.isEmpty())
        t += vb::vbCrLf + vb::vbCrLf + mstrExtraDesc;
    txtErrDesc->SetText(t);
}

QString frmErrorReport::EncodeForURL(const QString& text)
{
    static const char hex[] = "0123456789ABCDEF";
    QString out;
    const QByteArray bytes = text.toUtf8();
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += QLatin1Char(char(c));
        } else if (c == ' ') {
            out += QLatin1Char('+');
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(hex[c >> 4]);
            out += QLatin1Char(hex[c & 15]);
        }
    }
    return out;
}

QString frmErrorReport::ReportAddress(const QString& comments, const QString& email) const
{
    // Every value is form-encoded, so that "&", "=", "#", "%" or "+" in any of them can neither cut
    // the report short nor pass for another key.
    std::pair<const char*, QString> query[] = {
        {"ErrNum", QString::number(mlngErrNum)},
        {"ErrDesc", mstrErrDesc},
        {"ProgVer", mstrProgVer},
        {"BuildNum", QString::number(mlngBuildNum)},
        {"ModuleName", mstrModuleName},
        {"ProcName", mstrProcName},
        {"Comments", comments},
        {"Email", email},
        {"ExtraDesc", mstrExtraDesc},
    };
    auto address = [&query] {
        QString url = web::MakerWebServer() + QStringLiteral("/") + web::ErrorReportPage();
        bool first = true;
        for (const auto& [key, value] : query) {
            url += QLatin1Char(first ? '?' : '&') + QString::fromLatin1(key) + QLatin1Char('=') + EncodeForURL(value);
            first = false;
        }
        return url;
    };
    // A longer address fails to launch (the system's argument limit) or is refused by the server.
    // The longest of the free texts is cut, by what does not fit (on a tie the user's comments and
    // e-mail address go before the description and extra text the program wrote).
    QString url = address();
    for (int round = 0; round < 4 && url.size() > MaxReportAddress; ++round) {
        QString* longest = nullptr;
        qsizetype longestSize = -1;
        for (const int i : {6, 7, 1, 8}) {
            const qsizetype n = EncodeForURL(query[i].second).size();
            if (n > longestSize) {
                longest = &query[i].second;
                longestSize = n;
            }
        }
        *longest = cutToFit(*longest, longestSize - (url.size() - MaxReportAddress));
        url = address();
    }
    return url;
}

void frmErrorReport::SendReport()
{
    const QString comments = vb::Trim(txtComments->Text());
    const QString email = vb::Trim(txtEmail->Text());
    // The window stays until the launch is known to be handed over, so a failure that is known
    // only when the launcher ends still finds the user's text here.
    setCursor(Qt::BusyCursor);
    QPointer<frmErrorReport> self(this);
    OpenURL(this, ReportAddress(comments, email), true, [self](bool handedOver) {
        if (self)
            self->SendReport_HandedOver(handedOver);
    });
}

void frmErrorReport::SendReport_HandedOver(bool handedOver)
{
    ErrorReportPath inPath;
    unsetCursor();
    Busy = 0;
    if (handedOver && IsLoaded())
        Unload();
}

void frmErrorReport::cmdSend_Click()
{
    ErrorReportPath inPath;
    if (Busy)
        return;
    Busy = -1;
    SendReport();
}

void frmErrorReport::cmdCancel_Click()
{
    ErrorReportPath inPath;
    Unload();
}

void frmErrorReport::Form_KeyDown(int& KeyCode, int Shift)
{
    // Enter and Esc are left to the default and cancel buttons.
    (void)KeyCode;
    (void)Shift;
}

void frmErrorReport::Form_QueryUnload(int& Cancel, int UnloadMode)
{
    {
        ErrorReportPath inPath;
        vb::SetScreenMousePointer(mlngMousePointer);
    }
    // The template's closing steps let pending events run: they belong to the rest of the program.
    DialogTemplate::Form_QueryUnload(Cancel, UnloadMode);
}
