#pragma once
// The library's general registry object. The caller describes a place in the settings store through
// properties (root key, subkey path, value name, value type, default) and then calls an operation.
// Every operation opens its key, uses it and closes it again before it returns or raises: no handle
// is kept between calls. Failures are raised as run-time errors (vb::VbError) whose source is
// "<executable name>.cRegistry"; the object never shows anything itself.
//
// Error numbers raised:
//   26001                        key not created, not deleted, not opened for delete; value not
//                                deleted; a binary write of something that is not a byte array
//   RegistryErrSetValue          a value write that failed or whose ValueType is not 1 to 5
//   RegistryErrEnumerate         any failure inside EnumerateSections
#include "platform/Registry.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <variant>
#include <vector>

// A byte array as a binary read returns it: the stored bytes and one trailing element 0.
using RegBytes = std::vector<uint8_t>;

// What a value read returns and a write takes: empty, a 16- or 32-bit whole number, a fraction,
// a text (a multi-string keeps its zero characters) or a byte array.
using RegValue = std::variant<std::monostate, int16_t, int32_t, double, QString, RegBytes>;

// The value as text: empty for empty, numbers in decimal, a byte array's bytes read as text.
QString CStr(const RegValue& v);
// The value as a 32-bit whole number: empty is 0, a fraction rounds half to even, a text must hold
// a number; raises 13 (type mismatch) or 6 (overflow) otherwise.
int32_t CLng(const RegValue& v);

inline constexpr int32_t RegistryErrKey = 26001;
inline constexpr int32_t RegistryErrSetValue = static_cast<int32_t>(0x800469A9u);   // -2147194455
inline constexpr int32_t RegistryErrEnumerate = static_cast<int32_t>(0x800469AAu);  // -2147194454

class cRegistry {
public:
    // True when the key opens for reading; never raises.
    bool KeyExists() const;
    // Creates every missing level of SectionKey under ClassKey. True, or raises 26001.
    bool CreateKey();
    // Deletes SectionKey (which must have no subkeys). True, or raises 26001.
    bool DeleteKey();
    // Deletes the value ValueKey. True, or raises 26001.
    bool DeleteValue();

    // Reads ValueKey: a text for REG_SZ and REG_MULTI_SZ (less a final zero byte when there is one),
    // the expanded text for REG_EXPAND_SZ, the number for REG_DWORD, the byte-swapped number for
    // REG_DWORD_BIG_ENDIAN, and for any other type a byte array of the stored bytes plus one
    // trailing 0. A successful read sets ValueType to the stored type; a value or key that cannot be
    // read gives a copy of Default and leaves ValueType alone. Never raises.
    RegValue Value();
    // Reads ValueKey as Value does, except that a REG_EXPAND_SZ text comes back as it was stored,
    // its %NAME% references left as they are.
    RegValue UnexpandedValue();
    // Writes vValue as ValueType says, creating the key first (the key stays even when the write
    // then fails):
    //   REG_SZ, REG_EXPAND_SZ: the text with a terminating zero, stored as REG_EXPAND_SZ when a
    //     "%" is followed later by another "%" with at least one character between them;
    //   REG_BINARY: every element of a byte array, as it is (a read's trailing element included);
    //   REG_DWORD, REG_DWORD_BIG_ENDIAN: a 16- or 32-bit whole number, stored as REG_DWORD in the
    //     machine's byte order; any other value is refused;
    //   any other type: refused.
    // A refused or failed write raises RegistryErrSetValue.
    void setValue(const RegValue& vValue);

    // The value names of the key in the store's order; a key that does not open gives none.
    bool EnumerateValues(QStringList& sKeyNames, int32_t& iKeyCount) const;
    // The subkey names in the store's order, up to the first name longer than 254 bytes.
    bool EnumerateSections(QStringList& sSect, int32_t& iSectCount) const;
    // Registers the program sExePath (quoted in its command) for files ending in "." sAssociation,
    // under HKEY_CLASSES_ROOT, through the current ValueType (set REG_SZ first). Leaves ClassKey,
    // SectionKey and ValueKey as its last write set them. lDefaultIconIndex > -1 also writes the
    // class's "\DefaultIcon".
    void CreateEXEAssociation(const QString& sExePath, const QString& sClassName, const QString& sClassDescription,
                              const QString& sAssociation, int32_t lDefaultIconIndex = -1);

    int32_t ValueType() const { return mlngValueType; }
    void setValueType(int32_t eValueType) { mlngValueType = eValueType; }
    HKEY ClassKey() const { return mlngClassKey; }
    void setClassKey(HKEY eKey) { mlngClassKey = eKey; }
    QString SectionKey() const { return mstrSectionKey; }
    void setSectionKey(const QString& sSectionKey) { mstrSectionKey = sSectionKey; }
    QString ValueKey() const { return mstrValueKey; }
    void setValueKey(const QString& sValueKey) { mstrValueKey = sValueKey; }
    RegValue Default() const { return mvarDefault; }
    void setDefault(const RegValue& vDefault) { mvarDefault = vDefault; }

private:
    static int32_t SwapLongBytes(int32_t lValue);
    static QString ExpandEnvString(const QByteArray& sText);
    RegValue Read(bool expand);
    [[noreturn]] void RaiseError(int32_t number, const QString& description) const;
    QString SetValueMessage(const RegValue& vValue) const;

    HKEY mlngClassKey = 0;
    QString mstrSectionKey;
    QString mstrValueKey;
    RegValue mvarDefault;
    int32_t mlngValueType = 0;
};
