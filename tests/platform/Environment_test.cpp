// Environment variables named inside texts.
#include "platform/Environment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ExpandEnvironmentStrings, ReplacesSetVariablesAndKeepsTheRest)
{
    qputenv("QV_EXPAND_A", "alpha");
    qputenv("QV_EMPTY", "");
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"plain", "plain"},
        {"%QV_EXPAND_A%\\x", "alpha\\x"},
        {"%qv_expand_a%", "alpha"},
        {"a%QV_EMPTY%b", "ab"},
        {"%QV_UNSET_NAME%", "%QV_UNSET_NAME%"},
        {"%QV_UNSET_NAME%QV_EXPAND_A%", "%QV_UNSET_NAMEalpha"},
        {"100%", "100%"},
        {"%%", "%%"},
        {"\"%1\"", "\"%1\""},
        {"", ""},
    };
    for (const Case& c : cases) {
        const uint32_t needed = ExpandEnvironmentStringsA(c.in, nullptr, 0);
        EXPECT_EQ(needed, std::strlen(c.out) + 1) << c.in;
        std::string buffer(needed, '#');
        EXPECT_EQ(ExpandEnvironmentStringsA(c.in, buffer.data(), needed), needed);
        EXPECT_STREQ(buffer.c_str(), c.out) << c.in;
    }
    char tiny[3] = {'#', '#', '#'};
    EXPECT_EQ(ExpandEnvironmentStringsA("%QV_EXPAND_A%", tiny, 3), 6u);
    EXPECT_EQ(tiny[0], '#');
}

TEST(ExpandEnvironmentStrings, TextsKeepTheirCharacters)
{
    qputenv("QV_EXPAND_TEXT", QStringLiteral("Grüße").toUtf8());
    EXPECT_EQ(ExpandEnvironmentStrings(QStringLiteral("‘%QV_EXPAND_TEXT%’ – %QV_UNSET_NAME%")),
              QStringLiteral("‘Grüße’ – %QV_UNSET_NAME%"));
    EXPECT_EQ(ExpandEnvironmentStrings(QString()), QString());
}

} // namespace
