#include "platform/Form.h"

#include "platform/Controls.h"
#include "platform/Keys.h"
#include "platform/PictureBox.h"
#include "platform/Screen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <algorithm>

namespace vb {

namespace {
std::vector<Form*>& formList()
{
    static std::vector<Form*> list;
    return list;
}

Form* lastActiveForm = nullptr;

std::function<void()>& lastFormUnloaded()
{
    static std::function<void()> f;
    return f;
}
} // namespace

const std::vector<Form*>& Forms() { return formList(); }

void OnLastFormUnloaded(std::function<void()> action) { lastFormUnloaded() = std::move(action); }

// One application-wide filter gives each window the first look at the keys typed into it.
class KeyRouter : public QObject {
public:
    static void ensureInstalled()
    {
        static KeyRouter* router = nullptr;
        if (!router && qApp) {
            router = new KeyRouter(qApp);
            qApp->installEventFilter(router);
        }
    }

protected:
    explicit KeyRouter(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* obj, QEvent* ev) override
    {
        if (ev->type() != QEvent::KeyPress && ev->type() != QEvent::KeyRelease)
            return false;
        auto* w = qobject_cast<QWidget*>(obj);
        if (!w)
            return false;
        // A key event travels from the focused widget up through its parents; act on its first stop only.
        QWidget* focus = QApplication::focusWidget();
        if (focus ? w != focus : !w->isWindow())
            return false;
        auto* form = qobject_cast<Form*>(w->window());
        if (!form)
            return false;
        return form->routeKey(static_cast<QKeyEvent*>(ev));
    }
};

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window)
{
    KeyRouter::ensureInstalled();
}

Form::~Form()
{
    auto& list = formList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (lastActiveForm == this)
        lastActiveForm = nullptr;
    if (modalLoop)
        modalLoop->quit();
}

void Form::Load()
{
    if (loaded)
        return;
    loaded = true;
    formList().push_back(this);
    Form_Load();
}

void Form::Show(bool modal)
{
    Load();
    if (!loaded) // the load itself may have unloaded the window
        return;
    if (modal) {
        setWindowModality(Qt::ApplicationModal);
        show();
        bringToFront();
        QEventLoop loop;
        modalLoop = &loop;
        loop.exec();
        modalLoop = nullptr;
        setWindowModality(Qt::NonModal);
    } else {
        show();
        bringToFront();
    }
}

void Form::bringToFront()
{
    // The headless platform used by the tests cannot raise windows and says so on every call.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    activateWindow();
}

void Form::Hide()
{
    hide();
    if (modalLoop)
        modalLoop->quit();
}

bool Form::Unload(int mode)
{
    if (!loaded || unloading)
        return !loaded;
    unloading = true;
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (!cancel)
        Form_Unload(cancel);
    if (cancel) {
        unloading = false;
        return false;
    }
    loaded = false;
    activatedOnce = false;
    auto& list = formList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (lastActiveForm == this)
        lastActiveForm = nullptr;
    hide();
    if (modalLoop)
        modalLoop->quit();
    unloading = false;
    emit Unloaded();
    if (DeleteOnUnload)
        deleteLater();
    if (formList().empty() && lastFormUnloaded())
        lastFormUnloaded()();
    return true;
}

void Form::closeEvent(QCloseEvent* e)
{
    // The close box and the window manager's close go through the same unload as code does.
    e->ignore();
    if (!loaded) {
        e->accept();
        return;
    }
    Unload(vbFormControlMenu);
}

void Form::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && loaded) {
        // Activation counts only when the active window changes within the program.
        if (lastActiveForm != this) {
            lastActiveForm = this;
            activatedOnce = true;
            Form_Activate();
        }
    }
}

void Form::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (loaded)
        Form_Resize();
}

bool Form::routeKey(QKeyEvent* e)
{
    if (e->type() == QEvent::KeyRelease)
        return KeyPreview && previewKeyUp(e);
    if (KeyPreview && previewKeyDown(e))
        return true;
    // Enter and Esc with Ctrl or Alt are other keys.
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        return routeEnter();
    if (e->key() == Qt::Key_Escape)
        return clickIfActive(CancelButton);
    return false;
}

bool Form::previewKeyUp(QKeyEvent* e)
{
    int code = VirtualKeyOf(e);
    Form_KeyUp(code, ShiftMaskFromQt(e->modifiers()));
    return code == 0;
}

