#include "platform/Controls.h"

#include "platform/Form.h"
#include "platform/Keys.h"
#include "platform/Screen.h"
#include "platform/Strings.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QShortcutEvent>
#include <QTextBlock>
#include <QTextCursor>

namespace vb {

QFont UiFont(double pointSize, bool bold)
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

QRect ControlGeometryPixels(int left, int top, int width, int height)
{
    return TwipsToPixels(left, top, width, height);
}

namespace {
Form* owningForm(QWidget* w)
{
    for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
        if (auto* f = qobject_cast<Form*>(p))
            return f;
    return nullptr;
}
} // namespace

// ---------------------------------------------------------------------------------------------
PushButton::PushButton(QWidget* container, int left, int top, int width, int height, const QString& caption)
    : ControlOf<QPushButton>(container, left, top, width, height)
{
    setText(caption);
    setAutoDefault(false);
    connect(this, &QAbstractButton::clicked, this, [this] { emit Click(Index()); });
}

void PushButton::SetPicture(const QPixmap& picture) { SetPicture(picture.isNull() ? QIcon() : QIcon(picture)); }

void PushButton::SetPicture(const QIcon& picture)
{
    if (picture.isNull()) {
        if (hasPicture)
            setText(savedCaption);
        hasPicture = false;
        setIcon(QIcon());
        return;
    }
    if (!hasPicture)
        savedCaption = text();
    hasPicture = true;
    setIcon(picture);
    setText(QString());
    // The caption's access key keeps working while the picture is shown (set after the text,
    // which would clear it).
    setShortcut(QKeySequence::mnemonic(savedCaption));
    fitPicture();
}

void PushButton::fitPicture()
{
    if (!hasPicture)
        return;
    const int side = std::max(1, std::min(width(), height()) - 8);
    setIconSize(QSize(side, side));
}

void PushButton::resizeEvent(QResizeEvent* e)
{
    QPushButton::resizeEvent(e);
    fitPicture();
}

bool PushButton::Default() const
{
    Form* f = owningForm(const_cast<PushButton*>(this));
    return f && f->DefaultButton == this;
}

void PushButton::SetDefault(bool on)
{
    Form* f = owningForm(this);
    if (f) {
        if (on) {
            if (auto* old = qobject_cast<QPushButton*>(f->DefaultButton); old && old != this)
                old->setDefault(false);
            f->DefaultButton = this;
        } else if (f->DefaultButton == this) {
            f->DefaultButton = nullptr;
        }
    }
    setDefault(on); // the look of a default button
}

bool PushButton::Cancel() const
{
    Form* f = owningForm(const_cast<PushButton*>(this));
    return f && f->CancelButton == this;
}

void PushButton::SetCancel(bool on)
{
    Form* f = owningForm(this);
    if (!f)
        return;
    if (on)
        f->CancelButton = this;
    else if (f->CancelButton == this)
        f->CancelButton = nullptr;
}

bool PushButton::event(QEvent* e)
{
    // The access key clicks now; Qt's own handling animates a press whose click lands some 100 ms
    // later, after the step timer has moved on. An access key shared by two buttons still only
    // moves the focus between them.
    if (e->type() == QEvent::Shortcut) {
        const auto* se = static_cast<QShortcutEvent*>(e);
        if (!se->isAmbiguous()) {
            if (isEnabled())
                click();
            return true;
        }
    }
    return QPushButton::event(e);
}

void PushButton::keyPressEvent(QKeyEvent* e)
{
    // A focused button takes Enter as a click, as the window system's buttons do.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(e);
}

// ---------------------------------------------------------------------------------------------
RadioButton::RadioButton(QWidget* container, int left, int top, int width, int height, const QString& caption)
    : ControlOf<QRadioButton>(container, left, top, width, height)
{
    setText(caption);
    setAutoExclusive(true); // the options of one container exclude each other
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            emit Click(Index());
    });
}

bool RadioButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

void RadioButton::SetValue(bool on)
{
    if (!on) {
        // An exclusive option cannot be cleared on its own; lift the exclusivity for the moment.
        setAutoExclusive(false);
        setChecked(false);
        setAutoExclusive(true);
        return;
    }
    if (isChecked()) {
        emit Click(Index());
        return;
    }
    // Clear the other options of the container ourselves: when none is checked yet Qt would
    // not, and the user's own picks follow the same rule.
    if (QWidget* p = parentWidget()) {
        for (auto* other : p->findChildren<RadioButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (other != this && other->isChecked()) {
                other->setAutoExclusive(false);
                other->setChecked(false);
                other->setAutoExclusive(true);
            }
        }
    }
    setChecked(true); // raises Click through toggled
}

