// The registry object over the settings store.
#include "support/cRegistry.h"

#include "FreshRegistry.h"
#include "platform/VbError.h"

#include <gtest/gtest.h>

namespace {

const QString Base = QStringLiteral("Software\\Quorvane\\Test");
const QString Source = QStringLiteral("support_cRegistry_test.cRegistry");

template <class Body>
vb::VbError Raised(Body&& body)
{
    try {
        body();
    } catch (const vb::VbError& e) {
        return e;
    }
    ADD_FAILURE() << "nothing was raised";
    return vb::VbError(0);
}

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

class RegistryObject : public FreshRegistry {
protected:
    // An object on Base\<section>, value name "V", of the given type.
    static cRegistry At(const QString& section, int32_t type = 0)
    {
        cRegistry r;
        r.setClassKey(HKEY_CURRENT_USER);
        r.setSectionKey(Base + QLatin1Char('\\') + section);
        r.setValueKey(QStringLiteral("V"));
        r.setValueType(type);
        return r;
    }
};

TEST_F(RegistryObject, ANewObjectFindsNothingReadsEmptyAndCannotWrite)
{
    cRegistry r;
    EXPECT_EQ(r.ClassKey(), 0);
    EXPECT_EQ(r.ValueType(), 0);
    EXPECT_FALSE(r.KeyExists());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(r.Value()));
    const vb::VbError e = Raised([&] { r.setValue(QStringLiteral("x")); });
    EXPECT_EQ(e.Number, 26001);
    EXPECT_EQ(e.Source, Source);
    EXPECT_EQ(e.Description, QStringLiteral("Failed to set registry value Key: '0',Section: '',Key: '' to value: 'x'"));
}

TEST_F(RegistryObject, AWriteOfTypeZeroCreatesTheKeyThenFails)
{
    cRegistry r = At(QStringLiteral("Zero"));
    const vb::VbError e = Raised([&] { r.setValue(5); });
    EXPECT_EQ(e.Number, -2147194455);
    EXPECT_EQ(e.Source, Source);
    EXPECT_EQ(e.Description, QStringLiteral("Failed to set registry value Key: '-2147483647',Section: "
                                            "'Software\\Quorvane\\Test\\Zero',Key: 'V' to value: '5'"));
    EXPECT_TRUE(r.KeyExists());
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, r.SectionKey(), "V"), "<no value>");
}

TEST_F(RegistryObject, AMissingValueGivesTheDefaultAndKeepsTheType)
{
    cRegistry r = At(QStringLiteral("Missing"), REG_DWORD);
    r.setDefault(QStringLiteral("fallback"));
    EXPECT_EQ(std::get<QString>(r.Value()), QStringLiteral("fallback"));
    EXPECT_EQ(r.ValueType(), int32_t(REG_DWORD));
}

TEST_F(RegistryObject, BinaryReadsCarryATrailingZeroAndSetTheType)
{
    cRegistry r = At(QStringLiteral("Bin"), REG_SZ);
    PutRaw(HKEY_CURRENT_USER, r.SectionKey(), "V", REG_BINARY, Bytes({1, 2, 0xFF}));
    EXPECT_EQ(std::get<RegBytes>(r.Value()), (RegBytes{1, 2, 0xFF, 0}));
    EXPECT_EQ(r.ValueType(), int32_t(REG_BINARY));
    // The type read now governs the next write: a text is not a byte array.
    const vb::VbError e = Raised([&] { r.setValue(QStringLiteral("text")); });
    EXPECT_EQ(e.Number, 26001);
    EXPECT_TRUE(e.Source.isEmpty());

    r.setValue(RegBytes{9, 8});
    uint32_t type = 0;
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, r.SectionKey(), "V", &type), Bytes({9, 8}));
    EXPECT_EQ(type, REG_BINARY);
    // Other types read as bytes too.
    PutRaw(HKEY_CURRENT_USER, r.SectionKey(), "V", REG_QWORD, Bytes({7}));
    EXPECT_EQ(std::get<RegBytes>(r.Value()), (RegBytes{7, 0}));
    EXPECT_EQ(r.ValueType(), int32_t(REG_QWORD));
}

TEST_F(RegistryObject, BigEndianNumbersReadSwappedAndWriteBackAsPlainNumbers)
{
    cRegistry r = At(QStringLiteral("Big"));
    PutRaw(HKEY_CURRENT_USER, r.SectionKey(), "V", REG_DWORD_BIG_ENDIAN, Bytes({0, 0, 1, 2}));
    const RegValue v = r.Value();
    EXPECT_EQ(std::get<int32_t>(v), 0x102);
    EXPECT_EQ(r.ValueType(), int32_t(REG_DWORD_BIG_ENDIAN));
    r.setValue(v);
    uint32_t type = 0;
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, r.SectionKey(), "V", &type), Bytes({2, 1, 0, 0}));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(std::get<int32_t>(r.Value()), 0x102);
}

