#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

// Shared by the fuzz targets: the input as Qt bytes, a GUI application for readers that need fonts or image
// plug-ins, and a scratch directory for readers that only take file names.
namespace fuzz {

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Text documents need fonts and pictures need the image plug-ins; both want an application object. Kept for
// the whole run: libFuzzer calls the target many times in one process.
inline void startGuiApplication()
{
    static int argc = 1;
    static char name[] = "velkorn-fuzz";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

// A directory of this process's own below the temporary directory (RAM-backed /dev/shm when there is one),
// emptied between inputs by the targets that write into it.
inline const QString& scratchDir()
{
    static const QString dir = [] {
        const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString path = base + QStringLiteral("/velkorn-fuzz-%1").arg(getpid());
        QDir(path).removeRecursively();
        QDir().mkpath(path);
        std::atexit([] { QDir(scratchDir()).removeRecursively(); });
        return path;
    }();
    return dir;
}

inline QString writeScratchFile(const QString& name, const QByteArray& bytes)
{
    const QString path = scratchDir() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort(); // the scratch space itself failed: no input could be tested
    return path;
}

} // namespace fuzz
