#pragma once
// The language's text functions that the program relies on.
#include <QString>

namespace vb {

// Leading and trailing blanks off, and nothing else: tabs and line breaks at either end stay.
QString Trim(const QString& text);

} // namespace vb
