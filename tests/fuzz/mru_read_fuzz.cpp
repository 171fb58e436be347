// libFuzzer target for the recent-files list reader: whatever "mru.ini" holds, reading it never
// crashes, leaves a usable list, and that list saves and reads back unchanged.
// Built by scripts/fuzz-mru-read only (clang++ -fsanitize=fuzzer), never by the normal build.
#include "platform/MsgBox.h"
#include "support/cMRUFileList.h"
#include "support/modErrorReport.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QTemporaryDir* folder = nullptr;

void Setup()
{
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    folder = new QTemporaryDir(base + QStringLiteral("/mru-fuzz-XXXXXX"));
    MRUFolder = folder->path() + QLatin1Char('/');
    // Reports and message boxes are counted, never shown.
    SetErrorReportHook([](const ErrorReportCall&) {});
    vb::SetMsgBoxHandler([](const vb::MsgBoxCall&) { return int(vb::vbOK); });
}

QStringList Entries(const cMRUFileList& list)
{
    QStringList out;
    for (int32_t i = 1; i <= list.FileCount(); ++i)
        out << list.FILE(i);
    return out;
}

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "mru_read_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!folder)
        Setup();
    {
        QFile file(MRUFolder + QStringLiteral("mru.ini"));
        Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    cMRUFileList list;
    list.MRU_Read();
    Check(list.FileCount() >= 0 && list.FileCount() <= list.MaxFileCount(), "count outside the list");
    Check(list.MaxFileCount() >= 0 && list.MaxFileCount() <= MRUMaxFileCountLimit, "maximum out of bounds");
    for (int32_t i = 1; i <= list.FileCount(); ++i)
        list.MenuCaption(i);
    Check(list.Save(false), "the list read does not save");
    cMRUFileList again;
    again.MRU_Read();
    Check(Entries(again) == Entries(list), "the saved list reads back differently");
    Check(again.MaxFileCount() == list.MaxFileCount(), "the saved maximum reads back differently");
    return 0;
}
