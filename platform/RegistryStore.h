#pragma once
// The settings store's file: where it lives, opening it (writable, or read-only without leaving
// any file beside it), telling a store of ours from a damaged, foreign or newer file, setting a
// bad file aside, setting a new file up, and running writes as transactions.
//
// The store's folder is held open while the store is, and every file of the store is reached
// through it, so that a folder of any depth will do. Something other than a plain file (or
// nothing) in place of the store or one of its side files makes the store unusable: it is never
// opened, so a FIFO or a device there holds nothing up.
//
// Settings that cannot be kept are said on standard error, one line naming the file and the
// reason, each line once a run: a store that cannot be opened or set up, one this user may not
// write, and a save that fails.
//
// Not thread-safe by itself: the registry calls hold their own lock around every use.
#include "platform/FolderVfs.h"
#include "platform/Registry.h"
#include "platform/SqliteStatement.h"

#include <QByteArray>
#include <QSet>

#include <chrono>
#include <cstdint>

struct sqlite3;

// The key table's rows 1 to 4 are the four roots, in the order of their HKEY numbers.
inline constexpr int64_t FirstRootRow = 1;
inline constexpr int64_t LastRootRow = 4;

class RegistryStore {
public:
    RegistryStore() = default;
    ~RegistryStore() { Close(); }
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // The file the next opening would use (or the one in use), as SettingsFilePath gives it.
    static QByteArray Path();

    // ERROR_SUCCESS when the store can be read, opening it on first use. A store this user may
    // not write, and one written by a newer version, are opened for reading; Write refuses them.
    // An opening that failed after waiting on another program is not tried again for as long as
    // one wait lasts: the calls in between fail at once with its result.
    int32_t Ensure();
    // Closes the file; the next Ensure opens it afresh. Inside a transaction, the rest of that
    // transaction fails.
    void Close();

    SqliteStatement Sql(const char* sql) { return SqliteStatement(db, statements, sql); }
    // A statement's outcome as a result code; a damaged file is closed so that the next call
    // examines it afresh, and any other failure is said on standard error.
    int32_t Fail(int rc);
    // Rows the last statement changed.
    int Changes() const;

    // Runs body inside one write transaction and commits only when it answers ERROR_SUCCESS.
    // Inside another Write the body is a savepoint of the outer transaction: undone alone when it
    // fails, committed only with the outer one.
    template <class Body>
    int32_t Write(Body body)
    {
        if (int32_t r = BeginWrite())
            return r;
        WriteScope scope(*this);
        return scope.End(body());
    }

private:
    // Ends the write it was made for exactly once; a body that leaves by an exception has its
    // writes undone.
    class WriteScope {
    public:
        explicit WriteScope(RegistryStore& owner) : store(owner) {}
        ~WriteScope()
        {
            if (!ended)
                store.EndWrite(ERROR_REGISTRY_IO_FAILED);
        }
        WriteScope(const WriteScope&) = delete;
        WriteScope& operator=(const WriteScope&) = delete;
        int32_t End(int32_t result)
        {
            ended = true;
            return store.EndWrite(result);
        }

    private:
        RegistryStore& store;
        bool ended = false;
    };

    enum class Health { Good, Empty, Newer, Damaged, Foreign, Unusable };

    int32_t BeginWrite();
    int32_t EndWrite(int32_t result);
    // Fail, said as a failed save or a failed read.
    int32_t Failed(int rc, bool saving);
    int Exec(const char* sql);
    int32_t Open();
    // Closes the connection only; the folder stays open.
    void Disconnect();
    int32_t Connect(const QByteArray& file);
    // SQLite's result.
    int Initialise();
    static Health Examine(sqlite3* conn);
    static Health ExamineFile(const QByteArray& alias);
    bool MoveAside(const QByteArray& file);
    // One line on standard error about the store file: its name, then what.
    void Report(const QByteArray& file, const QByteArray& what);
    // A line on standard error, unless this run has said it already.
    void Say(const QByteArray& line);

    SqliteFolder folder;
    sqlite3* db = nullptr;
    // An opening that failed only after waiting on another program: its result, given at once
    // until `until`, so that a run of calls does not wait once each.
    int32_t failedOpening = 0;
    std::chrono::steady_clock::time_point failedUntil;
    SqliteStatementCache statements;
    // Reads only: the user may not write the file or its folder (writeRefusal says why), or a
    // newer version wrote it.
    bool readOnly = false;
    QByteArray writeRefusal;
    bool newer = false;
    // Open write transactions (an outer one and its savepoints); broken once the file was closed
    // inside one, until the outer one ends.
    int depth = 0;
    bool broken = false;
    // The lines written to standard error, so that calls repeated on the same bad file do not say
    // it again.
    QSet<QByteArray> reported;
};