TEST_F(RegistryObject, NumbersWriteFromSixteenAndThirtyTwoBitsOnly)
{
    cRegistry r = At(QStringLiteral("Num"), REG_DWORD);
    r.setValue(int16_t(-1));
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, r.SectionKey(), "V"), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    r.setValue(int32_t(0x01020304));
    EXPECT_EQ(std::get<int32_t>(r.Value()), 0x01020304);
    for (const RegValue& refused : {RegValue(2.5), RegValue(QStringLiteral("7")), RegValue()}) {
        r.setValueType(REG_DWORD);
        EXPECT_EQ(Raised([&] { r.setValue(refused); }).Number, -2147194455);
    }
    EXPECT_EQ(std::get<int32_t>(r.Value()), 0x01020304);
}

TEST_F(RegistryObject, TextsReadWithoutTheirTerminatingZeroOnly)
{
    struct Case {
        uint32_t type;
        QByteArray stored;
        QString read;
    } cases[] = {
        {REG_SZ, QByteArray("\0", 1), QString()},
        {REG_SZ, QByteArray(), QString()},
        {REG_SZ, QByteArray("abc\0", 4), QStringLiteral("abc")},
        // Stored without a zero (as the value functions store texts): nothing is lost.
        {REG_SZ, QByteArray("abc"), QStringLiteral("abc")},
        {REG_MULTI_SZ, QByteArray("a\0b\0\0", 5), QString::fromUtf8("a\0b\0", 4)},
        {REG_SZ, QByteArray("Gr\xc3\xbc\xc3\x9f\0", 7), QString::fromUtf8("Grüß")},
    };
    cRegistry r = At(QStringLiteral("Text"));
    for (const Case& c : cases) {
        PutRaw(HKEY_CURRENT_USER, r.SectionKey(), "V", c.type, c.stored);
        EXPECT_EQ(std::get<QString>(r.Value()), c.read) << c.stored.toHex().constData();
        EXPECT_EQ(r.ValueType(), int32_t(c.type));
    }
}

TEST_F(RegistryObject, TextWritesChooseExpandableByTheirPercentSigns)
{
    qputenv("QV_REG_TEST", "expanded");
    struct Case {
        QString text;
        uint32_t stored;
        QString read;
    } cases[] = {
        {QStringLiteral("%QV_REG_TEST%\\x"), REG_EXPAND_SZ, QStringLiteral("expanded\\x")},
        {QStringLiteral("a%b%c"), REG_EXPAND_SZ, QStringLiteral("a%b%c")},
        {QStringLiteral("100%"), REG_SZ, QStringLiteral("100%")},
        {QStringLiteral("50%% off"), REG_SZ, QStringLiteral("50%% off")},
        {QString(), REG_SZ, QString()},
    };
    for (int32_t asked : {int32_t(REG_SZ), int32_t(REG_EXPAND_SZ)}) {
        for (const Case& c : cases) {
            cRegistry r = At(QStringLiteral("Write"), asked);
            r.setValue(c.text);
            uint32_t type = 0;
            EXPECT_EQ(Raw(HKEY_CURRENT_USER, r.SectionKey(), "V", &type), c.text.toUtf8() + '\0');
            EXPECT_EQ(type, c.stored) << c.text.toStdString();
            EXPECT_EQ(std::get<QString>(r.Value()), c.read);
            // Read unexpanded, every text comes back as it was written, and the type is still found.
            r.setValueType(REG_NONE);
            EXPECT_EQ(std::get<QString>(r.UnexpandedValue()), c.text);
            EXPECT_EQ(r.ValueType(), int32_t(c.stored));
        }
    }
    cRegistry multi = At(QStringLiteral("Write"), REG_MULTI_SZ);
    EXPECT_EQ(Raised([&] { multi.setValue(QStringLiteral("a")); }).Number, -2147194455);
}

TEST_F(RegistryObject, KeysAndValuesAreCreatedAndDeletedOrTheFailureIsRaised)
{
    cRegistry r = At(QStringLiteral("Keys\\Deep\\Er"));
    EXPECT_FALSE(r.KeyExists());
    EXPECT_TRUE(r.CreateKey());
    EXPECT_TRUE(r.KeyExists());
    r.setValueType(REG_SZ);
    r.setValue(QStringLiteral("x"));
    EXPECT_TRUE(r.DeleteValue());
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, r.SectionKey(), "V"), "<no value>");

    const QString where = QStringLiteral("-2147483647',Section: '") + r.SectionKey();
    vb::VbError e = Raised([&] { r.DeleteValue(); });
    EXPECT_EQ(e.Number, 26001);
    EXPECT_EQ(e.Description, QStringLiteral("Failed to delete registry Key: '") + where + QStringLiteral("',Key: 'V"));
    EXPECT_TRUE(r.DeleteKey());
    EXPECT_FALSE(r.KeyExists());
    e = Raised([&] { r.DeleteKey(); });
    EXPECT_EQ(e.Description, QStringLiteral("Failed to delete registry Key: '") + where);
    e = Raised([&] { r.DeleteValue(); });
    EXPECT_EQ(e.Description, QStringLiteral("Failed to open key '") + where + QStringLiteral("' for delete access"));
    EXPECT_EQ(e.Source, Source);

    cRegistry rootless;
    rootless.setSectionKey(QStringLiteral("abc"));
    e = Raised([&] { rootless.CreateKey(); });
    EXPECT_EQ(e.Number, 26001);
    EXPECT_EQ(e.Description, QStringLiteral("Failed to create registry Key: 'abc"));
}

