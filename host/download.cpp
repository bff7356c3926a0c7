#include "host/download.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include <curl/curl.h>

#include <QList>
#include <QSet>
#include <QUrl>

#include "catalog/version.h"

using namespace Qt::StringLiterals;

namespace {

std::mutex TestRoutesMutex;
std::optional<TTestRoutes> InstalledTestRoutes;

std::optional<TTestRoutes> TestRoutes()
{
    const std::lock_guard lock(TestRoutesMutex);
    return InstalledTestRoutes;
}

QByteArray ForTestTransport(const QByteArray &url, const std::optional<TTestRoutes> &routes)
{
    if (!routes || !routes->HttpsAsHttp || !url.startsWith("https://"))
        return url;
    QByteArray plain = "http://" + url.mid(8);
    qsizetype hostEnd = 7;
    while (hostEnd < plain.size() && !QByteArrayView("/?#").contains(plain[hostEnd]))
        ++hostEnd;
    if (plain.left(hostEnd).indexOf(':', 7) < 0)
        plain.insert(hostEnd, ":443");
    return plain;
}

using TClock = std::chrono::steady_clock;

constexpr int MaxRetries = 10;
constexpr long MaxRedirects = 5;
// How often a transfer looks at the cancel flag and the limits, in ms: Cancel in the
// wait window must feel immediate.
constexpr int PollMilliseconds = 20;

struct TEasyDeleter
{
    void operator()(CURL *easy) const { curl_easy_cleanup(easy); }
};
struct TMultiDeleter
{
    void operator()(CURLM *multi) const { curl_multi_cleanup(multi); }
};
struct TListDeleter
{
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
struct TUrlDeleter
{
    void operator()(CURLU *url) const { curl_url_cleanup(url); }
};
using TEasy = std::unique_ptr<CURL, TEasyDeleter>;
using TMulti = std::unique_ptr<CURLM, TMultiDeleter>;
using TList = std::unique_ptr<curl_slist, TListDeleter>;
using TUrl = std::unique_ptr<CURLU, TUrlDeleter>;

// curl_global_init is not safe to race with other threads' first handles; a function-local
// static runs it once, before any download thread makes a handle. Never undone: the
// process ends with it.
void InitCurlOnce()
{
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)init;
}

// A limit in ms as users read it: "15", "0.25".
QString Seconds(int milliseconds)
{
    QString text = QString::number(milliseconds / 1000.0, 'f', 3);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool NeedsEscape(uchar c)
{
    static constexpr char Unsafe[] = "\"<>\\^`{|}";
    return c <= 32 || c >= 127
           || std::find(Unsafe, Unsafe + sizeof Unsafe - 1, c) != Unsafe + sizeof Unsafe - 1;
}

// Header values come from plug-ins and earlier answers; a line break in them would let a
// page add headers of its own.
QByteArray OneLine(QByteArray value)
{
    value.removeIf([](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return value;
}

// One cookie of libcurl's cookie engine (a line of CURLINFO_COOKIELIST, Netscape format).
struct TCookie
{
    QByteArray Domain; // lower case, without the leading dot
    bool TailMatch = false;
    QByteArray Path;
    bool Secure = false;
    qint64 Expires = 0; // seconds since 1970; 0 for a session cookie
    QByteArray Name;
    QByteArray Value;
};

QList<TCookie> HeldCookies(CURL *easy)
{
    QList<TCookie> cookies;
    curl_slist *raw = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &raw) != CURLE_OK)
        return cookies;
    const TList list(raw);
    for (const curl_slist *item = raw; item; item = item->next) {
        QList<QByteArray> fields = QByteArray(item->data).split('\t');
        if (fields.size() < 7)
            continue;
        TCookie cookie;
        QByteArray domain = fields[0];
        if (domain.startsWith("#HttpOnly_"))
            domain.remove(0, 10);
        while (domain.startsWith('.'))
            domain.remove(0, 1);
        cookie.Domain = domain.toLower();
        cookie.TailMatch = fields[1] == "TRUE";
        cookie.Path = fields[2].isEmpty() ? QByteArray("/") : fields[2];
        cookie.Secure = fields[3] == "TRUE";
        cookie.Expires = fields[4].toLongLong();
        cookie.Name = fields[5];
        // A value may itself hold a tab.
        cookie.Value = fields.mid(6).join('\t');
        cookies.append(cookie);
    }
    return cookies;
}

struct TUrlParts
{
    QByteArray Scheme;
    QByteArray Host;
    QByteArray Path;
};

std::optional<TUrlParts> SplitUrl(const QByteArray &url)
{
    const TUrl handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.constData(), 0) != CURLUE_OK)
        return std::nullopt;
    const auto part = [&](CURLUPart which) {
        char *text = nullptr;
        QByteArray value;
        if (curl_url_get(handle.get(), which, &text, 0) == CURLUE_OK && text)
            value = text;
        curl_free(text);
        return value;
    };
    TUrlParts parts{
        part(CURLUPART_SCHEME).toLower(), part(CURLUPART_HOST).toLower(), part(CURLUPART_PATH)};
    if (parts.Host.startsWith('[') && parts.Host.endsWith(']'))
        parts.Host = parts.Host.mid(1, parts.Host.size() - 2);
    if (parts.Path.isEmpty())
        parts.Path = "/";
    return parts;
}

