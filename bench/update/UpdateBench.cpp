// Downloads an SZDD-compressed file from the update routes on loopback through TWebUpdate, computes its
// checksum and expands it, and prints the throughput and the peak memory for two sizes, so that one can
// see that memory does not grow with the file. It also times the checks that a signed update adds (the
// control file's signature, the download's SHA-256) and prints the end-to-end time with and without them.
//
//   update_bench [MB]     (default 200; a run with a tenth of the size goes first for comparison)
#include "UpdateRoutes.h"

#include "support/SignedRelease.h"

#include "update/TWebUpdate.h"
#include "update/UpdateFormats.h"
#include "update/archive/Szdd.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <httplib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

using update::httpUpdate;
using update::TWebUpdate;

namespace {

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// An SZDD file made of literal groups only (a control byte 0xFF before every eight bytes): valid for every
// expander, written in a stream so that making it costs no memory.
void writeSzdd(const QString& path, qint64 size)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::perror("create");
        std::exit(1);
    }
    QByteArray header("SZDD\x88\xF0\x27\x33", 8);
    header.append('A');
    header.append('n');
    for (int i = 0; i < 4; ++i)
        header.append(char((size >> (8 * i)) & 0xFF));
    out.write(header);
    QByteArray block;
    block.reserve(9 * 8192);
    quint32 seed = 12345;
    qint64 written = 0;
    while (written < size) {
        block.clear();
        for (int g = 0; g < 8192 && written < size; ++g) {
            const int n = int(std::min<qint64>(8, size - written));
            block.append(char(0xFF));
            for (int k = 0; k < n; ++k) {
                seed = seed * 1103515245u + 12345u;
                block.append(char(seed >> 24));
            }
            written += n;
        }
        out.write(block);
    }
}

struct Figures
{
    double downloadSeconds = 0, checksumSeconds = 0, expandSeconds = 0;
    double checkedDownloadSeconds = 0; // the download as a signed update: signature, control file, SHA-256
    long peakKb = 0;
    long baselineKb = 0;
};

