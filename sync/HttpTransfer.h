#pragma once

#include "base/StopToken.h"

#include <QString>

#include <memory>

namespace catalogsync {

// Limits of every transfer of the synchronisation. A stop (the token raised, or an interruption requested on the
// calling QThread) aborts a running transfer within a few tens of milliseconds.
struct TransferOptions
{
    int connectTimeoutMs = 15000;
    int stallTimeoutMs = 30000;          // no byte received for this long ends the transfer
    qint64 maxBytes = qint64(256) << 20; // a body beyond this is cut off (the file keeps what came)
    base::StopToken stop;

    bool stopRequested() const;
};

// The reachability probe: true exactly when the server answers the GET with status 200 or 302. Redirects are
// not followed and the body is not read. "http://" is put in front when the URL does not contain it.
bool UrlReachable(const QString& url, const TransferOptions& options = {});

// Downloads `url` into `fileName`, replacing the file; whatever body the server sends becomes the file, and a
// broken or refused transfer leaves it empty or truncated. Returns true when the transfer loop has ended.
// Throws std::runtime_error when the file cannot be created, written or closed, and SyncStopped on a stop.
bool DownloadToFile(const QString& url, const QString& fileName, const TransferOptions& options = {});

// What one download brought, for callers that keep a file only when it arrived whole.
struct TransferOutcome
{
    long status = 0;       // the HTTP status; 0 when no answer came
    bool complete = false; // the whole body arrived: not broken off, stalled, stopped or cut at maxBytes

    bool succeeded() const { return complete && status >= 200 && status < 300; }
};

// Downloads one after another over one reused connection (the thumbnails of a run).
class Downloader
{
public:
    explicit Downloader(TransferOptions options);
    ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // As the free function; `outcome`, when given, receives the status and whether the body arrived whole.
    bool DownloadToFile(const QString& url, const QString& fileName, TransferOutcome* outcome = nullptr);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Puts a text into a URL's query: everything but unreserved characters and ':' is percent-encoded (the blank
// becomes %20), so the server receives the text exactly.
QString encodeQueryValue(const QString& text);

} // namespace catalogsync
