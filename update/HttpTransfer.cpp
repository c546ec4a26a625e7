#include "update/HttpTransfer.h"

#include <curl/curl.h>

#include <exception>
#include <mutex>

namespace {

constexpr qint64 blockSize = 4096;

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TransferState
{
    CURL* curl = nullptr;
    const HttpTransfer::ResponseHandler* onResponse = nullptr;
    const HttpTransfer::BlockHandler* onBlock = nullptr;
    bool responded = false;
    bool stopped = false;
    std::exception_ptr failure;
};

qint64 announcedLength(CURL* curl)
{
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length > 0 ? static_cast<qint64>(length) : 0;
}

long responseCode(CURL* curl)
{
    long code = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

// A handler's exception cannot cross libcurl's C frames; it is kept and thrown again after the transfer.
size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    auto* state = static_cast<TransferState*>(user);
    const qint64 total = static_cast<qint64>(size * count);
    try {
        if (!state->responded) {
            state->responded = true;
            if (state->onResponse && *state->onResponse &&
                !(*state->onResponse)(responseCode(state->curl), announcedLength(state->curl))) {
                state->stopped = true;
                return 0;
            }
        }
        for (qint64 offset = 0; offset < total; offset += blockSize) {
            const qint64 n = std::min(blockSize, total - offset);
            if (state->onBlock && *state->onBlock && !(*state->onBlock)(data + offset, n)) {
                state->stopped = true;
                return 0;
            }
        }
    } catch (...) {
        state->failure = std::current_exception();
        return 0;
    }
    return static_cast<size_t>(total);
}

int checkAbort(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* check = static_cast<const std::function<bool()>*>(user);
    return (*check)() ? 1 : 0;
}

} // namespace

HttpTransfer::HttpTransfer()
{
    globalInit();
    m_curl = curl_easy_init();
}

HttpTransfer::~HttpTransfer()
{
    if (m_curl)
        curl_easy_cleanup(static_cast<CURL*>(m_curl));
}

void HttpTransfer::setTimeouts(int connectSeconds, int stallSeconds)
{
    m_connectSeconds = connectSeconds;
    m_stallSeconds = stallSeconds;
}

void HttpTransfer::setFtpLogin(const QString& user, const QString& password, bool passive)
{
    m_ftpUser = user.toUtf8();
    m_ftpPassword = password.toUtf8();
    m_ftpPassive = passive;
}

HttpTransfer::Response HttpTransfer::get(const QString& url, const QList<QByteArray>& headers,
                                         const ResponseHandler& onResponse, const BlockHandler& onBlock)
{
    curl_easy_reset(static_cast<CURL*>(m_curl));
    curl_easy_setopt(static_cast<CURL*>(m_curl), CURLOPT_HTTPGET, 1L);
    return perform(url, headers, onResponse, onBlock);
}

HttpTransfer::Response HttpTransfer::post(const QString& url, const QList<QByteArray>& headers, const QByteArray& body,
                                          const BlockHandler& onBlock)
{
    CURL* curl = static_cast<CURL*>(m_curl);
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, body.constData());
    return perform(url, headers, {}, onBlock);
}

HttpTransfer::Response HttpTransfer::connectOnly(const QString& url)
{
    CURL* curl = static_cast<CURL*>(m_curl);
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    return perform(url, {}, {}, {});
}

HttpTransfer::Response HttpTransfer::perform(const QString& url, const QList<QByteArray>& headers,
                                             const ResponseHandler& onResponse, const BlockHandler& onBlock)
{
    CURL* curl = static_cast<CURL*>(m_curl);
    Response response;
    if (!curl)
        return response;

    const QByteArray urlBytes = url.toUtf8();
    curl_slist* list = nullptr;
    for (const QByteArray& h : headers)
        list = curl_slist_append(list, h.constData());

    TransferState state;
    state.curl = curl;
    state.onResponse = &onResponse;
    state.onBlock = &onBlock;

    curl_easy_setopt(curl, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, m_connectSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, m_stallSeconds);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 65536L);
    if (m_abortCheck) {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &checkAbort);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &m_abortCheck);
    }
    if (!m_agent.isEmpty())
        curl_easy_setopt(curl, CURLOPT_USERAGENT, m_agent.constData());
    if (!m_proxy.isEmpty())
        curl_easy_setopt(curl, CURLOPT_PROXY, m_proxy.constData());
    if (url.startsWith("ftp://", Qt::CaseInsensitive)) {
        if (!m_ftpUser.isEmpty() && !m_ftpPassword.isEmpty()) {
            curl_easy_setopt(curl, CURLOPT_USERNAME, m_ftpUser.constData());
            curl_easy_setopt(curl, CURLOPT_PASSWORD, m_ftpPassword.constData());
        }
        if (!m_ftpPassive)
            curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
    }

    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(list);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    if (state.failure)
        std::rethrow_exception(state.failure);

    response.status = responseCode(curl);
    response.stopped = state.stopped;
    if (code != CURLE_OK && !state.stopped)
        response.error = QString::fromUtf8(curl_easy_strerror(code));

    // A response whose body never arrived (empty, cut off, or a redirect loop) still has its status.
    if (!state.responded && response.status > 0) {
        state.responded = true;
        if (onResponse && !onResponse(response.status, announcedLength(curl)))
            response.stopped = true;
    }
    response.opened = state.responded || (code == CURLE_OK);
    response.readError = response.opened && code != CURLE_OK && !state.stopped;
    return response;
}