// The cookies a browser would send to the address (RFC 6265 domain and path matching),
// longest path first as libcurl sends them.
QList<TCookie> CookiesFor(const QList<TCookie> &held, const QByteArray &url)
{
    QList<TCookie> matching;
    const std::optional<TUrlParts> parts = SplitUrl(url);
    if (!parts)
        return matching;
    const qint64 now = std::time(nullptr);
    for (const TCookie &cookie : held) {
        const bool domainMatches =
            parts->Host == cookie.Domain
            || (cookie.TailMatch && parts->Host.endsWith("." + cookie.Domain));
        const bool pathMatches =
            parts->Path == cookie.Path
            || (parts->Path.startsWith(cookie.Path)
                && (cookie.Path.endsWith('/') || parts->Path.at(cookie.Path.size()) == '/'));
        if (!domainMatches || !pathMatches || (cookie.Secure && parts->Scheme != "https")
            || (cookie.Expires > 0 && cookie.Expires < now))
            continue;
        matching.append(cookie);
    }
    std::stable_sort(matching.begin(), matching.end(), [](const TCookie &a, const TCookie &b) {
        return a.Path.size() > b.Path.size();
    });
    return matching;
}

QByteArray CookieHeader(const QList<TCookie> &cookies)
{
    QList<QByteArray> pairs;
    for (const TCookie &cookie : cookies)
        pairs.append(cookie.Name + '=' + cookie.Value);
    return pairs.join("; ");
}

// The header value without the cookies named in `sent`: libcurl's cookie engine already
// sends those itself, and a name twice in one header confuses servers.
QByteArray WithoutNames(const QByteArray &header, const QSet<QByteArray> &sent)
{
    QList<QByteArray> kept;
    for (const QByteArray &piece : header.split(';')) {
        const QByteArray pair = piece.trimmed();
        if (!pair.isEmpty() && !sent.contains(pair.left(pair.indexOf('='))))
            kept.append(pair);
    }
    return kept.join("; ");
}

// What the callbacks of one request see and write.
struct TTransfer
{
    QByteArray *Sink = nullptr;
    QByteArray StatusLine; // of the last response ("HTTP/1.1 404 Not Found")
    bool TooLarge = false;
    // Connected and waiting for or reading the answer: the read time-out runs only then,
    // so a slow connect is the connect time-out's business.
    bool Armed = false;
    TClock::time_point LastActivity;
    curl_off_t LastUpload = 0;
};

