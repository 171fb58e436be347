#pragma once
// The control set the program's windows are built from: push buttons, option buttons, flat edit
// boxes, labels, a slider and a progress bar, plus the plain picture box that holds them. Every
// control is placed in its container by left, top, width and height in twips and reads them back
// in twips exactly as set; pixels come from platform/Screen.h only.
#include "platform/Click.h"
#include "platform/WindowStyle.h"

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QString>
#include <functional>
#include <map>

class QLineEdit;
class QPlainTextEdit;
class QKeyEvent;

namespace vb {

// The desktop's default sans-serif face at the point size a layout names for Segoe UI.
QFont UiFont(double pointSize = 9.0, bool bold = false);

// Twips geometry, enabled/visible states, tooltip, focus, Tag and control-array index shared by
// every control. Left and Top are relative to the container.
template <class W>
class ControlOf : public W {
public:
    ControlOf(QWidget* container, int left, int top, int width, int height) : W(container)
    {
        Move(left, top, width, height);
        W::setVisible(true);
    }

    int Left() const { return leftTwips; }
    int Top() const { return topTwips; }
    int Width() const { return widthTwips; }
    int Height() const { return heightTwips; }
    void SetLeft(int twips) { Move(twips, topTwips); }
    void SetTop(int twips) { Move(leftTwips, twips); }
    void SetWidth(int twips) { Move(leftTwips, topTwips, twips, heightTwips); }
    void SetHeight(int twips) { Move(leftTwips, topTwips, widthTwips, twips); }
    // A negative width or height keeps the current one.
    void Move(int left, int top, int width = -1, int height = -1)
    {
        leftTwips = left;
        topTwips = top;
        if (width >= 0)
            widthTwips = width;
        if (height >= 0)
            heightTwips = height;
        applyGeometry();
    }

    bool Enabled() const { return W::isEnabled(); }
    void SetEnabled(bool on) { W::setEnabled(on); }
    // The control's own flag, whether or not its window is on screen.
    bool Visible() const { return !W::isHidden(); }
    void SetVisible(bool on) { W::setVisible(on); }
    QString ToolTipText() const { return W::toolTip(); }
    void SetToolTipText(const QString& text) { W::setToolTip(text); }
    void SetFocus() { W::setFocus(Qt::OtherFocusReason); }

    QString Tag;
    // Index in its control array; -1 for a control that stands alone.
    int Index() const { return index; }
    void SetIndex(int i) { index = i; }

protected:
    void applyGeometry();

private:
    int leftTwips = 0, topTwips = 0, widthTwips = 0, heightTwips = 0;
    int index = -1;
};

// Defined in Controls.cpp so that only it converts twips.
QRect ControlGeometryPixels(int left, int top, int width, int height);

template <class W>
void ControlOf<W>::applyGeometry()
{
    W::setGeometry(ControlGeometryPixels(leftTwips, topTwips, widthTwips, heightTwips));
}

// A command button. "&Next" makes Alt+N click it at once, as a mouse click does; a focused button
// takes Enter and Space.
class PushButton : public ControlOf<QPushButton> {
    Q_OBJECT
public:
    PushButton(QWidget* container, int left, int top, int width, int height, const QString& caption = {});

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    // A picture shown in place of the caption; a null picture brings the caption back.
    void SetPicture(const QPixmap& picture);
    void SetPicture(const QIcon& picture);
    bool HasPicture() const { return hasPicture; }

    // The window's default (Enter) and cancel (Esc) button; sets the owning window's pointer.
    bool Default() const;
    void SetDefault(bool on);
    bool Cancel() const;
    void SetCancel(bool on);

signals:
    void Click(int Index);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void fitPicture();
    bool hasPicture = false;
    QString savedCaption;
};

// An option button. The options of one container exclude each other.
class RadioButton : public ControlOf<QRadioButton> {
    Q_OBJECT
public:
    RadioButton(QWidget* container, int left, int top, int width, int height, const QString& caption = {});

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    bool Value() const { return isChecked(); }
    // True selects this option, clears the others of its container and raises Click (also when
    // it was already selected). False only clears it.
    void SetValue(bool on);

signals:
    // Raised when the option becomes selected, by the user or by SetValue(true).
    void Click(int Index);

protected:
    // The whole control takes the click, not only its circle and caption.
    bool hitButton(const QPoint& pos) const override;

private:
    bool settingValue = false;
};

// A flat edit box, single- or multi-line (chosen when it is created). Text read from a multi-line
// box has CR LF line breaks, as the program writes them.
class FlatEdit : public ControlOf<QFrame> {
    Q_OBJECT
public:
    // Style flags that change what typing does (the window-style bits of an edit box).

    FlatEdit(QWidget* container, int left, int top, int width, int height, bool multiLine = false);

