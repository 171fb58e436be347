#pragma once
// Run-time errors as the program's procedures raise and trap them: a number, a description and a
// source. Every procedure that traps its own errors catches everything and turns it into one of
// these through CurrentError(), then hands it to the one error-report path.
#include <QString>
#include <cstdint>
#include <exception>
#include <string>

namespace vb {

// Every run-time error number the program raises. Each has its standard description
// (StandardDescription), which a raise without a description of its own carries.
enum ErrNumber : int32_t {
    errInvalidCall = 5,
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscript = 9,
    errTypeMismatch = 13,
    errBadFileName = 52,
    errFileNotFound = 53,
    errBadRecordLength = 59,
    errInputPastEnd = 62,
    errPathFileAccess = 75,
    errObjectNotSet = 91,
    errInvalidPropertyValue = 380,
    errNotSupported = 438,
    // The list view's collections.
    errListIndexOutOfBounds = 35600,
    errListElementNotFound = 35601,
    errListKeyNotUnique = 35602,
};

class VbError : public std::exception {
public:
    VbError(int32_t number, QString description = {}, QString source = {});
    int32_t Number;
    QString Description;
    QString Source;
    const char* what() const noexcept override { return whatText.c_str(); }

private:
    std::string whatText;
};

// The standard description of a run-time error number ("Overflow" for 6); empty when unknown.
QString StandardDescription(int32_t number);

[[noreturn]] void Raise(int32_t number, const QString& description = {}, const QString& source = {});
// Raises `number` with its standard description followed by a detail in brackets:
// "Path/File access error (Permission denied)".
[[noreturn]] void RaiseWithDetail(int32_t number, const QString& detail);

// Call only inside a catch block: the exception in flight as a run-time error.
// Standard library exceptions become the nearest run-time error (bad_alloc 7, out_of_range 9, ...).
VbError CurrentError();

// Counters that the program checks: an addition that leaves the type's range raises error 6.
int32_t CheckedAdd(int32_t a, int32_t b);
int16_t CheckedAdd16(int16_t a, int16_t b);

// A fraction to a 32-bit whole number as the language converts it: an exact half to the even
// neighbour; a result outside the type's range raises error 6.
int32_t CLng(double value);

} // namespace vb