Figures runOnce(const QString& dir, qint64 megabytes)
{
    const qint64 size = megabytes * 1024 * 1024;
    const QString updates = dir + "/updates", target = dir + "/target";
    QDir().mkpath(updates);
    QDir().mkpath(target);

    // Made in a child process, so that its memory does not count in this one's peak.
    const pid_t child = fork();
    if (child == 0) {
        writeSzdd(updates + "/big.bi_", size);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);

    httplib::Server server;
    UpdateRouteOptions options;
    options.folder = updates.toStdString();
    addUpdateRoutes(server, options);
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });

    Figures f;
    f.baselineKb = peakRssKb();
    TWebUpdate upd;
    upd.UpdateType = httpUpdate;
    upd.TempDirectory = target;
    upd.UserID = "update";
    upd.Password = "refreshx";
    upd.URL = QString("http://127.0.0.1:%1/velkorn.INF").arg(port); // the credentials go to this host only
    upd.OpenSession();

    QElapsedTimer timer;
    timer.start();
    const bool ok = upd.DownloadFile(QString("http://127.0.0.1:%1/big.bi_").arg(port), target, false);
    f.downloadSeconds = timer.nsecsElapsed() / 1e9;
    if (!ok || QFileInfo(target + "/big.bi_").size() != size + 14 + (size + 7) / 8) {
        std::fprintf(stderr, "download failed\n");
        std::exit(1);
    }

    // The same file as a signed update brings it: the control file fetched with its signature and checked, then
    // the file, whose SHA-256 is checked before it is placed (the digest is the publisher's, made beforehand).
    const QString controlFile = updates + "/velkorn.INF";
    QFile inf(controlFile);
    // Targets lie in the Application directory, which is the current one, as in the program.
    QDir::setCurrent(dir);
    const QByteArray list = QString("[update]\nunconditional=1\n[files]\ncount=1\n[file1]\nurl=http://127.0.0.1:%1/"
                                    "big.bi_\ntargetdir={APP}\\target\nsha256=%2\n")
                                .arg(port)
                                .arg(testsigning::fileSha256Hex(updates + "/big.bi_"))
                                .toUtf8();
    if (!inf.open(QIODevice::WriteOnly) || inf.write(list) < 0 ||
        (inf.close(), !testsigning::signRelease(controlFile))) {
        std::fprintf(stderr, "the signed control file could not be made (is minisign installed?)\n");
        std::exit(1);
    }
    upd.UpdateUpdate = update::wuuSilent;
    upd.setUserTempDirectory(dir);
    upd.releaseStateFile = dir + "/release-state.ini";
    // Other work on the machine makes single runs noisy: each way runs three times, in turns, and the best counts.
    f.checkedDownloadSeconds = 1e9;
    for (int round = 0; round < 3; ++round) {
        QFile::remove(target + "/big.bi_");
        timer.restart();
        const bool checked = upd.FetchControlFile() == 0 && upd.LoadFileList() == 1 && upd.DownloadFiles() == 0;
        f.checkedDownloadSeconds = std::min(f.checkedDownloadSeconds, timer.nsecsElapsed() / 1e9);
        if (!checked || !QFile::exists(target + "/big.bi_")) {
            std::fprintf(stderr, "the signed download failed\n");
            std::exit(1);
        }
        if (round < 2) {
            timer.restart();
            const bool plain = upd.DownloadFile(QString("http://127.0.0.1:%1/big.bi_").arg(port), target, false);
            f.downloadSeconds = std::min(f.downloadSeconds, timer.nsecsElapsed() / 1e9);
            if (!plain) {
                std::fprintf(stderr, "download failed\n");
                std::exit(1);
            }
        }
    }

    timer.restart();
    const qint32 checksum = update::byteSumChecksum(target + "/big.bi_");
    f.checksumSeconds = timer.nsecsElapsed() / 1e9;

    timer.restart();
    QString error;
    if (!archive::expandSzdd(target + "/big.bi_", target + "/big.bin", &error)) {
        std::fprintf(stderr, "expansion failed: %s\n", qPrintable(error));
        std::exit(1);
    }
    f.expandSeconds = timer.nsecsElapsed() / 1e9;
    f.peakKb = peakRssKb();
    std::printf("  checksum %d, expanded %lld bytes\n", checksum, QFileInfo(target + "/big.bin").size());

    upd.CloseSession();
    server.stop();
    thread.join();
    return f;
}

void print(qint64 megabytes, const Figures& f)
{
    const double total = f.downloadSeconds + f.checksumSeconds + f.expandSeconds;
    std::printf("%5lld MB: download %.2f s (%.0f MB/s), checksum %.2f s, expand %.2f s; end to end %.0f MB/s\n",
                megabytes, f.downloadSeconds, megabytes / f.downloadSeconds, f.checksumSeconds, f.expandSeconds,
                megabytes / total);
    const double checkedTotal = f.checkedDownloadSeconds + f.checksumSeconds + f.expandSeconds;
    std::printf(
        "        signed update: download with signature and SHA-256 checks %.2f s; end to end %.2f s without the "
        "checks, %.2f s with them (+%.1f%%)\n",
        f.checkedDownloadSeconds, total, checkedTotal, 100.0 * (checkedTotal - total) / total);
    std::printf("        peak memory %ld KB (before the transfer %ld KB, growth %ld KB)\n", f.peakKb, f.baselineKb,
                f.peakKb - f.baselineKb);
}

} // namespace

int main(int argc, char** argv)
{
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 200;
    QTemporaryDir small, large;
    const qint64 smallMb = std::max<qint64>(1, megabytes / 10);
    const Figures a = runOnce(small.path(), smallMb);
    print(smallMb, a);
    const Figures b = runOnce(large.path(), megabytes);
    print(megabytes, b);
    std::printf("target: end to end >= 100 MB/s; peak memory the same for both sizes; the checks of a signed update "
                "add under 10%%\n");
    return 0;
}
