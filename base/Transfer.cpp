#include "base/Transfer.h"

#include <QElapsedTimer>

#include <curl/curl.h>

#include <algorithm>
#include <exception>
#include <mutex>

namespace base {

struct Transfer::Handles
{
    CURLM* multi = nullptr;
    CURL* easy = nullptr;

    Handles()
    {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        multi = curl_multi_init();
        easy = curl_easy_init();
    }
    ~Handles()
    {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
    }
};

namespace {

// Where the body goes; the write callback runs inside Transfer::run.
struct Sink
{
    const Transfer::BlockHandler* onBlock = nullptr;
    qint64 blockSize = 0;
    qint64 maxBytes = 0;
    qint64 received = 0;
    bool cutOff = false;
    bool refused = false;
    std::exception_ptr failure;
};

// A handler's exception cannot cross libcurl's C frames; it is kept and thrown again after the transfer.
size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    const qint64 total = static_cast<qint64>(size * count);
    if (sink->maxBytes > 0 && sink->received + total > sink->maxBytes) {
        sink->cutOff = true;
        return 0;
    }
    const qint64 step = sink->blockSize > 0 ? sink->blockSize : std::max<qint64>(total, 1);
    try {
        for (qint64 offset = 0; offset < total; offset += step) {
            const qint64 n = std::min(step, total - offset);
            if (*sink->onBlock && !(*sink->onBlock)(data + offset, n)) {
                sink->refused = true;
                return 0;
            }
            sink->received += n;
        }
    } catch (...) {
        sink->failure = std::current_exception();
        return 0;
    }
    return static_cast<size_t>(total);
}

QString curlText(CURLcode code)
{
    return QString::fromUtf8(curl_easy_strerror(code));
}

void configure(CURL* easy, const Transfer::Request& request, const Transfer::Limits& limits, curl_slist* headers,
               Sink* sink)
{
    curl_easy_reset(easy);
    switch (request.method) {
    case Transfer::Method::Get:
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        break;
    case Transfer::Method::Post:
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body.constData());
        break;
    case Transfer::Method::ConnectOnly:
        curl_easy_setopt(easy, CURLOPT_CONNECT_ONLY, 1L);
        break;
    }
    curl_easy_setopt(easy, CURLOPT_URL, request.url.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, request.allowFtp ? "http,https,ftp" : "http,https");
    // A request that began on https never goes on over plain http.
    const bool https = request.url.startsWith("https://") || request.url.startsWith("HTTPS://");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : "http,https");
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    // Without an authority of its own, the request trusts the system's store, or the one that SSL_CERT_FILE names as
    // for OpenSSL's own programs (a maker's private authority; the end-to-end tests' loopback certificate).
    const QByteArray systemBundle = qgetenv("SSL_CERT_FILE");
    if (!request.caBundle.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, request.caBundle.constData());
    else if (!systemBundle.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, systemBundle.constData());
    if (!request.httpUser.isEmpty() || !request.httpPassword.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.httpUser.constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.httpPassword.constData());
        curl_easy_setopt(easy, CURLOPT_UNRESTRICTED_AUTH, 0L);
    }
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 65536L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &writeBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, sink);
    if (request.freshConnect)
        curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    if (!request.agent.isEmpty())
        curl_easy_setopt(easy, CURLOPT_USERAGENT, request.agent.constData());
    if (!request.proxy.isEmpty())
        curl_easy_setopt(easy, CURLOPT_PROXY, request.proxy.constData());
    if (!request.ftpUser.isEmpty() && !request.ftpPassword.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.ftpUser.constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.ftpPassword.constData());
    }
    if (request.ftpActive)
        curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
}

} // namespace

Transfer::Transfer() : m_handles(std::make_unique<Handles>()) {}

Transfer::~Transfer() = default;

bool Transfer::isValid() const
{
    return m_handles->multi && m_handles->easy;
}

long Transfer::responseCode() const
{
    long code = 0;
    if (m_handles->easy)
        curl_easy_getinfo(m_handles->easy, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

qint64 Transfer::announcedLength() const
{
    curl_off_t length = -1;
    if (m_handles->easy)
        curl_easy_getinfo(m_handles->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length > 0 ? static_cast<qint64>(length) : 0;
}

Transfer::Result Transfer::run(const Request& request, const BlockHandler& onBlock)
{
    Result result;
    if (!isValid()) {
        result.error = curlText(CURLE_FAILED_INIT);
        return result;
    }
    CURLM* multi = m_handles->multi;
    CURL* easy = m_handles->easy;

    Sink sink;
    sink.onBlock = &onBlock;
    sink.blockSize = request.blockSize;
    sink.maxBytes = m_limits.maxBytes;
    curl_slist* headers = nullptr;
    for (const QByteArray& line : request.headers)
        headers = curl_slist_append(headers, line.constData());
    configure(easy, request, m_limits, headers, &sink);

    curl_multi_add_handle(multi, easy);
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    curl_off_t lastBytes = -1;
    CURLcode code = CURLE_OK;
    bool stopped = false;
    bool stalled = false;
    for (bool done = false; !done;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            code = CURLE_RECV_ERROR;
            break;
        }
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
                code = msg->data.result;
                done = true;
            }
        }
        if (done || running == 0)
            break;
        if (m_stop.stopRequested() || (request.idle && !request.idle())) {
            stopped = true;
            break;
        }
        curl_off_t bytes = 0;
        curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &bytes);
        if (bytes != lastBytes) {
            lastBytes = bytes;
            sinceProgress.restart();
        } else if (sinceProgress.elapsed() > m_limits.stallTimeoutMs) {
            stalled = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 50, nullptr);
    }
    curl_multi_remove_handle(multi, easy);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
    curl_slist_free_all(headers);
    if (sink.failure)
        std::rethrow_exception(sink.failure);

    result.status = responseCode();
    result.received = sink.received;
    if (stopped) {
        result.outcome = Outcome::Stopped;
        result.error = curlText(CURLE_ABORTED_BY_CALLBACK);
    } else if (stalled) {
        result.outcome = Outcome::TimedOut;
        result.error = curlText(CURLE_OPERATION_TIMEDOUT);
    } else if (sink.refused) {
        result.outcome = Outcome::Refused;
    } else if (sink.cutOff) {
        result.outcome = Outcome::CutOff;
        result.error = curlText(code);
    } else if (code == CURLE_OK) {
        result.outcome = Outcome::Completed;
    } else {
        result.outcome = code == CURLE_OPERATION_TIMEDOUT ? Outcome::TimedOut : Outcome::Failed;
        result.error = curlText(code);
    }
    return result;
}

} // namespace base
