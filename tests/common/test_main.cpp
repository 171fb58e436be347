// Every test executable starts here: headless Qt, and a registry store of its own in a temporary
// folder so that no test ever reads or writes the user's settings.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir store;
    qputenv("QUORVANE_REGISTRY", (store.path() + QStringLiteral("/registry.db")).toUtf8());
    qputenv("XDG_CONFIG_HOME", store.path().toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
