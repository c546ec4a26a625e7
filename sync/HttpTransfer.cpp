#include "sync/HttpTransfer.h"

#include "sync/FeedError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>
#include <stdexcept>

namespace catalogsync {

namespace {

void ensureCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Where the bytes of a transfer go; the callbacks run inside runTransfer.
struct Sink
{
    QFile* file = nullptr;
    qint64 received = 0;
    qint64 maxBytes = 0;
    bool writeFailed = false;
    bool probe = false; // the probe wants the status only: stop at the first body byte
};

size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (sink->probe)
        return 0;
    if (sink->received + qint64(n) > sink->maxBytes)
        return 0; // cut off: the file keeps what came before
    if (sink->file && sink->file->write(data, qint64(n)) != qint64(n)) {
        sink->writeFailed = true;
        return 0;
    }
    sink->received += qint64(n);
    return n;
}

// Runs one transfer through a multi handle so that the stop flag and the stall limit are looked at every
// 50 ms, whatever the server does.
CURLcode runTransfer(CURLM* multi, CURL* easy, const TransferOptions& options, bool* stopped)
{
    *stopped = false;
    curl_multi_add_handle(multi, easy);
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    curl_off_t lastBytes = -1;
    CURLcode result = CURLE_OK;
    bool done = false;
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
                result = msg->data.result;
                done = true;
            }
        }
        if (done || running == 0)
            break;
        if (options.stopRequested()) {
            *stopped = true;
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        curl_off_t bytes = 0;
        curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &bytes);
        if (bytes != lastBytes) {
            lastBytes = bytes;
            sinceProgress.restart();
        } else if (sinceProgress.elapsed() > options.stallTimeoutMs) {
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 50, nullptr);
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

void configure(CURL* easy, const QByteArray& url, const QByteArray& userAgent, const TransferOptions& options)
{
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.constData());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(options.connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeBody);
}

QByteArray executableName()
{
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QByteArray("velkorn") : QFileInfo(path).fileName().toUtf8();
}

// Shared by DownloadToFile and Downloader: the file is created first, then the transfer streams into it.
// An existing file is written over in place and cut to the new length afterwards: emptying it first frees its
// blocks, and on ext4 every such truncation forces a flush at close (over a second per thousand thumbnails).
bool download(CURLM* multi, CURL* easy, const QString& url, const QString& fileName, const TransferOptions& options,
              TransferOutcome* outcome)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite)) // ReadWrite: WriteOnly alone would truncate
        throw std::runtime_error(
            QStringLiteral("Cannot create %1: %2").arg(fileName, file.errorString()).toStdString());
    Sink sink;
    sink.file = &file;
    sink.maxBytes = options.maxBytes;
    configure(easy, url.toUtf8(), executableName(), options);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
    bool stopped = false;
    const CURLcode result = runTransfer(multi, easy, options, &stopped);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
    if (outcome) {
        outcome->status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &outcome->status);
        outcome->complete = result == CURLE_OK && !stopped;
    }
    if (stopped)
        throw SyncStopped();
    if (sink.writeFailed)
        throw std::runtime_error(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()).toStdString());
    if (!file.flush() || (file.size() != sink.received && !file.resize(sink.received)))
        throw std::runtime_error(QStringLiteral("Cannot close %1").arg(fileName).toStdString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(QStringLiteral("Cannot close %1").arg(fileName).toStdString());
    return true;
}

struct Handles
{
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    Handles()
    {
        ensureCurl();
        multi = curl_multi_init();
        easy = curl_easy_init();
        if (!multi || !easy)
            throw std::runtime_error("Cannot start the HTTP client");
    }
    ~Handles()
    {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
    }
};

} // namespace

bool TransferOptions::stopRequested() const
{
    return (stop && stop->load()) || QThread::currentThread()->isInterruptionRequested();
}

bool UrlReachable(const QString& url, const TransferOptions& options)
{
    QString target = url;
    if (!target.toLower().contains(QLatin1String("http://")))
        target.prepend(QLatin1String("http://"));
    ensureCurl();
    CURLM* multi = curl_multi_init();
    CURL* easy = curl_easy_init();
    if (!multi || !easy) {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        return false;
    }
    Sink sink;
    sink.probe = true;
    configure(easy, target.toUtf8(), QByteArrayLiteral("InetURL:/1.0"), options);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    bool stopped = false;
    const CURLcode result = runTransfer(multi, easy, options, &stopped);
    long status = 0;
    // A body cut off by the probe ends in a write error; the status line has arrived all the same.
    if (!stopped && (result == CURLE_OK || result == CURLE_WRITE_ERROR))
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(easy);
    curl_multi_cleanup(multi);
    return status == 200 || status == 302;
}

bool DownloadToFile(const QString& url, const QString& fileName, const TransferOptions& options)
{
    Handles h;
    return download(h.multi, h.easy, url, fileName, options, nullptr);
}

struct Downloader::Private
{
    TransferOptions options;
    Handles handles;
};

Downloader::Downloader(TransferOptions options) : d(new Private{std::move(options), {}}) {}

Downloader::~Downloader() = default;

bool Downloader::DownloadToFile(const QString& url, const QString& fileName, TransferOutcome* outcome)
{
    return download(d->handles.multi, d->handles.easy, url, fileName, d->options, outcome);
}

QString encodeQueryValue(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, QByteArrayLiteral(":")));
}

} // namespace catalogsync
