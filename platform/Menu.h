#pragma once
// A window's menu as its code sees it: named entries in a fixed order, each with a caption ("-"
// draws a separator line), an enabled and a visible state and a Click event; and the pop-up menu,
// shown at the mouse pointer, which raises the chosen entry's Click once the menu has gone, so a
// command that opens a modal window runs outside the menu's own event loop.
// Tests replace the real pop-up through SetPopupMenuHandler to see what would be shown and to
// choose an entry.
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace vb {

class MenuItem : public QObject {
    Q_OBJECT
public:
    MenuItem(const QString& name, const QString& caption, QObject* parent);

    QString Name() const { return objectName(); }
    QString Caption() const { return caption; }
    void SetCaption(const QString& text) { caption = text; }
    // A caption of "-" makes the entry a separator line, which is never chosen.
    bool IsSeparator() const { return caption == QStringLiteral("-"); }
    bool Enabled() const { return enabled; }
    void SetEnabled(bool on) { enabled = on; }
    bool Visible() const { return visible; }
    void SetVisible(bool on) { visible = on; }

signals:
    void Click();

private:
    QString caption;
    bool enabled = true;
    bool visible = true;
};

// A menu of the window `owner`, which the pop-up stands over.
class Menu : public QObject {
    Q_OBJECT
public:
    Menu(const QString& name, const QString& caption, QWidget* owner);

    QString Name() const { return objectName(); }
    QString Caption() const { return caption; }
    QWidget* Owner() const { return owner; }

    // Appends an entry; the menu owns it.
    MenuItem* Add(const QString& name, const QString& caption);
    // The entries in the order they were added.
    const std::vector<MenuItem*>& Items() const { return items; }
    // The entry of that name; null when there is none.
    MenuItem* Item(const QString& name) const;

private:
    QString caption;
    QWidget* owner;
    std::vector<MenuItem*> items;
};

// Flags of PopupMenu: where the menu stands against the pointer, and which mouse buttons choose
// an entry (the left one always; the right one too with vbPopupMenuRightButton).
enum PopupMenuFlags : int {
    vbPopupMenuLeftAlign = 0,
    vbPopupMenuLeftButton = 0,
    vbPopupMenuRightButton = 2,
    vbPopupMenuCenterAlign = 4,
    vbPopupMenuRightAlign = 8,
};

struct PopupMenuCall {
    Menu* menu = nullptr;
    int flags = 0;
    QPoint at;                          // the mouse pointer, screen pixels
    MenuItem* defaultItem = nullptr;    // shown in bold; null for none
};

// Returns the chosen entry, or null when the menu was dismissed.
using PopupMenuHandler = std::function<MenuItem*(const PopupMenuCall&)>;

// Shows the visible entries of `menu` at the mouse pointer and returns when the menu has closed;
// then raises the chosen entry's Click. A disabled entry or a separator is never chosen.
void PopupMenu(Menu& menu, int flags = vbPopupMenuLeftAlign, MenuItem* defaultItem = nullptr);

// Installs a replacement for the real pop-up; an empty handler restores it. Returns the previous one.
PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler);

} // namespace vb