size_t WriteBody(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<TTransfer *>(user);
    const size_t bytes = size * count;
    transfer->LastActivity = TClock::now();
    if (transfer->Sink->size() + qint64(bytes) > MaxResponseBytes) {
        transfer->TooLarge = true;
        return 0; // libcurl ends the transfer with CURLE_WRITE_ERROR
    }
    transfer->Sink->append(data, qsizetype(bytes));
    return bytes;
}

size_t ReadHeader(char *data, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<TTransfer *>(user);
    const size_t bytes = size * count;
    transfer->LastActivity = TClock::now();
    const QByteArrayView line(data, qsizetype(bytes));
    if (line.startsWith("HTTP/"))
        transfer->StatusLine = line.trimmed().toByteArray();
    return bytes;
}

// Called before each new socket connects: the connect phase is not read time.
int NoteConnecting(void *user, curl_socket_t, curlsocktype)
{
    static_cast<TTransfer *>(user)->Armed = false;
    return CURL_SOCKOPT_OK;
}

// Called once a connection stands (new or reused), before the request goes out.
int NoteConnected(void *user, char *, char *, int, int)
{
    auto *transfer = static_cast<TTransfer *>(user);
    transfer->Armed = true;
    transfer->LastActivity = TClock::now();
    return CURL_PREREQFUNC_OK;
}

// A request body going out counts as activity too.
int NoteProgress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded)
{
    auto *transfer = static_cast<TTransfer *>(user);
    if (uploaded != transfer->LastUpload) {
        transfer->LastUpload = uploaded;
        transfer->LastActivity = TClock::now();
    }
    return 0;
}

// The socket-level failures that the next attempt may cure. CURLE_OPERATION_TIMEDOUT can
// only come from the connect phase: the total limit and the read time-out are ours
// (below).
bool IsConnectionFailure(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return true;
    default:
        return false;
    }
}

class TCurlDownload
{
public:
    TCurlDownload(const TDownloadRequest &request, const std::atomic<bool> *cancel)
        : m_request(request)
        , m_cancel(cancel)
        , m_routes(TestRoutes())
    {}

    TDownloadResult Run();

private:
    enum class TStep { Ok, Retry, Fail, Cancelled, OutOfTime };
    struct TOutcome
    {
        TStep Step = TStep::Ok;
        QString Error;
    };

    bool Cancelled() const { return m_cancel && m_cancel->load(); }
    void Configure();
    TOutcome Attempt(TDownloadResult &result);
    TOutcome Fetch(const QByteArray &url, const QByteArray *postBody, QByteArray &sink);
    enum class TStop { None, Stalled, OutOfTime, Cancelled };
    CURLcode Perform(TStop &stop);
    int StallLimit() const;
    QString OutOfTimeText() const;
    QString ErrorText(CURLcode code) const;

    const TDownloadRequest &m_request;
    const std::atomic<bool> *m_cancel;
    const std::optional<TTestRoutes> m_routes;
    TClock::time_point m_deadline;
    // Declared so that the easy handle goes first and the list it points to last.
    TList m_connectTo;
    TMulti m_multi;
    TEasy m_easy;
    TTransfer m_transfer;
    char m_errors[CURL_ERROR_SIZE] = {};
    QByteArray m_multiError;
};

TDownloadResult TCurlDownload::Run()
{
    InitCurlOnce();
    TDownloadResult result;
    m_easy.reset(curl_easy_init());
    m_multi.reset(curl_multi_init());
    if (!m_easy || !m_multi) {
        result.ErrorText = u"The HTTP client could not be started."_s;
        return result;
    }
    const int total =
        m_request.Connection.TotalLimit > 0 ? m_request.Connection.TotalLimit : DefaultTotalLimitMs;
    m_deadline = TClock::now() + std::chrono::milliseconds(total);
    Configure();
    const int retries = std::clamp(m_request.Connection.Retries, 0, MaxRetries);
    for (int attempt = 0; attempt <= retries; ++attempt) {
        if (Cancelled())
            break;
        if (TClock::now() >= m_deadline) {
            result.ErrorText = OutOfTimeText();
            break;
        }
        const TOutcome outcome = Attempt(result);
        if (outcome.Step == TStep::Ok) {
            result.Ok = true;
            return result;
        }
        if (outcome.Step == TStep::Cancelled)
            break;
        result.ErrorText = outcome.Error;
        if (outcome.Step != TStep::Retry)
            break;
    }
    if (Cancelled())
        result.ErrorText = u"The download was cancelled."_s;
    result.Body.clear();
    return result;
}

