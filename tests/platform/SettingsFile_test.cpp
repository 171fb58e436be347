// Where the settings file lives: the config and home folders (the password database standing in
// for a missing home), an account without a home running without a store, and names that are not
// UTF-8 kept byte for byte by the store, its set-aside files and the instance lock.
#include "platform/Instance.h"
#include "platform/Registry.h"
#include "platform/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <ftw.h>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets variables for as long as it lives (a null value unsets one) and puts the old ones back.
class Environment {
public:
    ~Environment()
    {
        RegistryCloseStore();
        for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
            if (it.value().isNull())
                qunsetenv(it.key().constData());
            else
                qputenv(it.key().constData(), it.value());
        }
    }
    void Set(const char* name, const QByteArray& value)
    {
        if (!saved.contains(name))
            saved.insert(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
        RegistryCloseStore();
    }

private:
    QMap<QByteArray, QByteArray> saved;
};

QByteArray AccountHome()
{
    const passwd* pw = ::getpwuid(::geteuid());
    return pw ? QByteArray(pw->pw_dir) : QByteArray();
}

bool Exists(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// A folder's names, as the file system keeps them, in no particular order, each followed by '|'.
std::string Names(const QByteArray& folder)
{
    std::string names;
    DIR* d = ::opendir(folder.constData());
    while (const dirent* e = d ? ::readdir(d) : nullptr)
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
            names += std::string(e->d_name) + "|";
    if (d)
        ::closedir(d);
    return names;
}

// Removes a folder and all it holds, whatever its names (QDir cannot name every one).
void RemoveTree(const QByteArray& folder)
{
    ::nftw(
        folder.constData(), [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

// The value names a store file holds, read without the program's code, each followed by '|'.
std::string StoredNames(const QByteArray& file)
{
    std::string names;
    sqlite3* db = nullptr;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT CAST(name AS TEXT) FROM vals ORDER BY name", -1, &q, nullptr) == SQLITE_OK)
        while (sqlite3_step(q) == SQLITE_ROW)
            names += std::string(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))) + "|";
    sqlite3_finalize(q);
    sqlite3_close(db);
    return names;
}

TEST(SettingsFileTest, TheDefaultFileFollowsTheConfigAndHomeFolders)
{
    QTemporaryDir dir;
    const QByteArray tmp = dir.path().toUtf8();
    const QByteArray account = AccountHome();
    ASSERT_FALSE(account.isEmpty());
    const QByteArray unset; // null: the variable is not set
    struct Case {
        const char* what;
        QByteArray xdg, home, expected;
    } cases[] = {
        {"config folder", tmp + "/xdg", tmp + "/home", tmp + "/xdg/Quorvane/registry.db"},
        {"no config folder", unset, tmp + "/home", tmp + "/home/.config/Quorvane/registry.db"},
        {"empty config folder", "", tmp + "/home", tmp + "/home/.config/Quorvane/registry.db"},
        {"relative config folder", "xdg", tmp + "/home", tmp + "/home/.config/Quorvane/registry.db"},
        {"no home", unset, unset, account + "/.config/Quorvane/registry.db"},
        {"empty home", unset, "", account + "/.config/Quorvane/registry.db"},
        {"relative home", unset, "home", account + "/.config/Quorvane/registry.db"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Environment env;
        env.Set("QUORVANE_REGISTRY", unset);
        env.Set("XDG_CONFIG_HOME", c.xdg);
        env.Set("HOME", c.home);
        bool isDefault = false;
        EXPECT_EQ(SettingsFilePath(&isDefault), c.expected);
        EXPECT_TRUE(isDefault);
        EXPECT_EQ(RegistryStorePath(), c.expected);
    }

    // A named file is taken from the current folder when its name is relative.
    Environment env;
    env.Set("QUORVANE_REGISTRY", "named.db");
    bool isDefault = true;
    EXPECT_EQ(SettingsFilePath(&isDefault), QDir::currentPath().toUtf8() + "/named.db");
    EXPECT_FALSE(isDefault);
}

// An account that the password database does not know, started without HOME: it has no home
// folder, so the program runs without a store and makes nothing at the root.
TEST(SettingsFileTest, AnAccountWithoutAHomeRunsWithoutAStore)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to take on an unknown account";
    constexpr uid_t Unknown = 54321;
    ASSERT_EQ(::getpwuid(Unknown), nullptr);
    const bool rootConfigBefore = Exists("/.config");
    // A copy the account may run wherever the build lies.
    QTemporaryDir dir;
    const QString helperCopy = dir.filePath(QStringLiteral("registry_access"));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/registry_access"), helperCopy));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(helperCopy).constData(), 0755), 0);
    const auto run = [&helperCopy](const QStringList& args) {
        QProcess helper;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "QUORVANE_REGISTRY"})
            env.remove(QString::fromLatin1(name));
        helper.setProcessEnvironment(env);
        helper.setWorkingDirectory(QStringLiteral("/"));
        helper.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(Unknown) != 0 || ::setuid(Unknown) != 0)
                ::_exit(125);
        });
        helper.start(helperCopy, args);
        EXPECT_TRUE(helper.waitForFinished(60000));
        EXPECT_EQ(helper.exitCode(), 0);
        return QString::fromUtf8(helper.readAllStandardOutput());
    };
    EXPECT_EQ(run({QStringLiteral("path")}), QStringLiteral("\n"));
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Software\\Quorvane"), QStringLiteral("v"),
                   QStringLiteral("1")}),
              QStringLiteral("No! Failed to save Value\n"));
    if (!rootConfigBefore) {
        EXPECT_FALSE(Exists("/.config"));
    }
}

