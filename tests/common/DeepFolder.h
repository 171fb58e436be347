#pragma once
// A chain of folders below a given one, deep enough that a file named in the last of them has a
// path of an exact length: longer than SQLite's 512 bytes, up to just under the system's 4096.
#include <QByteArray>

#include <algorithm>
#include <sys/stat.h>

namespace testing_support {

// Makes folders below `top` (each name at most 200 bytes) so that the last one, a slash and
// `leaf` are `length` bytes; answers that last folder, or an empty array when one could not be
// made.
inline QByteArray MakeDeepFolder(const QByteArray& top, qsizetype length, const QByteArray& leaf)
{
    const qsizetype want = length - leaf.size() - 1;
    QByteArray folder = top;
    while (folder.size() < want) {
        const qsizetype left = want - folder.size() - 1; // room for the next name
        qsizetype part = std::min<qsizetype>(left, 200);
        if (left - part == 1) // a last name of no bytes at all is not a name
            --part;
        if (part <= 0)
            return {};
        folder += '/' + QByteArray(part, 'd');
        if (::mkdir(folder.constData(), 0700) != 0)
            return {};
    }
    return folder.size() == want ? folder : QByteArray();
}

} // namespace testing_support