void TCurlDownload::Configure()
{
    CURL *easy = m_easy.get();
    const TConnectionSettings &connection = m_request.Connection;
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errors);
    // Plug-ins and pages choose the addresses; nothing but the web may be read.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""); // the cookie engine, in memory only
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, MaxRedirects);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &m_transfer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, ReadHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &m_transfer);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, NoteConnecting);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, &m_transfer);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, NoteConnected);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, &m_transfer);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, NoteProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &m_transfer);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    // Connecting sends no byte either: without a connect time-out of its own the stall
    // limit bounds it, not libcurl's five minutes.
    const int connectTimeout =
        connection.ConnectTimeout > 0 ? connection.ConnectTimeout : StallLimit();
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(connectTimeout));
    if (!connection.UserAgent.isEmpty())
        curl_easy_setopt(
            easy, CURLOPT_USERAGENT, OneLine(connection.UserAgent.toUtf8()).constData());

    const QByteArray proxy =
        connection.UseProxy ? connection.ProxyServer.trimmed().toUtf8() : QByteArray();
    // An empty proxy also keeps libcurl from taking one from http_proxy and its kin.
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());
    if (!proxy.isEmpty()) {
        const int port = connection.ProxyPort;
        curl_easy_setopt(easy, CURLOPT_PROXYPORT, long(port >= 1 && port <= 65535 ? port : 80));
        if (!connection.ProxyUserName.isEmpty() && !connection.ProxyPassword.isEmpty()) {
            curl_easy_setopt(easy, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
            curl_easy_setopt(
                easy, CURLOPT_PROXYUSERNAME, connection.ProxyUserName.toUtf8().constData());
            curl_easy_setopt(
                easy, CURLOPT_PROXYPASSWORD, connection.ProxyPassword.toUtf8().constData());
        }
    }

    for (const QByteArray &entry : m_routes ? m_routes->ConnectTo : QList<QByteArray>()) {
        const QByteArray trimmed = entry.trimmed();
        if (trimmed.isEmpty())
            continue;
        curl_slist *head = m_connectTo.release();
        curl_slist *grown = curl_slist_append(head, trimmed.constData());
        m_connectTo.reset(grown ? grown : head);
    }
    if (m_connectTo)
        curl_easy_setopt(easy, CURLOPT_CONNECT_TO, m_connectTo.get());
}

