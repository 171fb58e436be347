#pragma once
// The program's name and version, as every window and the error report show them.
#include "Version.h"

#include <QString>

namespace app {

inline QString ProductName() { return QStringLiteral("Quorvane"); }
// The program's title: the product name.
inline QString Title() { return ProductName(); }
inline int Major() { return VersionMajor; }
inline int Minor() { return VersionMinor; }
// The build number: the version's revision, a 16-bit value widened with its sign.
inline int Revision() { return static_cast<int16_t>(VersionRevision); }

} // namespace app
