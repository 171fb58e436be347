#pragma once
// How SQLite reaches the settings store's files: through their folder, held open, by a name that
// stays short however deep the folder lies; and never by waiting on a file that is not a plain one.
//
// SQLite's unix file layer refuses a name longer than 512 bytes, counted after it has resolved
// every link in it. A folder held open is named by this process's descriptor of it,
// /proc/self/fd/<n>, and a file in it by that alias and the file's own name. The VFS that
// FolderVfsName() names is SQLite's unix one, except that it takes such a name as it stands. The
// files SQLite keeps beside a database (its -wal, -shm and -journal files) are named after it, and
// so lie in the same folder.
//
// From the first call of FolderVfsName() on, every file that SQLite's unix layer opens in this
// process, through this VFS or another, is opened without waiting and is refused unless it is a
// plain file or a folder (SQLite's own /dev/null and /dev/urandom excepted): a FIFO or a device
// named like a database or one of its side files is never waited on, read or written, even when
// it was put there after the caller looked.
#include <QByteArray>

class SqliteFolder {
public:
    SqliteFolder() = default;
    ~SqliteFolder() { Close(); }
    SqliteFolder(const SqliteFolder&) = delete;
    SqliteFolder& operator=(const SqliteFolder&) = delete;

    // Opens the folder that holds `file`, an absolute path. A link in place of the file is
    // followed, as SQLite follows it, to the folder and name of its target, so that the side files
    // lie beside the file itself for every program that reaches it. False, with errno set, when
    // that folder cannot be opened; the file itself need not be there.
    bool Open(const QByteArray& file);
    // Every connection opened through Alias() must be closed first.
    void Close();

    // The folder's descriptor, for the *at calls; -1 when closed.
    int Fd() const { return fd; }
    // The file's name in the folder.
    const QByteArray& Name() const { return name; }
    // The name to open the file by, with the VFS that FolderVfsName() names. Where /proc cannot
    // name the folder it is the file's own path, which SQLite resolves itself.
    const QByteArray& Alias() const { return alias; }
    // A file of the folder by a path for people to read: below the folder as the opened path
    // names it, or, once a link was followed, as the system names the folder.
    QByteArray PathOf(const QByteArray& leaf) const;

private:
    int fd = -1;
    QByteArray name;
    QByteArray alias;
    QByteArray shownFolder;
    bool followed = false;
};

// The VFS to open an alias with; registered with SQLite on first use, when it also makes SQLite's
// unix layer open files without waiting.
const char* FolderVfsName();
