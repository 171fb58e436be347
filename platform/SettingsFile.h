#pragma once
// Where the settings store's file lives. Paths are the file system's own bytes from end to end: a
// name need not be valid UTF-8, and any conversion of it would name another file.
#include <QByteArray>

// The store's file as an absolute path: $QUORVANE_REGISTRY when set and not empty (a relative
// name taken from the current folder); else $XDG_CONFIG_HOME/Quorvane/registry.db when that is an
// absolute path; else <home>/.config/Quorvane/registry.db, home being $HOME when it is an absolute
// path and otherwise the account's home folder from the password database. Empty when the account
// has no home folder: the program then runs without a store. *isDefault (when given) tells whether
// the file is the default one rather than the one QUORVANE_REGISTRY names.
QByteArray SettingsFilePath(bool* isDefault = nullptr);

// Makes the missing folders above a default settings file, each new one private to the user
// (0700). A folder that QUORVANE_REGISTRY names is never made. True when the folder is there;
// else false, with errno telling why.
bool MakeSettingsFolder(const QByteArray& file, bool isDefault);
