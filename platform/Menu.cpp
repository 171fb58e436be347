#include "platform/Menu.h"

#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <map>

namespace vb {

MenuItem::MenuItem(const QString& name, const QString& caption_, QObject* parent) : QObject(parent), caption(caption_)
{
    setObjectName(name);
}

Menu::Menu(const QString& name, const QString& caption_, QWidget* owner_)
    : QObject(owner_), caption(caption_), owner(owner_)
{
    setObjectName(name);
}

MenuItem* Menu::Add(const QString& name, const QString& itemCaption)
{
    items.push_back(new MenuItem(name, itemCaption, this));
    return items.back();
}

MenuItem* Menu::Item(const QString& name) const
{
    for (MenuItem* item : items)
        if (item->Name() == name)
            return item;
    return nullptr;
}

namespace {

// Without the right-button flag the right button chooses nothing inside the menu; outside it, it
// still dismisses the menu as any click does.
class LeftButtonOnly : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(e);
            auto* w = qobject_cast<QWidget*>(watched);
            if (me->button() == Qt::RightButton && w && w->rect().contains(me->position().toPoint()))
                return true;
            break;
        }
        default: break;
        }
        return false;
    }
};

MenuItem* realPopup(const PopupMenuCall& call)
{
    QMenu menu(call.menu->Owner());
    std::map<QAction*, MenuItem*> entries;
    for (MenuItem* item : call.menu->Items()) {
        if (!item->Visible())
            continue;
        if (item->IsSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(item->Caption());
        action->setEnabled(item->Enabled());
        entries[action] = item;
        if (item == call.defaultItem)
            menu.setDefaultAction(action);
    }
    if (entries.empty())
        return nullptr;
    LeftButtonOnly leftOnly;
    if (!(call.flags & vbPopupMenuRightButton))
        menu.installEventFilter(&leftOnly);

    QPoint at = call.at;
    const int width = menu.sizeHint().width();
    if (call.flags & vbPopupMenuRightAlign)
        at.rx() -= width;
    else if (call.flags & vbPopupMenuCenterAlign)
        at.rx() -= width / 2;
    QAction* chosen = menu.exec(at);
    const auto it = entries.find(chosen);
    return it == entries.end() ? nullptr : it->second;
}

PopupMenuHandler& handlerSlot()
{
    static PopupMenuHandler h;
    return h;
}

} // namespace

void PopupMenu(Menu& menu, int flags, MenuItem* defaultItem)
{
    PopupMenuCall call;
    call.menu = &menu;
    call.flags = flags;
    call.at = QCursor::pos();
    call.defaultItem = defaultItem;
    const PopupMenuHandler& handler = handlerSlot();
    QPointer<MenuItem> chosen = handler ? handler(call) : realPopup(call);
    // The menu has gone: the command runs outside its loop, and only on an entry that can be chosen.
    if (chosen && chosen->Visible() && chosen->Enabled() && !chosen->IsSeparator())
        emit chosen->Click();
}

PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler)
{
    PopupMenuHandler previous = std::move(handlerSlot());
    handlerSlot() = std::move(handler);
    return previous;
}

} // namespace vb
