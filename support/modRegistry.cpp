#include "support/modRegistry.h"

#include "platform/Registry.h"

#include <QByteArray>

namespace {

const QString SaveSucceeded = QStringLiteral("Success");
const QString SaveFailed = QStringLiteral("No! Failed to save Value");
constexpr uint32_t DWordSize = 4;

struct ValueToSave {
    QString strName;
    uint32_t lngType;
    QByteArray bytData;
};

// Opens or creates the key, writes the values (several in one transaction) and closes the key. A
// key created stays even when the writes fail. A failed write counts as a failure even when the
// key closes cleanly: the caller must not be told a lost setting was saved.
QString SaveValues(int32_t plngHKey, const QString& pstrPath, const std::vector<ValueToSave>& pvalues)
{
    HKEY lngKey = 0;
    // A key that could not be made has nothing to write into; the store is not asked (and waited
    // for) again.
    if (RegCreateKeyA(plngHKey, pstrPath.toUtf8(), &lngKey) != ERROR_SUCCESS)
        return SaveFailed;
    const int32_t lngWritten = RegistryTransaction([&]() -> int32_t {
        for (const ValueToSave& value : pvalues)
            if (const int32_t lngResult = RegSetValueExA(lngKey, value.strName.toUtf8(), 0, value.lngType,
                                                         value.bytData.constData(),
                                                         static_cast<uint32_t>(value.bytData.size())))
                return lngResult;
        return ERROR_SUCCESS;
    });
    const int32_t lngClosed = RegCloseKey(lngKey);
    return lngWritten == ERROR_SUCCESS && lngClosed == ERROR_SUCCESS ? SaveSucceeded : SaveFailed;
}

// A number as a REG_DWORD stores it: least significant byte first.
QByteArray DWordBytes(int32_t plngData)
{
    const uint32_t lngBits = static_cast<uint32_t>(plngData);
    const char bytData[DWordSize] = {static_cast<char>(lngBits & 0xFF), static_cast<char>(lngBits >> 8 & 0xFF),
                                     static_cast<char>(lngBits >> 16 & 0xFF), static_cast<char>(lngBits >> 24 & 0xFF)};
    return QByteArray(bytData, DWordSize);
}

} // namespace

int32_t GetRegDWord(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, int32_t plngDefault)
{
    HKEY lngKey = 0;
    // A key that cannot be opened leaves the handle empty and the query below fails.
    RegOpenKeyA(plngHKey, pstrPath.toUtf8(), &lngKey);
    unsigned char bytData[DWordSize] = {0, 0, 0, 0};
    uint32_t lngSize = DWordSize;
    uint32_t lngType = REG_NONE;
    const int32_t lngResult = RegQueryValueExA(lngKey, pstrValue.toUtf8(), nullptr, &lngType, bytData, &lngSize);
    RegCloseKey(lngKey);
    // A shorter value would read as a number made up of its bytes and zeros.
    if (lngResult != ERROR_SUCCESS || lngType != REG_DWORD || lngSize != DWordSize)
        return plngDefault;
    // Stored least significant byte first.
    return static_cast<int32_t>(static_cast<uint32_t>(bytData[0]) | static_cast<uint32_t>(bytData[1]) << 8 |
                                static_cast<uint32_t>(bytData[2]) << 16 | static_cast<uint32_t>(bytData[3]) << 24);
}

QString SaveRegDWord(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, int32_t plngData)
{
    return SaveValues(plngHKey, pstrPath, {{pstrValue, REG_DWORD, DWordBytes(plngData)}});
}

QString SaveRegDWords(int32_t plngHKey, const QString& pstrPath, const std::vector<std::pair<QString, int32_t>>& pvalues)
{
    std::vector<ValueToSave> values;
    values.reserve(pvalues.size());
    for (const auto& [strName, lngData] : pvalues)
        values.push_back({strName, REG_DWORD, DWordBytes(lngData)});
    return SaveValues(plngHKey, pstrPath, values);
}

QString GetRegString(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, const QString& pstrDefault)
{
    HKEY lngKey = 0;
    RegOpenKeyA(plngHKey, pstrPath.toUtf8(), &lngKey);
    const QByteArray strName = pstrValue.toUtf8();
    uint32_t lngType = REG_NONE;
    uint32_t lngSize = 0;
    bool blnFound = false;
    QByteArray strBuffer;
    if (RegQueryValueExA(lngKey, strName, nullptr, &lngType, nullptr, &lngSize) == ERROR_SUCCESS &&
        lngType == REG_SZ) {
        strBuffer = QByteArray(static_cast<qsizetype>(lngSize), ' ');
        blnFound = RegQueryValueExA(lngKey, strName, nullptr, &lngType, strBuffer.data(), &lngSize) == ERROR_SUCCESS;
    }
    RegCloseKey(lngKey);
    if (!blnFound)
        return pstrDefault;
    const qsizetype lngNul = strBuffer.indexOf('\0');
    return QString::fromUtf8(lngNul < 0 ? strBuffer : strBuffer.left(lngNul));
}

QString SaveRegString(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, const QString& pstrData)
{
    // The text's own bytes, without a terminating NUL.
    return SaveValues(plngHKey, pstrPath, {{pstrValue, REG_SZ, pstrData.toUtf8()}});
}
