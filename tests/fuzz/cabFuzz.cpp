// Microsoft cabinets from the update server: unpacked into an empty directory; nothing may be written outside
// it (the unpacker refuses entries that climb out).
#include "FuzzSupport.h"

#include "update/archive/Cabinet.h"

#include <QDirIterator>

// Entries written relative to the current directory instead of the target must show up in the check below.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QDir::setCurrent(fuzz::scratchDir());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString cab = fuzz::writeScratchFile(QStringLiteral("input.cab"), fuzz::bytesOf(data, size));
    const QString target = fuzz::scratchDir() + QStringLiteral("/target");
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    QString error;
    archive::extractCabinet(cab, target, &error);
    // Only the input and the target may be in the scratch directory.
    const QStringList left = QDir(fuzz::scratchDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    if (left.size() != 2)
        __builtin_trap();
    QDir(target).removeRecursively();
    return 0;
}