TCurlDownload::TOutcome TCurlDownload::Attempt(TDownloadResult &result)
{
    CURL *easy = m_easy.get();
    const QByteArray url = ForTestTransport(EncodeRequestUrl(m_request.Url), m_routes);
    QByteArray cookies = OneLine(m_request.Cookies);
    if (!m_request.LoginUrl.isEmpty() && !m_request.PostBody.isEmpty()) {
        const QByteArray loginUrl =
            ForTestTransport(EncodeRequestUrl(m_request.LoginUrl), m_routes);
        // Form data on one line: the body's own "&" and "=" stay, blanks and other bytes
        // that a form may not hold raw are escaped as in an address's parameters.
        const QByteArray form = EncodeRequestUrl("?" + m_request.PostBody).mid(1);
        QByteArray ignored;
        curl_easy_setopt(easy, CURLOPT_REFERER, static_cast<const char *>(nullptr));
        curl_easy_setopt(easy, CURLOPT_COOKIE, static_cast<const char *>(nullptr));
        const TOutcome login = Fetch(loginUrl, &form, ignored);
        if (login.Step != TStep::Ok)
            return login;
        cookies = CookieHeader(CookiesFor(HeldCookies(easy), loginUrl));
    }
    if (Cancelled())
        return {TStep::Cancelled, {}};

    QSet<QByteArray> sentByEngine;
    for (const TCookie &cookie : CookiesFor(HeldCookies(easy), url))
        sentByEngine.insert(cookie.Name);
    cookies = WithoutNames(cookies, sentByEngine);
    curl_easy_setopt(easy, CURLOPT_COOKIE, cookies.isEmpty() ? nullptr : cookies.constData());
    const QByteArray referrer = OneLine(m_request.Referrer);
    curl_easy_setopt(easy, CURLOPT_REFERER, referrer.isEmpty() ? nullptr : referrer.constData());

    const TOutcome page = Fetch(url, nullptr, result.Body);
    if (page.Step != TStep::Ok)
        return page;

    const char *finalUrl = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl)
        result.FinalUrl = finalUrl;
    else
        result.FinalUrl = url;
    const char *type = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
        result.ContentType = ContentTypeCode(type);
        result.ContentTypeHeader = type;
    } else {
        result.ContentType = 0;
        result.ContentTypeHeader.clear();
    }
    result.CookiesAfter = CookieHeader(CookiesFor(HeldCookies(easy), result.FinalUrl));
    return {};
}

TCurlDownload::TOutcome
TCurlDownload::Fetch(const QByteArray &url, const QByteArray *postBody, QByteArray &sink)
{
    CURL *easy = m_easy.get();
    m_errors[0] = '\0';
    sink.clear();
    m_transfer.Sink = &sink;
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    if (postBody) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(postBody->size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, postBody->constData());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }

    TStop stop = TStop::None;
    const CURLcode code = Perform(stop);
    switch (stop) {
    case TStop::Cancelled:
        return {TStep::Cancelled, {}};
    case TStop::OutOfTime:
        return {TStep::OutOfTime, OutOfTimeText()};
    case TStop::Stalled:
        return {TStep::Fail,
                u"The download timed out after %1 s without data."_s.arg(
                    Seconds(m_request.Connection.ReadTimeout > 0 ? m_request.Connection.ReadTimeout
                                                                 : StallLimit()))};
    case TStop::None:
        break;
    }
    if (code != CURLE_OK) {
        if (m_transfer.TooLarge)
            return {TStep::Fail,
                    u"The answer is larger than %1 MB."_s.arg(MaxResponseBytes / (1024 * 1024))};
        return {IsConnectionFailure(code) ? TStep::Retry : TStep::Fail, ErrorText(code)};
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) {
        const QString line = QString::fromLatin1(m_transfer.StatusLine);
        return {TStep::Fail, line.isEmpty() ? u"HTTP error %1"_s.arg(status) : line};
    }
    return {};
}

int TCurlDownload::StallLimit() const
{
    const int limit = m_request.Connection.StallLimit;
    return limit > 0 ? limit : DefaultStallLimitMs;
}

QString TCurlDownload::OutOfTimeText() const
{
    const int total = m_request.Connection.TotalLimit;
    return u"The download timed out after %1 s."_s.arg(
        Seconds(total > 0 ? total : DefaultTotalLimitMs));
}

