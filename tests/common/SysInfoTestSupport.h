#pragma once
// Test helpers for the system-information layer: answers set for one scope, and a temporary
// folder of the test's own standing in for the system's (TMPDIR).
#include "platform/SysInfo.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace testing_support {

// Installs the answers for the lifetime of the object and puts the previous ones back.
class ScopedSysInfoAnswers {
public:
    explicit ScopedSysInfoAnswers(vb::SysInfoAnswers answers) : previous(vb::SetSysInfoAnswers(std::move(answers))) {}
    ~ScopedSysInfoAnswers() { vb::SetSysInfoAnswers(std::move(previous)); }
    ScopedSysInfoAnswers(const ScopedSysInfoAnswers&) = delete;
    ScopedSysInfoAnswers& operator=(const ScopedSysInfoAnswers&) = delete;

private:
    vb::SysInfoAnswers previous;
};

// TMPDIR names a fresh folder for each test; `privateFolder` is where the user's private
// temporary folder is expected in it (without the trailing '/').
class TempBaseTest : public ::testing::Test {
protected:
    QTemporaryDir base;
    QByteArray oldTmp = qgetenv("TMPDIR");
    QByteArray privateFolder;

    void SetUp() override
    {
        ASSERT_TRUE(base.isValid());
        qputenv("TMPDIR", base.path().toUtf8());
        privateFolder = base.path().toUtf8() + "/quorvane-" + QByteArray::number(::geteuid());
    }
    void TearDown() override
    {
        if (oldTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTmp);
    }
};

} // namespace testing_support