    QString Text() const;
    void SetText(const QString& text);
    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    QString SelText() const;

    // 0 shows the text; any other character code masks every typed character with it.
    int PasswordChar() const { return passwordChar; }
    void SetPasswordChar(int charCode);
    // Most characters the box takes; 0 for no limit.
    int MaxLength() const { return maxLength; }
    void SetMaxLength(int length);
    bool MultiLine() const { return multiLine; }
    bool Locked() const;
    void SetLocked(bool locked);
    // ES_UPPERCASE / ES_LOWERCASE (WindowStyle.h) turn typed letters into that case.
    int WindowStyle() const { return styleBits; }
    void SetWindowStyle(int bits) { styleBits = bits; }

    // The editing widget itself (for focus chains and tests).
    QWidget* Editor() const;

signals:
    void GotFocus();
    // KeyAscii by reference: 0 swallows the key, another code replaces the typed character.
    void KeyPress(int& KeyAscii);
    void Change();

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void layoutEditor();
    bool multiLine;
    QLineEdit* line = nullptr;
    QPlainTextEdit* plain = nullptr;
    int passwordChar = 0;
    int maxLength = 0;
    int styleBits = 0;
    bool reentered = false;
};

// A text label. With markup on, the caption is a small rich-text subset: <span style="color:#c00000;
// text-decoration:underline">run</span>, <b>, <i>, <u>, <br>; MarkupRun() builds such runs safely.
class Label : public ControlOf<QLabel> {
    Q_OBJECT
public:
    Label(QWidget* container, int left, int top, int width, int height, const QString& caption = {});

    QString Caption() const { return caption; }
    void SetCaption(const QString& text);
    bool EnableMarkup() const { return markup; }
    void SetEnableMarkup(bool on);
    void SetForeColor(const QColor& c);
    void SetWordWrap(bool on) { setWordWrap(on); }
    void SetAlignment(Qt::Alignment a) { setAlignment(a); }

signals:
    void Click(int Index);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void render();
    QString caption;
    bool markup = false;
    ClickTracker click;
};

// One run of label markup: the text (escaped), in a colour, optionally underlined.
QString MarkupRun(const QString& text, const QColor& foreColor = QColor(), bool underline = false);

// The range and value shared by the slider and the progress bar.
template <class W>
class RangeControl : public ControlOf<W> {
public:
    using ControlOf<W>::ControlOf;
    int Min() const { return W::minimum(); }
    int Max() const { return W::maximum(); }
    int Value() const { return W::value(); }
    void SetMin(int v) { W::setMinimum(v); }
    void SetMax(int v) { W::setMaximum(v); }
    void SetValue(int v) { W::setValue(v); }
};

class Slider : public RangeControl<QSlider> {
    Q_OBJECT
public:
    Slider(QWidget* container, int left, int top, int width, int height);
};

class ProgressBar : public RangeControl<QProgressBar> {
    Q_OBJECT
public:
    ProgressBar(QWidget* container, int left, int top, int width, int height);
};

// The window system's plain picture box: a container with an optional picture (scaled to fit
// when Stretch is set) and a background colour; raises Click. A click on a label, picture box or
// frame is that control's own: it raises Click there and reaches no container beneath.
class PictureBox : public ControlOf<QLabel> {
    Q_OBJECT
public:
    PictureBox(QWidget* container, int left, int top, int width, int height);
    void SetPicture(const QPixmap& picture);
    QPixmap Picture() const { return picture; }
    void SetStretch(bool on);
    void SetBackColor(const QColor& c);

signals:
    void Click(int Index);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void render();
    QPixmap picture;
    bool stretch = false;
    ClickTracker click;
};

// Controls of one kind sharing a name, each reached by its own index (indices may have gaps).
template <class T>
class ControlArray {
public:
    void Add(int index, T* control)
    {
        control->SetIndex(index);
        items[index] = control;
    }
    bool Exists(int index) const { return items.count(index) != 0; }
    // nullptr for an index that is not in the array.
    T* Item(int index) const
    {
        auto it = items.find(index);
        return it == items.end() ? nullptr : it->second;
    }
    T* operator[](int index) const { return Item(index); }
    int Count() const { return static_cast<int>(items.size()); }
    int LBound() const { return items.empty() ? 0 : items.begin()->first; }
    int UBound() const { return items.empty() ? -1 : items.rbegin()->first; }
    // Connects one handler to every member's Click, which carries the member's index.
    template <class F>
    void OnClick(QObject* context, F handler)
    {
        for (auto& [i, c] : items)
            QObject::connect(c, &T::Click, context, handler);
    }
    auto begin() const { return items.begin(); }
    auto end() const { return items.end(); }

private:
    std::map<int, T*> items;
};

} // namespace vb
