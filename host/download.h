#pragma once

#include <atomic>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

class TDBItem;

// The user agent of the plug-in flows' default settings and, fixed, of the picture previews.
inline constexpr char DefaultUserAgent[] =
    "Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.1) Gecko/20020826";

// The limits every download gets unless the settings give others, in ms.
inline constexpr int DefaultTotalLimitMs = 60000;
inline constexpr int DefaultStallLimitMs = 15000;

// Section "Internet" of the settings, handed to every download when it starts.
struct TConnectionSettings
{
    bool UseProxy = false; // when false the four proxy values are ignored
    QString ProxyServer;   // no proxy when empty
    int ProxyPort = 80;    // 80 when outside 1..65535
    // Basic authentication at the proxy, only when both are non-empty (sent as UTF-8).
    QString ProxyUserName;
    QString ProxyPassword;
    QString UserAgent = QString::fromLatin1(DefaultUserAgent); // no header when empty
    int ConnectTimeout = -1; // ms; only a value above 0 replaces libcurl's default
    // ms without any byte arriving once connected; only a value above 0 sets a limit.
    int ReadTimeout = -1;
    // Further attempts after a connection failure; clamped to 0..10, the preferences' range.
    int Retries = 1;
    // ms the whole download may take, login, redirects and retries included. There is no
    // "forever": 0 and below take DefaultTotalLimitMs.
    int TotalLimit = DefaultTotalLimitMs;
    // ms without a byte arriving before the download gives up; it also bounds connecting.
    // A ConnectTimeout or ReadTimeout above 0 replaces it for its own phase. 0 and below
    // take DefaultStallLimitMs.
    int StallLimit = DefaultStallLimitMs;
};

// One request of a plug-in flow. The addresses and texts are 8-bit (ANSI) text as the
// plug-ins give them; the URL is percent-encoded here (EncodeRequestUrl), not by the caller.
struct TDownloadRequest
{
    QByteArray Url;
    TConnectionSettings Connection;
    int PluginIndex = -1; // handed back unchanged, as are Mode and Item
    quint8 Mode = 0;
    TDBItem *Item = nullptr;
    // When both are non-empty, every attempt first POSTs the body (form data) to the login
    // address and sends the cookies it got there with the page request.
    QByteArray LoginUrl;
    QByteArray PostBody;
    QByteArray Referrer; // no Referer header when empty
    QByteArray Cookies;  // a Cookie header value ("a=1; b=2") to send; ignored after a login
};

struct TDownloadResult
{
    bool Ok = false;
    QByteArray Body;
    int ContentType = 0;          // ContentTypeCode() of the last response
    QByteArray ContentTypeHeader; // the last response's Content-Type as sent, for its charset
    QByteArray FinalUrl;          // the address of the last request, after redirects
    QByteArray CookiesAfter;      // the cookies held for FinalUrl, as a Cookie header value
    QString ErrorText;            // set when !Ok
};

// The answer is at most this large; a bigger one fails rather than filling the memory.
inline constexpr qint64 MaxResponseBytes = 64 * 1024 * 1024;

// Fetches the request on the calling thread with one libcurl handle and returns when it
// has finished, failed, run into the total or stall limit ("The download timed out after
// N s ...") or noticed `*cancel` (checked about every 20 ms; may be null; the result is
// then a failure "The download was cancelled.").
// Cookies are kept for the length of the call; redirects are followed, at most 5; only
// http and https are spoken. Each attempt logs in (when asked) and GETs the page; a
// connection failure (host or proxy not resolved, connection refused or timed out,
// a send or receive error on the socket) starts the next attempt while Retries allow.
// An HTTP status of 400 or more, a read time-out, a malformed address and every other
// error fail at once; no attempt starts after the total limit has passed.
TDownloadResult Download(const TDownloadRequest &request, const std::atomic<bool> *cancel);

// Test seam: where the downloads go. The program installs no routes and talks to every
// address as it is; tests install them to reach a loopback server under the sites' own
// names.
struct TTestRoutes
{
    // libcurl's CURLOPT_CONNECT_TO entries, "HOST:PORT:CONNECT-TO-HOST:CONNECT-TO-PORT":
    // requests for HOST:PORT go to another address while the URL, Host header and cookies
    // keep the original name.
    QList<QByteArray> ConnectTo;
    // An "https://HOST" address goes out as plain "http://HOST:443", so that a server
    // without TLS can stand in for it.
    bool HttpsAsHttp = false;
};
// For the downloads that start from now on, from any thread; nullopt removes the routes.
void SetTestRoutes(const std::optional<TTestRoutes> &routes);

// 1 for a Content-Type containing "text/html" or "json" (text the plug-ins parse), 2
// "text/xml", 3 "image/jpeg", 4 "image/gif", 5 "image/png" (tested in that order, ignoring
// case), 0 for anything else.
int ContentTypeCode(QByteArrayView contentType);

// The user agent the downloads to `url` send: the program's own, descriptive one
// ("Reelkeep/VERSION (+https://reelkeep.org/)") for the Wikimedia services, whose usage
// policy requires a client to name itself, else `configured` unchanged.
QString UserAgentFor(const QByteArray &url, const QString &configured);

// The address with its path and parameters percent-encoded the way EncodeUrlText writes a
// byte ("%" and two upper-case hex digits): bytes up to 32 and from 127, and
// " < > \ ^ ` { | }, are encoded; so is a "%" not followed by two hex digits. Everything
// that gives the address its shape ("/", "?", "&", "=", "#", existing escapes) stays, and
// the scheme and host are left alone. Encoding an encoded address changes nothing.
QByteArray EncodeRequestUrl(const QByteArray &url);