TEST_F(RegistryObject, ValueNamesComeInTheStoresOrder)
{
    cRegistry r = At(QStringLiteral("Enum"), REG_DWORD);
    QStringList names{QStringLiteral("x")};
    int32_t count = 7;
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.isEmpty());
    for (const char* name : {"Zeta", "alpha", "", "Mid"}) {
        r.setValueKey(QString::fromUtf8(name));
        r.setValue(1);
    }
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_EQ(count, 4);
    EXPECT_EQ(names, (QStringList{QStringLiteral("Zeta"), QStringLiteral("alpha"), QString(), QStringLiteral("Mid")}));
}

TEST_F(RegistryObject, SubkeyListingStopsAtANameLongerThan254)
{
    cRegistry r = At(QStringLiteral("Sections"));
    QStringList names;
    int32_t count = 3;
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    const QString fits(254, QLatin1Char('b'));
    const QString tooLong(255, QLatin1Char('c'));
    for (const QString& name : {QStringLiteral("a"), fits, tooLong, QStringLiteral("d")}) {
        cRegistry sub = At(QStringLiteral("Sections\\") + name);
        sub.CreateKey();
    }
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (QStringList{QStringLiteral("a"), fits}));
}

TEST_F(RegistryObject, AnAssociationNamesTheQuotedProgramAndItsIconOnlyWhenGiven)
{
    const QString exe = QStringLiteral("/opt/My Apps/quorvane");
    const QByteArray command = "\"/opt/My Apps/quorvane\" \"%1\"";
    for (int32_t icon : {-1, 0}) {
        cRegistry r;
        r.setValueType(REG_SZ);
        if (icon < 0)
            r.CreateEXEAssociation(exe, QStringLiteral("Quorvane.Session"), QStringLiteral("Tapping session"),
                                   QStringLiteral("qvs"));
        else
            r.CreateEXEAssociation(exe, QStringLiteral("Quorvane.Session"), QStringLiteral("Tapping session"),
                                   QStringLiteral("qvs"), icon);
        uint32_t type = 0;
        EXPECT_EQ(Raw(HKEY_CLASSES_ROOT, QStringLiteral(".qvs"), ""), QByteArray("Quorvane.Session\0", 17));
        EXPECT_EQ(Raw(HKEY_CLASSES_ROOT, QStringLiteral(".qvs\\shell\\open\\command"), "", &type), command + '\0');
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(Raw(HKEY_CLASSES_ROOT, QStringLiteral("Quorvane.Session"), ""), QByteArray("Tapping session\0", 16));
        EXPECT_EQ(Raw(HKEY_CLASSES_ROOT, QStringLiteral("Quorvane.Session\\shell\\open\\command"), ""), command + '\0');
        if (icon < 0) {
            EXPECT_EQ(Raw(HKEY_CLASSES_ROOT, QStringLiteral("Quorvane.Session\\DefaultIcon"), ""), "<no key>");
            EXPECT_EQ(r.SectionKey(), QStringLiteral("Quorvane.Session\\shell\\open\\command"));
        } else {
            EXPECT_EQ(Raw(HKEY_CLASSES_ROOT, QStringLiteral("Quorvane.Session\\DefaultIcon"), ""),
                      QByteArray("/opt/My Apps/quorvane,0\0", 24));
            EXPECT_EQ(r.SectionKey(), QStringLiteral("Quorvane.Session\\DefaultIcon"));
        }
        EXPECT_EQ(r.ClassKey(), HKEY_CLASSES_ROOT);
        EXPECT_TRUE(r.ValueKey().isEmpty());
    }
    // With a number type the first write already fails.
    cRegistry numbers;
    numbers.setValueType(REG_DWORD);
    const vb::VbError e = Raised(
        [&] { numbers.CreateEXEAssociation(exe, QStringLiteral("X.Y"), QStringLiteral("d"), QStringLiteral("xy")); });
    EXPECT_EQ(e.Number, -2147194455);
    EXPECT_EQ(Raw(HKEY_CLASSES_ROOT, QStringLiteral(".xy"), ""), "<no value>");
}

} // namespace
