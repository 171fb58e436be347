#pragma once
// The language's text functions that the program relies on.
#include <QLatin1StringView>
#include <QString>

namespace vb {

// Carriage return and line feed: the line break of the program's texts.
inline constexpr QLatin1StringView vbCrLf{"\r\n"};

// Leading and trailing blanks off, and nothing else: tabs and line breaks at either end stay.
QString Trim(const QString& text);

} // namespace vb
