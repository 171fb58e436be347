// Every test executable starts here: headless Qt, the pictures of the library it tests, and a
// registry store of its own in a temporary folder so that no test ever reads or writes the user's
// settings.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A test program links one library group, and this main is built once per group (see
// tests/CMakeLists.txt): it registers that group's pictures through the library's own init, which
// registers those of the layers below it too. The platform carries no pictures.
#if defined(QUORVANE_TEST_GROUP_SESSION)
#include "session/SessionResources.h"
static void InitResources() { InitSessionResources(); }
#elif defined(QUORVANE_TEST_GROUP_SUPPORT)
#include "support/SupportResources.h"
static void InitResources() { InitSupportResources(); }
#else
static void InitResources() {}
#endif

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir store;
    qputenv("QUORVANE_REGISTRY", (store.path() + QStringLiteral("/registry.db")).toUtf8());
    qputenv("XDG_CONFIG_HOME", store.path().toUtf8());
    QApplication app(argc, argv);
    InitResources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
