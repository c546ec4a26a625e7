#include "sync/HttpTransfer.h"

#include "base/Transfer.h"
#include "sync/FeedError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <stdexcept>

namespace catalogsync {

namespace {

QByteArray executableName()
{
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QByteArray("velkorn") : QFileInfo(path).fileName().toUtf8();
}

void applyOptions(base::Transfer& transfer, const TransferOptions& options)
{
    transfer.setLimits({options.connectTimeoutMs, options.stallTimeoutMs, options.maxBytes});
    transfer.setStopToken(options.stop);
}

base::Transfer& validated(base::Transfer& transfer)
{
    if (!transfer.isValid())
        throw std::runtime_error("Cannot start the HTTP client");
    return transfer;
}

// Shared by DownloadToFile and Downloader: the file is created first, then the transfer streams into it.
// An existing file is written over in place and cut to the new length afterwards: emptying it first frees its
// blocks, and on ext4 every such truncation forces a flush at close (over a second per thousand thumbnails).
bool download(base::Transfer& transfer, const QString& url, const QString& fileName, TransferOutcome* outcome)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite)) // ReadWrite: WriteOnly alone would truncate
        throw std::runtime_error(
            QStringLiteral("Cannot create %1: %2").arg(fileName, file.errorString()).toStdString());
    bool writeFailed = false;
    base::Transfer::Request request;
    request.url = url.toUtf8();
    request.agent = executableName();
    // Whatever body the server sends becomes the file; a body cut off by the cap keeps what came before.
    const base::Transfer::Result result = transfer.run(request, [&](const char* data, qint64 size) {
        if (file.write(data, size) == size)
            return true;
        writeFailed = true;
        return false;
    });
    if (outcome) {
        outcome->status = result.status;
        outcome->complete = result.outcome == base::Transfer::Outcome::Completed;
    }
    if (result.outcome == base::Transfer::Outcome::Stopped)
        throw SyncStopped();
    if (writeFailed)
        throw std::runtime_error(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()).toStdString());
    if (!file.flush() || (file.size() != result.received && !file.resize(result.received)))
        throw std::runtime_error(QStringLiteral("Cannot close %1").arg(fileName).toStdString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(QStringLiteral("Cannot close %1").arg(fileName).toStdString());
    return true;
}

} // namespace

bool TransferOptions::stopRequested() const
{
    return stop.stopRequested();
}

bool UrlReachable(const QString& url, const TransferOptions& options)
{
    QString target = url;
    if (!target.toLower().contains(QLatin1String("http://")) && !target.toLower().contains(QLatin1String("https://")))
        target.prepend(QLatin1String("http://"));
    base::Transfer transfer;
    if (!transfer.isValid())
        return false;
    applyOptions(transfer, options);
    base::Transfer::Request request;
    request.url = target.toUtf8();
    request.agent = QByteArrayLiteral("InetURL:/1.0");
    request.freshConnect = true;
    // The probe wants the status only: it ends at the first body byte, when the status line has arrived.
    const base::Transfer::Result result = transfer.run(request, [](const char*, qint64) { return false; });
    using Outcome = base::Transfer::Outcome;
    const bool answered =
        result.outcome == Outcome::Completed || result.outcome == Outcome::Refused || result.outcome == Outcome::CutOff;
    return answered && (result.status == 200 || result.status == 302);
}

bool DownloadToFile(const QString& url, const QString& fileName, const TransferOptions& options)
{
    base::Transfer transfer;
    applyOptions(validated(transfer), options);
    return download(transfer, url, fileName, nullptr);
}

struct Downloader::Private
{
    base::Transfer transfer;
};

Downloader::Downloader(TransferOptions options) : d(new Private)
{
    applyOptions(validated(d->transfer), options);
}

Downloader::~Downloader() = default;

bool Downloader::DownloadToFile(const QString& url, const QString& fileName, TransferOutcome* outcome)
{
    return download(d->transfer, url, fileName, outcome);
}

QString encodeQueryValue(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, QByteArrayLiteral(":")));
}

} // namespace catalogsync
