#pragma once
// The program's settings: one 32-bit number or one text under a key of a hive. Every call opens
// (or creates) its key, does its one read or write and closes the key again; nothing is cached.
#include <QString>
#include <cstdint>

// The stored number, or plngDefault when the key or value is missing or not a REG_DWORD.
int32_t GetRegDWord(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, int32_t plngDefault);
// "Success", or "No! Failed to save Value" when the key could not be created or the write failed.
QString SaveRegDWord(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, int32_t plngData);
// The stored text up to its first NUL, or pstrDefault when missing or not a REG_SZ.
QString GetRegString(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, const QString& pstrDefault);
// Stores the text as REG_SZ without a terminating NUL. Result as for SaveRegDWord.
QString SaveRegString(int32_t plngHKey, const QString& pstrPath, const QString& pstrValue, const QString& pstrData);
