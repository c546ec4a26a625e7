// SZDD ("MS COMPRESS") files from the update server: expanded through the project's buffered file system, and
// the input compressed by our own compressor must expand to itself.
#include "FuzzSupport.h"

#include "update/archive/Szdd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString packed = fuzz::writeScratchFile(QStringLiteral("input.ex_"), bytes);
    const QString expanded = fuzz::scratchDir() + QStringLiteral("/input.exe");
    archive::expandedSzddName(packed);
    if (archive::expandSzdd(packed, expanded, nullptr))
        QFile::remove(expanded);

    const QString ours = fuzz::writeScratchFile(QStringLiteral("ours.da_"), archive::compressSzdd(bytes, 't'));
    const QString back = fuzz::scratchDir() + QStringLiteral("/ours.dat");
    QString error;
    if (!archive::expandSzdd(ours, back, &error))
        __builtin_trap(); // our own SZDD must always expand
    QFile file(back);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != bytes)
        __builtin_trap(); // ... to exactly what was compressed
    file.close();
    QFile::remove(back);
    return 0;
}