// Drives the one handle through a multi handle so that the wait can be cut short: the
// cancel flag, the total limit and the read time-out are looked at every
// PollMilliseconds.
CURLcode TCurlDownload::Perform(TStop &stop)
{
    CURL *easy = m_easy.get();
    CURLM *multi = m_multi.get();
    m_transfer.StatusLine.clear();
    m_transfer.TooLarge = false;
    m_transfer.Armed = false;
    m_transfer.LastUpload = 0;
    const std::chrono::milliseconds readTimeout(
        m_request.Connection.ReadTimeout > 0 ? m_request.Connection.ReadTimeout : StallLimit());
    m_multiError.clear();
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        m_multiError = "The HTTP client could not start the request.";
        return CURLE_FAILED_INIT;
    }
    CURLcode code = CURLE_FAILED_INIT;
    for (;;) {
        int running = 0;
        const CURLMcode state = curl_multi_perform(multi, &running);
        if (state != CURLM_OK) {
            m_multiError = curl_multi_strerror(state);
            break;
        }
        if (running == 0) {
            int left = 0;
            while (const CURLMsg *message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                    code = message->data.result;
            }
            break;
        }
        if (Cancelled()) {
            stop = TStop::Cancelled;
            break;
        }
        const TClock::time_point now = TClock::now();
        if (now >= m_deadline) {
            stop = TStop::OutOfTime;
            break;
        }
        if (m_transfer.Armed && now - m_transfer.LastActivity >= readTimeout) {
            stop = TStop::Stalled;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, PollMilliseconds, nullptr);
    }
    curl_multi_remove_handle(multi, easy);
    return code;
}

QString TCurlDownload::ErrorText(CURLcode code) const
{
    if (!m_multiError.isEmpty())
        return QString::fromUtf8(m_multiError);
    if (m_errors[0])
        return QString::fromUtf8(m_errors).trimmed();
    return QString::fromUtf8(curl_easy_strerror(code));
}

} // namespace

TDownloadResult Download(const TDownloadRequest &request, const std::atomic<bool> *cancel)
{
    return TCurlDownload(request, cancel).Run();
}

void SetTestRoutes(const std::optional<TTestRoutes> &routes)
{
    const std::lock_guard lock(TestRoutesMutex);
    InstalledTestRoutes = routes;
}

QString UserAgentFor(const QByteArray &url, const QString &configured)
{
    static constexpr const char *IdentifyingHosts[] = {
        "wikidata.org", "wikipedia.org", "wikimedia.org"};
    const QUrl parsed(QString::fromLatin1(url));
    const QString host = parsed.host().toLower();
    for (const char *domain : IdentifyingHosts) {
        const QString name = QString::fromLatin1(domain);
        if (host == name || host.endsWith(u'.' + name))
            return u"Reelkeep/"_s + QString::fromUtf16(ProgramVersionText)
                   + u" (+https://reelkeep.org/)"_s;
    }
    return configured;
}

int ContentTypeCode(QByteArrayView contentType)
{
    static constexpr std::pair<const char *, int> Codes[] = {{"text/html", 1},
                                                             {"json", 1},
                                                             {"text/xml", 2},
                                                             {"image/jpeg", 3},
                                                             {"image/gif", 4},
                                                             {"image/png", 5}};
    const QByteArray type = contentType.toByteArray().toLower();
    for (const auto &[name, code] : Codes) {
        if (type.contains(name))
            return code;
    }
    return 0;
}

QByteArray EncodeRequestUrl(const QByteArray &url)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    // The scheme and host stay as they are; only a "://" before any "/", "?" or "#" makes one.
    qsizetype start = 0;
    const qsizetype scheme = url.indexOf("://");
    if (scheme > 0 && url.left(scheme).indexOf('/') < 0 && url.left(scheme).indexOf('?') < 0
        && url.left(scheme).indexOf('#') < 0) {
        start = scheme + 3;
        while (start < url.size() && url[start] != '/' && url[start] != '?' && url[start] != '#')
            ++start;
    }
    QByteArray encoded = url.left(start);
    encoded.reserve(url.size() + 16);
    for (qsizetype i = start; i < url.size(); ++i) {
        const uchar c = uchar(url[i]);
        const bool keptEscape =
            c == '%' && i + 2 < url.size() && IsHexDigit(url[i + 1]) && IsHexDigit(url[i + 2]);
        if (!keptEscape && (c == '%' || NeedsEscape(c))) {
            encoded += '%';
            encoded += Hex[c >> 4];
            encoded += Hex[c & 15];
        } else {
            encoded += char(c);
        }
    }
    return encoded;
}
