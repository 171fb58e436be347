#include "platform/VbError.h"

#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <typeinfo>

namespace vb {

VbError::VbError(int32_t number, QString description, QString source)
    : Number(number), Description(std::move(description)), Source(std::move(source))
{
    if (Description.isEmpty())
        Description = StandardDescription(number);
    whatText = QStringLiteral("Error %1: %2").arg(Number).arg(Description).toStdString();
}

QString StandardDescription(int32_t number)
{
    switch (number) {
    case 3: return QStringLiteral("Return without GoSub");
    case 5: return QStringLiteral("Invalid procedure call or argument");
    case 6: return QStringLiteral("Overflow");
    case 7: return QStringLiteral("Out of memory");
    case 9: return QStringLiteral("Subscript out of range");
    case 11: return QStringLiteral("Division by zero");
    case 13: return QStringLiteral("Type mismatch");
    case 52: return QStringLiteral("Bad file name or number");
    case 53: return QStringLiteral("File not found");
    case 75: return QStringLiteral("Path/File access error");
    case 76: return QStringLiteral("Path not found");
    case 91: return QStringLiteral("Object variable or With block variable not set");
    default: return {};
    }
}

void Raise(int32_t number, const QString& description, const QString& source)
{
    throw VbError(number, description, source);
}

VbError CurrentError()
{
    try {
        throw;
    } catch (const VbError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return VbError(errOutOfMemory);
    } catch (const std::out_of_range& e) {
        return VbError(errSubscript, QStringLiteral("Subscript out of range (%1)").arg(QString::fromLocal8Bit(e.what())));
    } catch (const std::overflow_error& e) {
        return VbError(errOverflow, QStringLiteral("Overflow (%1)").arg(QString::fromLocal8Bit(e.what())));
    } catch (const std::bad_cast& e) {
        return VbError(errTypeMismatch, QStringLiteral("Type mismatch (%1)").arg(QString::fromLocal8Bit(e.what())));
    } catch (const std::invalid_argument& e) {
        return VbError(errInvalidCall, QStringLiteral("Invalid procedure call or argument (%1)").arg(QString::fromLocal8Bit(e.what())));
    } catch (const std::exception& e) {
        return VbError(errInvalidCall, QStringLiteral("Unexpected error: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        return VbError(errInvalidCall, QStringLiteral("Unexpected error of unknown kind"));
    }
}

int32_t CheckedAdd(int32_t a, int32_t b)
{
    int32_t r;
    if (__builtin_add_overflow(a, b, &r))
        Raise(errOverflow);
    return r;
}

int16_t CheckedAdd16(int16_t a, int16_t b)
{
    int16_t r;
    if (__builtin_add_overflow(a, b, &r))
        Raise(errOverflow);
    return r;
}

int32_t CLng(double value)
{
    const double r = std::nearbyint(value);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        Raise(errOverflow);
    return static_cast<int32_t>(r);
}

} // namespace vb
