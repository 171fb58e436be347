#pragma once
// The program's settings: one 32-bit number or one text under a key of a hive. Every call opens
// (or creates) its key, does its one read or write and closes the key again; nothing is cached.
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// The stored number, or plngDefault when the key or value is missing or not a 4-byte REG_DWORD.
int32_t GetRegDWord(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, int32_t plngDefault);
// "Success", or "No! Failed to save Value" when the key could not be created or the write failed.
QString SaveRegDWord(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, int32_t plngData);
// Saves several numbers (name, value) under one key as one write: another copy of the program
// reading or saving the same key at the same time finds all of them or none of them. Result as for
// SaveRegDWord; on failure none of them is saved. An empty list only creates the key.
QString SaveRegDWords(int32_t plngHKey, const QString& pstrPath, const std::vector<std::pair<QString, int32_t>>& pvalues);
// The stored text up to its first NUL, or pstrDefault when missing or not a REG_SZ.
QString GetRegString(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, const QString& pstrDefault);
// Stores the text as REG_SZ without a terminating NUL. Result as for SaveRegDWord.
QString SaveRegString(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, const QString& pstrData);
