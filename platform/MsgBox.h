#pragma once
// Message boxes with the styles and answers the program uses. Tests replace the real box through
// SetMsgBoxHandler to see what was asked and to answer it.
#include <QString>
#include <functional>

namespace vb {

enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};

enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

struct MsgBoxCall {
    QString Prompt;
    int Buttons = 0;
    QString Title;
};

using MsgBoxHandler = std::function<int(const MsgBoxCall&)>;

// An empty title means the program's title (the product name).
int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = {});

// Installs a replacement for the real box; an empty handler restores it. Returns the previous one.
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);

} // namespace vb