// ---------------------------------------------------------------------------------------------
FlatEdit::FlatEdit(QWidget* container, int left, int top, int width, int height, bool multiLine_)
    : ControlOf<QFrame>(container, left, top, width, height), multiLine(multiLine_)
{
    setFrameShape(QFrame::NoFrame);
    QWidget* ed;
    if (multiLine) {
        plain = new QPlainTextEdit(this);
        plain->setTabChangesFocus(true);
        plain->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        plain->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // lines wrap, nothing to scroll sideways
        connect(plain, &QPlainTextEdit::textChanged, this, [this] {
            if (maxLength > 0 && plain->document()->characterCount() - 1 > maxLength) {
                QTextCursor c = plain->textCursor();
                c.movePosition(QTextCursor::End);
                c.setPosition(maxLength, QTextCursor::KeepAnchor);
                c.removeSelectedText();
                return; // the removal raises textChanged again
            }
            emit Change();
        });
        ed = plain;
    } else {
        line = new QLineEdit(this);
        line->setMaxLength(32767);
        connect(line, &QLineEdit::textChanged, this, [this] { emit Change(); });
        ed = line;
    }
    ed->installEventFilter(this);
    // Only the editor is a stop of the focus chain; focusing the box lands there. (The policy is
    // set before the proxy, which would otherwise pass it on to the editor.)
    setFocusPolicy(Qt::NoFocus);
    setFocusProxy(ed);
    ed->setFocusPolicy(Qt::StrongFocus);
    layoutEditor();
}

QWidget* FlatEdit::Editor() const { return line ? static_cast<QWidget*>(line) : static_cast<QWidget*>(plain); }

void FlatEdit::layoutEditor() { Editor()->setGeometry(rect()); }

void FlatEdit::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    layoutEditor();
}

QString FlatEdit::Text() const
{
    if (line)
        return line->text();
    QString t = plain->toPlainText();
    t.replace(QLatin1Char('\n'), vbCrLf);
    return t;
}

void FlatEdit::SetText(const QString& text)
{
    if (line) {
        line->setText(text);
        return;
    }
    QString t = text;
    t.replace(vbCrLf, QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    plain->setPlainText(t);
}

// Selection positions count characters of Text(); in a multi-line box each CR LF counts two.
namespace {
int docToText(const QString& doc, int pos)
{
    int extra = 0;
    for (int i = 0; i < pos && i < doc.size(); ++i)
        if (doc[i] == QLatin1Char('\n'))
            ++extra;
    return pos + extra;
}
int textToDoc(const QString& doc, int pos)
{
    int t = 0, d = 0;
    while (d < doc.size() && t < pos) {
        t += doc[d] == QLatin1Char('\n') ? 2 : 1;
        ++d;
    }
    return d;
}
} // namespace

int FlatEdit::SelStart() const
{
    if (line)
        return line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
    const QTextCursor c = plain->textCursor();
    return docToText(plain->toPlainText(), c.selectionStart());
}

void FlatEdit::SetSelStart(int start)
{
    start = std::max(0, start);
    if (line) {
        line->deselect();
        line->setCursorPosition(std::min(start, int(line->text().size())));
        return;
    }
    QTextCursor c = plain->textCursor();
    const QString doc = plain->toPlainText();
    c.setPosition(std::min(textToDoc(doc, start), int(doc.size())));
    plain->setTextCursor(c);
}

int FlatEdit::SelLength() const
{
    if (line)
        return line->hasSelectedText() ? int(line->selectedText().size()) : 0;
    const QTextCursor c = plain->textCursor();
    const QString doc = plain->toPlainText();
    return docToText(doc, c.selectionEnd()) - docToText(doc, c.selectionStart());
}

void FlatEdit::SetSelLength(int length)
{
    length = std::max(0, length);
    const int start = SelStart();
    if (line) {
        const int n = std::min(length, int(line->text().size()) - start);
        if (n > 0)
            line->setSelection(start, n);
        else
            line->setCursorPosition(start);
        return;
    }
    const QString doc = plain->toPlainText();
    QTextCursor c = plain->textCursor();
    const int from = textToDoc(doc, start);
    c.setPosition(from);
    c.setPosition(std::min(textToDoc(doc, start + length), int(doc.size())), QTextCursor::KeepAnchor);
    plain->setTextCursor(c);
}

QString FlatEdit::SelText() const
{
    return Text().mid(SelStart(), SelLength());
}

void FlatEdit::SetPasswordChar(int charCode)
{
    passwordChar = charCode;
    if (!line)
        return; // a multi-line box never masks, as with the window system's edit boxes
    if (charCode == 0) {
        line->setEchoMode(QLineEdit::Normal);
        line->setStyleSheet(QString());
    } else {
        line->setEchoMode(QLineEdit::Password);
        line->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: %1; }").arg(charCode));
    }
}

void FlatEdit::SetMaxLength(int length)
{
    maxLength = std::max(0, length);
    if (line)
        line->setMaxLength(maxLength > 0 ? maxLength : 32767);
    else if (maxLength > 0 && plain->document()->characterCount() - 1 > maxLength)
        emit plain->textChanged(); // trims through the change handler
}

