#pragma once
// Environment variables inside texts, the way stored paths and commands name them: %NAME%.
#include <QByteArray>
#include <QString>
#include <cstdint>

// Replaces every %NAME% whose variable is set by its value (names matched exactly, else without
// regard to case); text that names no set variable stays as it is, and its closing '%' may open
// the next name. The text ends at its first zero byte. Returns the size needed including the
// terminating zero; writes dst (nSize bytes) only when that fits. 0 on failure.
uint32_t ExpandEnvironmentStringsA(const QByteArray& src, char* dst, uint32_t nSize);

// The same expansion of a text (UTF-8 on the way through), for code that holds QStrings.
QString ExpandEnvironmentStrings(const QString& text);
