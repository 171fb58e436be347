#include "platform/MsgBox.h"

#include "platform/AppInfo.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vb {

namespace {
MsgBoxHandler& handlerSlot()
{
    static MsgBoxHandler h;
    return h;
}

int realBox(const MsgBoxCall& call)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(call.Title);
    box.setText(call.Prompt);
    switch (call.Buttons & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    switch (call.Buttons & 0x0F) {
    case vbOKCancel:
        ok = box.addButton(QMessageBox::Ok);
        cancel = box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(ok);
        break;
    case vbYesNoCancel:
        yes = box.addButton(QMessageBox::Yes);
        no = box.addButton(QMessageBox::No);
        cancel = box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(yes);
        break;
    case vbYesNo:
        yes = box.addButton(QMessageBox::Yes);
        no = box.addButton(QMessageBox::No);
        box.setDefaultButton(yes);
        break;
    default:
        ok = box.addButton(QMessageBox::Ok);
        box.setDefaultButton(ok);
        break;
    }
    if (cancel)
        box.setEscapeButton(cancel);
    else if (no)
        box.setEscapeButton(no);
    else
        box.setEscapeButton(ok);
    box.exec();
    auto* clicked = box.clickedButton();
    if (clicked == yes && yes) return vbYes;
    if (clicked == no && no) return vbNo;
    if (clicked == cancel && cancel) return vbCancel;
    if (clicked == ok && ok) return vbOK;
    // Closed without a button: the escape answer, as the window system gives it.
    if (cancel) return vbCancel;
    if (no) return vbNo;
    return vbOK;
}
} // namespace

int MsgBox(const QString& prompt, int buttons, const QString& title)
{
    MsgBoxCall call{prompt, buttons, title.isEmpty() ? app::ProductName() : title};
    if (auto& h = handlerSlot())
        return h(call);
    return realBox(call);
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler)
{
    MsgBoxHandler previous = std::move(handlerSlot());
    handlerSlot() = std::move(handler);
    return previous;
}

} // namespace vb