bool FlatEdit::Locked() const { return line ? line->isReadOnly() : plain->isReadOnly(); }

void FlatEdit::SetLocked(bool locked)
{
    if (line)
        line->setReadOnly(locked);
    else
        plain->setReadOnly(locked);
}

bool FlatEdit::eventFilter(QObject* obj, QEvent* e)
{
    if (obj != Editor())
        return QFrame::eventFilter(obj, e);
    if (e->type() == QEvent::FocusIn) {
        emit GotFocus();
        return false;
    }
    if (e->type() != QEvent::KeyPress || reentered)
        return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    // Tab moves on from a multi-line box too, read-only or not.
    if (plain && (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)) {
        focusNextPrevChild(k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier));
        return true;
    }
    int ascii = KeyAsciiOf(k);
    if (!ascii)
        return false;
    const int typed = ascii;
    if (ascii >= 32) {
        const QChar ch(ascii);
        if (styleBits & ES_UPPERCASE)
            ascii = ch.toUpper().unicode();
        else if (styleBits & ES_LOWERCASE)
            ascii = ch.toLower().unicode();
    }
    emit KeyPress(ascii);
    if (ascii == 0)
        return true; // swallowed
    if (ascii == typed)
        return false;
    // Another character replaces the typed one.
    QKeyEvent replaced(QEvent::KeyPress, k->key(), k->modifiers(), QString(QChar(ascii)));
    reentered = true;
    QApplication::sendEvent(Editor(), &replaced);
    reentered = false;
    return true;
}

// ---------------------------------------------------------------------------------------------
Label::Label(QWidget* container, int left, int top, int width, int height, const QString& text)
    : ControlOf<QLabel>(container, left, top, width, height)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    SetCaption(text);
}

void Label::SetCaption(const QString& text)
{
    caption = text;
    render();
}

void Label::SetEnableMarkup(bool on)
{
    markup = on;
    render();
}

void Label::render()
{
    setTextFormat(markup ? Qt::RichText : Qt::PlainText);
    if (markup) {
        setText(caption);
        return;
    }
    // CR LF breaks lines; a lone CR would otherwise show as a blank.
    QString t = caption;
    t.replace(vbCrLf, QStringLiteral("\n"));
    setText(t);
}

void Label::SetForeColor(const QColor& c)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, c);
    setPalette(p);
}

void Label::mousePressEvent(QMouseEvent* e)
{
    click.Press(e);
    QLabel::mousePressEvent(e);
}

void Label::mouseReleaseEvent(QMouseEvent* e)
{
    const bool clicked = click.Release(e, rect());
    QLabel::mouseReleaseEvent(e);
    if (clicked) {
        // The click is this label's own: the container beneath must not take it as well.
        e->accept();
        emit Click(Index());
    }
}

QString MarkupRun(const QString& text, const QColor& foreColor, bool underline)
{
    QString style;
    if (foreColor.isValid())
        style += QStringLiteral("color:%1;").arg(foreColor.name());
    if (underline)
        style += QStringLiteral("text-decoration:underline;");
    QString body = text.toHtmlEscaped();
    body.replace(vbCrLf, QStringLiteral("<br>"));
    body.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    if (style.isEmpty())
        return body;
    return QStringLiteral("<span style=\"%1\">%2</span>").arg(style, body);
}

// ---------------------------------------------------------------------------------------------
Slider::Slider(QWidget* container, int left, int top, int width, int height)
    : RangeControl<QSlider>(container, left, top, width, height)
{
    setOrientation(Qt::Horizontal);
}

ProgressBar::ProgressBar(QWidget* container, int left, int top, int width, int height)
    : RangeControl<QProgressBar>(container, left, top, width, height)
{
    setTextVisible(false);
}

// ---------------------------------------------------------------------------------------------
PictureBox::PictureBox(QWidget* container, int left, int top, int width, int height)
    : ControlOf<QLabel>(container, left, top, width, height)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBox::SetPicture(const QPixmap& p)
{
    picture = p;
    render();
}

void PictureBox::SetStretch(bool on)
{
    stretch = on;
    render();
}

void PictureBox::SetBackColor(const QColor& c)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, c);
    setPalette(p);
    setAutoFillBackground(true);
}

void PictureBox::render()
{
    if (picture.isNull()) {
        clear();
        return;
    }
    setPixmap(stretch ? picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : picture);
}

void PictureBox::resizeEvent(QResizeEvent* e)
{
    QLabel::resizeEvent(e);
    if (stretch)
        render();
}

void PictureBox::mousePressEvent(QMouseEvent* e)
{
    click.Press(e);
    QLabel::mousePressEvent(e);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e)
{
    const bool clicked = click.Release(e, rect());
    QLabel::mouseReleaseEvent(e);
    if (clicked) {
        // The click is this picture's own: the container beneath must not take it as well.
        e->accept();
        emit Click(Index());
    }
}

} // namespace vb
