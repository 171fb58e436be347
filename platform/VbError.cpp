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

namespace {

struct StandardError {
    ErrNumber number;
    const char16_t* description;
};

constexpr StandardError kStandardErrors[] = {
    {errInvalidCall, u"Invalid procedure call or argument"},
    {errOverflow, u"Overflow"},
    {errOutOfMemory, u"Out of memory"},
    {errSubscript, u"Subscript out of range"},
    {errTypeMismatch, u"Type mismatch"},
    {errBadFileName, u"Bad file name or number"},
    {errFileNotFound, u"File not found"},
    {errBadRecordLength, u"Bad record length"},
    {errInputPastEnd, u"Input past end of file"},
    {errPathFileAccess, u"Path/File access error"},
    {errObjectNotSet, u"Object variable or With block variable not set"},
    {errInvalidPropertyValue, u"Invalid property value"},
    {errNotSupported, u"Object doesn't support this property or method"},
    {errListIndexOutOfBounds, u"Index out of bounds"},
    {errListElementNotFound, u"Element not found"},
    {errListKeyNotUnique, u"Key is not unique in collection"},
};

} // namespace

QString StandardDescription(int32_t number)
{
    for (const StandardError& e : kStandardErrors)
        if (e.number == number)
            return QString::fromUtf16(e.description);
    return {};
}

void Raise(int32_t number, const QString& description, const QString& source)
{
    throw VbError(number, description, source);
}

namespace {
VbError WithDetail(int32_t number, const QString& detail)
{
    return VbError(number, StandardDescription(number) + QStringLiteral(" (") + detail + QLatin1Char(')'));
}
} // namespace

void RaiseWithDetail(int32_t number, const QString& detail) { throw WithDetail(number, detail); }

VbError CurrentError()
{
    try {
        throw;
    } catch (const VbError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return VbError(errOutOfMemory);
    } catch (const std::out_of_range& e) {
        return WithDetail(errSubscript, QString::fromLocal8Bit(e.what()));
    } catch (const std::overflow_error& e) {
        return WithDetail(errOverflow, QString::fromLocal8Bit(e.what()));
    } catch (const std::bad_cast& e) {
        return WithDetail(errTypeMismatch, QString::fromLocal8Bit(e.what()));
    } catch (const std::invalid_argument& e) {
        return WithDetail(errInvalidCall, QString::fromLocal8Bit(e.what()));
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