// Folder names in Latin-1 (not UTF-8), named by QUORVANE_REGISTRY or the home folder: the store
// there is read and written, the instance lock and a file set aside lie beside it, and no folder
// with a replaced name appears.
TEST(SettingsFileTest, NamesThatAreNotUtf8AreKeptByteForByte)
{
    struct Case {
        const char* what;
        const char* variable;
        QByteArray value;  // below the test's folder
        QByteArray folder; // the store's folder, below the test's folder
    } cases[] = {
        {"named store", "QUORVANE_REGISTRY", "/bad\xff/registry.db", "/bad\xff"},
        {"home folder", "HOME", "/caf\xe9", "/caf\xe9/.config/Quorvane"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QByteArray top = dir.path().toUtf8();
        const QByteArray folder = top + c.folder;
        const QByteArray file = folder + "/registry.db";
        Environment env;
        env.Set("QUORVANE_REGISTRY", QByteArray());
        env.Set("XDG_CONFIG_HOME", QByteArray());
        const QByteArray made = c.value.mid(0, c.value.indexOf('/', 1)); // the folder with the odd name
        ASSERT_EQ(::mkdir((top + made).constData(), 0700), 0) << std::strerror(errno);

        // A store with a value, made elsewhere and moved into place under its true name.
        env.Set("QUORVANE_REGISTRY", top + "/plain.db");
        ASSERT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "kept", 0, REG_SZ, "yes", 3), ERROR_SUCCESS);
        RegistryCloseStore();
        ASSERT_TRUE(MakeSettingsFolder(file, true));
        ASSERT_EQ(::rename((top + "/plain.db").constData(), file.constData()), 0);
        env.Set("QUORVANE_REGISTRY", QByteArray());
        env.Set(c.variable, top + c.value);

        EXPECT_EQ(RegistryStorePath(), file);
        char data[8] = {};
        uint32_t size = sizeof data;
        EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "kept", nullptr, nullptr, data, &size), ERROR_SUCCESS);
        EXPECT_EQ(std::string(data, size), "yes");
        EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "new", 0, REG_SZ, "1", 1), ERROR_SUCCESS);
        vb::PrevInstance();
        EXPECT_TRUE(Exists(file + ".instance"));
        RegistryCloseStore();
        EXPECT_EQ(StoredNames(file), "kept|new|") << "the value went into the store at the true name";

        // A file that is not a store is kept under its true name with a suffix.
        ASSERT_EQ(::unlink(file.constData()), 0);
        FILE* f = std::fopen(file.constData(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("not a database, but a note of the user's that must not be lost", f);
        std::fclose(f);
        testing::internal::CaptureStderr();
        EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "after", 0, REG_SZ, "1", 1), ERROR_SUCCESS);
        testing::internal::GetCapturedStderr();
        EXPECT_NE(Names(folder).find("registry.db.damaged-"), std::string::npos) << Names(folder);
        EXPECT_EQ(Names(top), made.mid(1).toStdString() + "|") << "no folder with a replaced name";
        RemoveTree(top + made);
    }
}

} // namespace
