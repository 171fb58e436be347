#pragma once
// The program's start-up option: whether the introduction window opens before the main window.
#include <QString>

// Where the option lives under the current user's key.
inline QString OptionsKey() { return QStringLiteral("Software\\Quorvane\\Options"); }

// True exactly when the stored value ShowWhatIsIt is 1; missing, any other value or a store that
// cannot be read gives False (a failed read is reported first).
bool ShowWhatIsItWindow();
