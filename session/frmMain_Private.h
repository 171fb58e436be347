#pragma once
// What the main window's units (life and step machine, display, layout, position, input) share and
// nothing else needs.
#include <QColor>
#include <QString>
#include <cstdint>

namespace frmmain {

inline const QString kModule = QStringLiteral("frmMain");

// Design of the window's client area, twips.
constexpr int kDesignWidth = 17280;
constexpr int kDesignHeight = 10995;

// The elapsed-time label's designed width, twips: room for "mm:ss".
constexpr int kTimeLabelWidth = 735;

// Dot colours: green for a positive round and the karate-chop steps, red for a negative round.
inline const QColor kDotGreen(0, 255, 0);
inline const QColor kDotRed(255, 0, 0);

} // namespace frmmain
