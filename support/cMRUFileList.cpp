#include "support/cMRUFileList.h"

#include "platform/VbError.h"
#include "support/ErrorTrap.h"
#include "support/cRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString MRUFolder;

namespace {

const QString Module = QStringLiteral("cMRUFileList");
// No path is this long; a longer field is not a record of ours.
constexpr qsizetype MaxFieldLength = 32767;

QString ListFilePath() { return MRUFolder + QStringLiteral("mru.ini"); }

enum class Search { Found, NotFound, Rejected };

// Looks for one plain file of exactly this name (no wildcards). Hidden files (a name beginning
// with '.'), folders and devices are not found. A name the file system cannot take is Rejected.
Search SearchFile(const QString& path)
{
    if (path.isEmpty())
        return Search::NotFound;
    if (path.contains(QChar(u'\0')))
        return Search::Rejected;
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return Search::NotFound;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENAMETOOLONG ? Search::Rejected : Search::NotFound;
    return S_ISREG(st.st_mode) ? Search::Found : Search::NotFound;
}

bool SameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Two spellings are one entry when they are the same text, or when they differ only in case and
// the file system takes them for the same file (as a case-insensitive one does).
bool SameEntry(const QString& listed, const QString& given)
{
    return listed == given || (listed.compare(given, Qt::CaseInsensitive) == 0 && SameFile(listed, given));
}

// The path as one field of a record: quoted only where the plain form would not read back.
QByteArray PathField(const QString& path)
{
    const QByteArray bytes = path.toUtf8();
    const bool plain = !bytes.contains(',') && !bytes.contains('\r') && !bytes.contains('\n') &&
                       !bytes.startsWith(' ') && !bytes.startsWith('\t') && !bytes.startsWith('"');
    if (plain)
        return bytes;
    QByteArray quoted = bytes;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

// Reads the fields of the list file: each ends at a comma or a line end (CR LF, LF or CR); blanks
// before a field are skipped; a quoted field is read whole, a doubled quote inside it standing for
// one, and whatever follows its closing quote up to the next delimiter is dropped.
class FieldReader {
public:
    explicit FieldReader(QIODevice& device) : in(device) {}
    bool AtEnd() const { return in.atEnd(); }
    QByteArray Next()
    {
        if (in.atEnd())
            vb::Raise(vb::errInputPastEnd);
        char c = 0;
        while (Peek(c) && (c == ' ' || c == '\t'))
            in.getChar(&c);
        QByteArray field;
        if (Peek(c) && c == '"') {
            in.getChar(&c);
            while (in.getChar(&c)) {
                if (c == '"') {
                    if (!Peek(c) || c != '"')
                        break;
                    in.getChar(&c);
                }
                Append(field, c);
            }
            while (in.getChar(&c) && !EndsField(c)) {
            }
        } else {
            while (in.getChar(&c) && !EndsField(c))
                Append(field, c);
        }
        return field;
    }

private:
    bool Peek(char& c) { return in.peek(&c, 1) == 1; }
    // A CR LF pair is one line end.
    bool EndsField(char c)
    {
        if (c == ',' || c == '\n')
            return true;
        if (c != '\r')
            return false;
        char next = 0;
        if (Peek(next) && next == '\n')
            in.getChar(&next);
        return true;
    }
    static void Append(QByteArray& field, char c)
    {
        if (field.size() >= MaxFieldLength)
            vb::Raise(vb::errBadRecordLength);
        field.append(c);
    }
    QIODevice& in;
};

// A number field: empty reads as 0, anything else must be a number.
int32_t NumberField(const QByteArray& field)
{
    const QString text = QString::fromUtf8(field).trimmed();
    return text.isEmpty() ? 0 : CLng(text);
}

[[noreturn]] void RaiseFileError(const QFileDevice& file)
{
    vb::RaiseWithDetail(vb::errPathFileAccess, file.errorString());
}

[[noreturn]] void RaiseAccessError(const QString& why)
{
    vb::RaiseWithDetail(vb::errPathFileAccess, why);
}

QString SystemErrorText(int error) { return QString::fromLocal8Bit(strerror(error)); }

// The process's file creation mask; reading it means setting it, so it is put straight back.
mode_t CreationMask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Puts text in place of the file named by target (absolute) by writing it beside the file under a
// temporary name and renaming it over the file, so that a failed write leaves the old file whole
// and a symbolic link standing there is replaced, never written through. The new file keeps the
// old one's owner, group and mode (old; none for a new file, which gets what the user's file
// creation mask allows an ordinary file, as opening it for output would).
// False, with nothing changed, where that cannot be done: the folder takes no new file, or the
// owner cannot be kept; why then tells the reason.
bool ReplaceFile(const QByteArray& target, const QByteArray& text, const struct stat* old, QString& why)
{
    QTemporaryFile temp(QFile::decodeName(target) + QStringLiteral(".XXXXXX"));
    if (!temp.open()) {
        why = temp.errorString();
        return false;
    }
    if (old && ::fchown(temp.handle(), old->st_uid, old->st_gid) != 0) {
        why = SystemErrorText(errno);
        return false;
    }
    if (temp.write(text) != text.size() || !temp.flush() || ::fsync(temp.handle()) != 0)
        RaiseFileError(temp);
    ::fchmod(temp.handle(), old ? old->st_mode & 07777 : 0666 & ~CreationMask());
    const QString tempName = temp.fileName();
    temp.close();
    if (std::rename(QFile::encodeName(tempName).constData(), target.constData()) != 0)
        RaiseAccessError(SystemErrorText(errno));
    temp.setAutoRemove(false);
    return true;
}

// Writes the list file where opening it for output would succeed, and only there: a file the user
// may not write is refused and left as it is. It is replaced whole where its folder allows (see
// ReplaceFile), and otherwise emptied and written in place.
void WriteListFile(const QString& path, const QByteArray& text)
{
    const QByteArray target = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat old {};
    const bool existing = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    QFile inPlace;
    if (existing) {
        const int fd = ::open(target.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            RaiseAccessError(SystemErrorText(errno));
        if (!inPlace.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            RaiseFileError(inPlace);
        }
    }
    QString why;
    if (ReplaceFile(target, text, existing ? &old : nullptr, why))
        return;
    if (!existing)
        RaiseAccessError(why);
    if (!inPlace.resize(0) || inPlace.write(text) != text.size() || !inPlace.flush())
        RaiseFileError(inPlace);
}

cRegistry& Needed(cRegistry* cR)
{
    if (!cR)
        vb::Raise(vb::errObjectNotSet);
    return *cR;
}

QString EntryValueName(int32_t i) { return QStringLiteral("File") + QString::number(i); }

} // namespace

QString& cMRUFileList::Entry(int32_t iIndex)
{
    if (iIndex < 1 || iIndex > mlngMaxFileCount || static_cast<size_t>(iIndex) > mstrFiles.size())
        vb::Raise(vb::errSubscript);
    return mstrFiles[static_cast<size_t>(iIndex) - 1];
}

const QString& cMRUFileList::Entry(int32_t iIndex) const { return const_cast<cMRUFileList*>(this)->Entry(iIndex); }

void cMRUFileList::setMaxFileCount(int32_t lMax)
{
    if (lMax == mlngMaxFileCount)
        return;
    if (lMax < 1 || lMax > MRUMaxFileCountLimit)
        vb::Raise(vb::errSubscript);
    mstrFiles.resize(static_cast<size_t>(lMax));
    mlngMaxFileCount = lMax;
}

QString cMRUFileList::FILE(int32_t iIndex) const { return Entry(iIndex); }

bool cMRUFileList::FileExists(int32_t iIndex) const { return !Entry(iIndex).isEmpty(); }

QString cMRUFileList::MenuCaption(int32_t iIndex) const
{
    const QString& entry = Entry(iIndex);
    QString s = entry;
    const qsizetype n = entry.size();
    constexpr qsizetype Shown = 32;
    if (n > Shown) {
        qsizetype kept = -1;
        for (qsizetype p = n - 1; p >= 0; --p) {
            if (entry[p] != QLatin1Char('\\') && entry[p] != QLatin1Char('/'))
                continue;
            // Positions count from 1 in the rule "at most 32 characters after the separator".
            if (n - (p + 1) <= Shown) {
                kept = p;
                continue;
            }
            s = QStringLiteral("...") + entry.mid(kept >= 0 ? kept : p);
            break;
        }
    }
    s.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QLatin1Char('&') + QString::number(iIndex) + QStringLiteral(")  ") + s;
}

void cMRUFileList::AddFile(const QString& sfileName)
{
    const Search found = SearchFile(sfileName);
    if (found == Search::Rejected)
        vb::Raise(vb::errBadFileName);
    if (found == Search::NotFound)
        return;
    int32_t p = 0;
    for (int32_t i = 1; i <= mlngFileCount; ++i) {
        if (SameEntry(Entry(i), sfileName)) {
            p = i;
            break;
        }
    }
    if (p == 0) {
        if (mlngFileCount < mlngMaxFileCount)
            ++mlngFileCount;
        p = mlngFileCount;
    }
    for (int32_t i = p - 1; i >= 1; --i)
        Entry(i + 1) = Entry(i);
    Entry(1) = sfileName;
}

bool cMRUFileList::Save(bool pblnUseRegistry, cRegistry* cR)
{
    if (!pblnUseRegistry)
        return MRU_Save();
    // Save gives up quietly: its caller learns of a failure from the result alone.
    return IgnoreErrors([&] {
        cRegistry& reg = Needed(cR);
        reg.setValueKey(QStringLiteral("MaxCount"));
        reg.setValueType(REG_DWORD);
        reg.setValue(mlngMaxFileCount);
        reg.setValueKey(QStringLiteral("Count"));
        reg.setValueType(REG_DWORD);
        reg.setValue(mlngFileCount);
        for (int32_t i = 1; i <= mlngFileCount; ++i) {
            reg.setValueKey(EntryValueName(i));
            reg.setValueType(REG_SZ);
            reg.setValue(Entry(i));
            // An empty value would read as a missing one: a blank stands in for it.
            if (CStr(reg.Value()).isEmpty())
                reg.setValue(QStringLiteral(" "));
        }
    });
}

bool cMRUFileList::MRU_Save()
{
    bool saved = false;
    TrapErrors(Module, QStringLiteral("MRU_Save"), [&] {
        QByteArray text = "MaxCount," + QByteArray::number(mlngMaxFileCount) + "\r\n" + "Count," +
                          QByteArray::number(mlngFileCount) + "\r\n";
        for (int32_t i = 1; i <= mlngFileCount; ++i)
            text += "File" + QByteArray::number(i) + ',' + PathField(Entry(i)) + "\r\n";
        WriteListFile(ListFilePath(), text);
        saved = true;
    });
    return saved;
}

void cMRUFileList::MRU_Read()
{
    const QString path = ListFilePath();
    QFile file(path);
    int32_t count = mlngFileCount;
    int32_t read = 0;
    TrapErrors(Module, QStringLiteral("MRU_Read"), [&] {
        if (!FileExistsA(path)) {
            // A new file starts an empty list: the file says what the list holds.
            setMaxFileCount(6);
            mlngFileCount = 0;
            count = 0;
            MRU_Save();
            return;
        }
        if (!file.open(QIODevice::ReadOnly))
            RaiseFileError(file);
        FieldReader in(file);
        while (!in.AtEnd()) {
            const QByteArray key = in.Next();
            if (key == "MaxCount") {
                setMaxFileCount(std::min(NumberField(in.Next()), MRUMaxFileCountLimit));
            } else if (key == "Count") {
                count = NumberField(in.Next());
            } else if (key.isEmpty()) {
                break;
            } else {
                // Entries follow the file's order; the number in the key is not looked at.
                QString& entry = Entry(read + 1);
                entry = QString::fromUtf8(in.Next());
                ++read;
            }
        }
    });
    file.close();
    // The count never promises more entries than the file gave or the list can hold.
    mlngFileCount = std::clamp(count, 0, std::min(read, mlngMaxFileCount));
}

bool cMRUFileList::Load(bool pblnUseRegistry, cRegistry* cR)
{
    if (!pblnUseRegistry) {
        MRU_Read();
        return true;
    }
    int32_t kept = 0;
    bool loading = false;
    const bool ok = IgnoreErrors([&] {
        cRegistry& reg = Needed(cR);
        reg.setValueKey(QStringLiteral("MaxCount"));
        if (!reg.KeyExists())
            return;
        reg.setValueType(REG_DWORD);
        setMaxFileCount(std::min(CLng(reg.Value()), MRUMaxFileCountLimit));
        if (mlngMaxFileCount < 1)
            return;
        reg.setValueKey(QStringLiteral("Count"));
        reg.setValueType(REG_DWORD);
        const int32_t stored = std::min(CLng(reg.Value()), MRUMaxFileCountLimit);
        loading = true;
        for (int32_t i = 1; i <= stored && kept < mlngMaxFileCount; ++i) {
            reg.setValueKey(EntryValueName(i));
            // A read that finds the value sets its type: left at none, the value is missing.
            reg.setValueType(REG_NONE);
            QString path = CStr(reg.Value());
            const bool present = reg.ValueType() != static_cast<int32_t>(REG_NONE);
            bool found = SearchFile(path) == Search::Found;
            // '%' is an ordinary character in a file name: where the expansion names no file, the
            // text as saved may.
            if (!found && reg.ValueType() == static_cast<int32_t>(REG_EXPAND_SZ)) {
                const QString saved = CStr(reg.UnexpandedValue());
                found = SearchFile(saved) == Search::Found;
                if (found)
                    path = saved;
            }
            if (found) {
                ++kept;
                Entry(kept) = path;
            } else if (present) {
                // A gone file's value is removed; a missing one (a gap) costs nothing after it.
                reg.DeleteValue();
            }
        }
    });
    if (loading)
        mlngFileCount = kept;
    return ok;
}

bool cMRUFileList::FileExistsA(const QString& sPath) const
{
    bool found = false;
    TrapErrorsLocally(QStringLiteral("FileExistsA"), [&] { found = SearchFile(sPath) == Search::Found; });
    return found;
}
