#pragma once
// A test fixture whose every test starts on an empty registry store of its own, with helpers to
// put and look at raw values the way another program might have left them.
#include "platform/Registry.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class FreshRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(storeDir.isValid());
        savedStore = qgetenv("QUORVANE_REGISTRY");
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", QFile::encodeName(storeDir.filePath(QStringLiteral("registry.db"))));
    }
    void TearDown() override
    {
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", savedStore);
    }
    static void PutRaw(HKEY root, const QString& path, const QByteArray& name, uint32_t type, const QByteArray& data)
    {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyA(root, path.toUtf8(), &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.constData(), uint32_t(data.size())), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // The stored bytes and type, or "<no key>" / "<no value>".
    static QByteArray Raw(HKEY root, const QString& path, const QByteArray& name, uint32_t* type = nullptr)
    {
        HKEY key = 0;
        if (RegOpenKeyExA(root, path.toUtf8(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return "<no key>";
        uint32_t size = 0;
        uint32_t found = 0;
        QByteArray data;
        int32_t rc = RegQueryValueExA(key, name, nullptr, &found, nullptr, &size);
        if (rc == ERROR_SUCCESS) {
            data.resize(size);
            rc = RegQueryValueExA(key, name, nullptr, &found, data.data(), &size);
        }
        RegCloseKey(key);
        if (type)
            *type = found;
        return rc == ERROR_SUCCESS ? data : QByteArray("<no value>");
    }

    QTemporaryDir storeDir;
    QByteArray savedStore;
};
