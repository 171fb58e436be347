#include "platform/Environment.h"

#include <cstring>

extern char** environ;

namespace {

constexpr char VariableMark = '%';

QByteArray EnvironmentValue(const QByteArray& name, bool* found)
{
    if (qEnvironmentVariableIsSet(name.constData())) {
        *found = true;
        return qgetenv(name.constData());
    }
    const QByteArray wanted = name.toLower();
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* eq = std::strchr(*entry, '=');
        if (!eq)
            continue;
        if (QByteArray(*entry, eq - *entry).toLower() == wanted) {
            *found = true;
            return QByteArray(eq + 1);
        }
    }
    *found = false;
    return {};
}

QByteArray Expand(const QByteArray& src)
{
    // Whatever follows a zero byte is not part of the text.
    const QByteArray text(src.constData());
    QByteArray out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(VariableMark, i);
        if (open < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, open - i);
        const qsizetype close = text.indexOf(VariableMark, open + 1);
        if (close < 0) {
            out += text.mid(open);
            break;
        }
        const QByteArray name = text.mid(open + 1, close - open - 1);
        bool found = false;
        const QByteArray value = name.isEmpty() ? QByteArray() : EnvironmentValue(name, &found);
        if (found) {
            out += value;
            i = close + 1;
        } else {
            // Not a variable: keep the first '%' and let the second start the next one.
            out += VariableMark;
            out += name;
            i = close;
        }
    }
    return out;
}

} // namespace

uint32_t ExpandEnvironmentStringsA(const QByteArray& src, char* dst, uint32_t nSize)
{
    const QByteArray out = Expand(src);
    const uint32_t needed = static_cast<uint32_t>(out.size()) + 1;
    if (dst && nSize >= needed) {
        std::memcpy(dst, out.constData(), out.size());
        dst[out.size()] = '\0';
    }
    return needed;
}

QString ExpandEnvironmentStrings(const QString& text)
{
    return QString::fromUtf8(Expand(text.toUtf8()));
}
