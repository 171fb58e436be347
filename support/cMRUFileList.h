#pragma once
// The list of recently used files that a File menu shows: full paths, the most recent first, at
// most MaxFileCount of them. It is stored either as registry values through a cRegistry the caller
// has pointed at the list's key (values MaxCount, Count, File1, File2, ...), or in the text file
// MRUFolder + "mru.ini":
//   MaxCount,<maximum>
//   Count,<entries>
//   File1,<path>
//   ...
// one record a line, lines ending with CR LF. A path holding a comma or a line end, or beginning
// with a blank, a tab or a double quote, is written as a quoted field ("..." with every double
// quote doubled); every other path stands as it is.
//
// Entries are numbered from 1. An index below 1 or above MaxFileCount raises error 9 (subscript out
// of range) and changes nothing; an index above FileCount but within the maximum reaches whatever
// that entry holds.
#include <QString>
#include <cstdint>
#include <vector>

class cRegistry;

// The folder of "mru.ini", ending with a path separator; empty means the current directory.
extern QString MRUFolder;

// The largest maximum the list takes; a stored maximum above it is read as this.
inline constexpr int32_t MRUMaxFileCountLimit = 1000;

class cMRUFileList {
public:
    int32_t MaxFileCount() const { return mlngMaxFileCount; }
    // Resizes the list to lMax entries, keeping those that fit; FileCount is left as it is.
    // A value below 1 or above MRUMaxFileCountLimit raises error 9 unless it equals the current one.
    void setMaxFileCount(int32_t lMax);
    int32_t FileCount() const { return mlngFileCount; }
    QString FILE(int32_t iIndex) const;
    // True when entry iIndex is not empty; the disk is not consulted.
    bool FileExists(int32_t iIndex) const;
    // "&<index>)  " and the entry, an entry of more than 32 characters shortened to "..." and its
    // last path parts ('\' or '/' separated) of at most 32 characters; '&' in the path is doubled
    // so that it shows as itself.
    QString MenuCaption(int32_t iIndex) const;
    // Puts an existing plain file at the top (a file already listed moves up and takes this
    // spelling); a file that is not found changes nothing. Two spellings are one entry when they
    // are the same text, or differ only in case and name the same file.
    void AddFile(const QString& sfileName);
    // Stores the list. Registry storage needs cR; an error there ends the save with false, silently.
    // File storage writes "mru.ini" (a failure is reported) and answers whether it was written; a
    // list file that the user may not write is a failure and stays as it is.
    bool Save(bool pblnUseRegistry, cRegistry* cR = nullptr);
    // Reads "mru.ini"; a missing file gives a maximum of 6, no entries and a new file. Anything
    // wrong in the file is reported and what was read before it stays.
    void MRU_Read();
    // Reads the list. Registry storage: a missing key leaves the list alone; a path holding %NAME%
    // comes back expanded when that names a file, else as saved when that does; entries whose file
    // is gone are dropped (and their values removed); an error ends the load with false, silently.
    bool Load(bool pblnUseRegistry, cRegistry* cR = nullptr);

private:
    bool MRU_Save();
    bool FileExistsA(const QString& sPath) const;
    QString& Entry(int32_t iIndex);
    const QString& Entry(int32_t iIndex) const;

    int32_t mlngMaxFileCount = 0;
    int32_t mlngFileCount = 0;
    std::vector<QString> mstrFiles; // entry i at i - 1
};
