#pragma once
// A window of the program as its procedures see it: a top-level widget with a load/activate/
// resize/unload life, outer geometry in twips, key preview, default and cancel buttons, modal
// showing, and a place in the program-wide list of loaded windows.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QEventLoop;
class QKeyEvent;

namespace vb {

enum WindowStateValue : int { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
enum QueryUnloadMode : int { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbAppTaskManager = 3 };
enum ShiftMask : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// What a window's stored layout fixes for the window itself: its client area in twips and, for a
// window with an icon of its own, that icon (an SVG resource). Without one the window shows the
// program's icon.
struct FormLayout {
    int clientWidthTwips;
    int clientHeightTwips;
    const char* icon = nullptr;
};

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Runs Form_Load once and enters the list of loaded windows.
    void Load();
    bool IsLoaded() const { return loaded; }
    // Shows the window (loading it first); a modal show returns when the window has been hidden or unloaded.
    void Show(bool modal = false);
    void Hide();
    // Form_QueryUnload then Form_Unload; either may cancel. Returns true when the window was unloaded.
    bool Unload(int mode = vbFormCode);

    // Outer geometry in twips.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int twips);
    void SetTop(int twips);
    void SetWidth(int twips);
    void SetHeight(int twips);
    void Move(int left, int top, int width = -1, int height = -1);
    // Client area in twips.
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Sets the client area in twips (layouts are stored as client sizes).
    void SetClientSizeTwips(int width, int height);
    // Sets the window up as its stored layout has it: the 9-point face every window of the program
    // writes in, its own icon where it has one, and its client area.
    void ApplyLayout(const FormLayout& layout);

    int WindowState() const;
    void SetWindowState(int state);

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }

    // The window sees every key before its focused control.
    bool KeyPreview = false;
    // Enter clicks the default button (unless a button has the focus); Esc clicks the cancel button.
    QWidget* DefaultButton = nullptr;
    QWidget* CancelButton = nullptr;
    // Delete the object once it has unloaded (windows reached through a program-wide reference).
    bool DeleteOnUnload = false;

    bool IsActivatedOnce() const { return activatedOnce; }

signals:
    // Raised once an unload has gone through (not when it was cancelled).
    void Unloaded();

protected:
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(int& Cancel, int UnloadMode) { (void)Cancel; (void)UnloadMode; }
    virtual void Form_Unload(int& Cancel) { (void)Cancel; }
    virtual void Form_KeyDown(int& KeyCode, int Shift) { (void)KeyCode; (void)Shift; }
    virtual void Form_KeyPress(int& KeyAscii) { (void)KeyAscii; }
    virtual void Form_KeyUp(int& KeyCode, int Shift) { (void)KeyCode; (void)Shift; }

    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

private:
    void fitWantedOuterSize();
    // An outer size asked for before the window system told the frame's size; applied once it does.
    QSize wantedOuterPx;
    Qt::Orientations wantedOuterSides; // the sides of it that were given as outer sizes
    friend class KeyRouter;
    // A key typed into the window: the window's key handlers first (with key preview), then Enter
    // and Esc for its buttons. True when the key is used up.
    bool routeKey(QKeyEvent* e);
    bool previewKeyUp(QKeyEvent* e);
    bool previewKeyDown(QKeyEvent* e);
    bool routeEnter();
    static bool clickIfActive(QWidget* button);
    void bringToFront();
    bool loaded = false;
    bool activatedOnce = false;
    bool unloading = false;
    QEventLoop* modalLoop = nullptr;
};

// Loaded windows in load order; the program unloads them last-first.
const std::vector<Form*>& Forms();

// A program-wide reference to a window: filled by whoever opens the window while it is empty, and
// cleared by the window itself when it unloads (or is destroyed), so that a closed window is built
// afresh on its next opening. The referenced window is deleted once it has unloaded.
template <class T>
class FormRef {
public:
    FormRef() = default;
    ~FormRef() { QObject::disconnect(unloaded); }
    FormRef(const FormRef&) = delete;
    FormRef& operator=(const FormRef&) = delete;

    T* get() const { return window.data(); }
    T* operator->() const { return window.data(); }
    explicit operator bool() const { return !window.isNull(); }

    // The referenced window, made first when the reference is empty.
    T* Get()
    {
        if (window.isNull())
            Set(new T);
        return window.data();
    }
    void Set(T* w)
    {
        QObject::disconnect(unloaded);
        window = w;
        if (!w)
            return;
        w->DeleteOnUnload = true;
        unloaded = QObject::connect(w, &Form::Unloaded, w, [this] { window.clear(); });
    }

private:
    QPointer<T> window;
    QMetaObject::Connection unloaded;
};

// What happens when the last loaded window unloads: the program's entry sets it to end the event
// loop; tests leave it empty so that later windows still run their own loops.
void OnLastFormUnloaded(std::function<void()> action);

} // namespace vb