bool Form::previewKeyDown(QKeyEvent* e)
{
    int code = VirtualKeyOf(e);
    Form_KeyDown(code, ShiftMaskFromQt(e->modifiers()));
    if (code == 0)
        return true;
    int ascii = KeyAsciiOf(e);
    if (!ascii || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    Form_KeyPress(ascii);
    return ascii == 0;
}

bool Form::routeEnter()
{
    QWidget* focus = QApplication::focusWidget();
    // A focused button takes Enter itself; a multi-line edit keeps it for its new line.
    if (auto* b = qobject_cast<QPushButton*>(focus)) {
        if (b->isEnabled())
            b->click();
        return true;
    }
    auto* pte = qobject_cast<QPlainTextEdit*>(focus);
    auto* te = qobject_cast<QTextEdit*>(focus);
    if ((pte && !pte->isReadOnly()) || (te && !te->isReadOnly()))
        return false;
    return clickIfActive(DefaultButton);
}

bool Form::clickIfActive(QWidget* button)
{
    auto* b = qobject_cast<QAbstractButton*>(button);
    if (!b || !b->isEnabled() || !b->isVisible())
        return false;
    b->click();
    return true;
}

int Form::Left() const { return PixelsToTwipsX(frameGeometry().x()); }
int Form::Top() const { return PixelsToTwipsY(frameGeometry().y()); }
int Form::Width() const { return PixelsToTwipsX(frameGeometry().width()); }
int Form::Height() const { return PixelsToTwipsY(frameGeometry().height()); }
void Form::SetLeft(int twips) { Move(twips, Top()); }
void Form::SetTop(int twips) { Move(Left(), twips); }
void Form::SetWidth(int twips) { Move(Left(), Top(), twips, Height()); }
void Form::SetHeight(int twips) { Move(Left(), Top(), Width(), twips); }

void Form::Move(int left, int top, int width, int height)
{
    move(TwipsToPixelsX(left), TwipsToPixelsY(top));
    if (width >= 0 || height >= 0) {
        // Outer size: take off what the window frame adds around the client area.
        const int extraW = frameGeometry().width() - geometry().width();
        const int extraH = frameGeometry().height() - geometry().height();
        const int w = width >= 0 ? TwipsToPixelsX(width) - extraW : geometry().width();
        const int h = height >= 0 ? TwipsToPixelsY(height) - extraH : geometry().height();
        resize(std::max(w, 1), std::max(h, 1));
        wantedOuterPx = (extraW == 0 && extraH == 0) ? QSize(w, h) : QSize();
        // A side not given keeps its client size: the frame is added to it, not taken off.
        wantedOuterSides = {};
        if (width >= 0)
            wantedOuterSides |= Qt::Horizontal;
        if (height >= 0)
            wantedOuterSides |= Qt::Vertical;
    }
}

bool Form::event(QEvent* e)
{
    // Decided before handling: a deferred delete ends this object inside QWidget::event.
    const QEvent::Type type = e->type();
    const bool placing = type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show;
    const bool handled = QWidget::event(e);
    if (placing && wantedOuterPx.isValid())
        fitWantedOuterSize();
    return handled;
}

void Form::fitWantedOuterSize()
{
    // The window manager adds its frame only after the window is shown; until then an outer size
    // can only be set as the client size. Take the frame off as soon as it is known, once.
    if (!isVisible() || WindowState() != vbNormal)
        return;
    const int extraW = frameGeometry().width() - geometry().width();
    const int extraH = frameGeometry().height() - geometry().height();
    if (extraW == 0 && extraH == 0)
        return;
    const QSize wanted = wantedOuterPx;
    wantedOuterPx = QSize();
    if (size() == wanted) {
        const int w = wantedOuterSides & Qt::Horizontal ? wanted.width() - extraW : wanted.width();
        const int h = wantedOuterSides & Qt::Vertical ? wanted.height() - extraH : wanted.height();
        resize(std::max(w, 1), std::max(h, 1));
    }
}

int Form::ScaleWidth() const { return PixelsToTwipsX(width()); }
int Form::ScaleHeight() const { return PixelsToTwipsY(height()); }

void Form::SetClientSizeTwips(int w, int h) { resize(TwipsToPixelsX(w), TwipsToPixelsY(h)); }

void Form::ApplyLayout(const FormLayout& layout)
{
    setFont(UiFont(9));
    if (layout.icon)
        setWindowIcon(SvgIcon(QString::fromLatin1(layout.icon)));
    SetClientSizeTwips(layout.clientWidthTwips, layout.clientHeightTwips);
}

int Form::WindowState() const
{
    if (isMinimized())
        return vbMinimized;
    if (isMaximized())
        return vbMaximized;
    return vbNormal;
}

void Form::SetWindowState(int state)
{
    Qt::WindowStates s = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state == vbMinimized)
        s |= Qt::WindowMinimized;
    else if (state == vbMaximized)
        s |= Qt::WindowMaximized;
    setWindowState(s);
}

} // namespace vb
