// Downloads against loopback servers standing in for the sites, a proxy and broken peers.
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>

#include "catalog/version.h"
#include "host/download.h"
#include "host/downloader.h"
#include "host/downloadthread.h"
#include "host/pluginregistry.h"
#include "host/updatethread.h"
#include "plugin_api/importu.h"

namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

// What a server saw of one request, kept before it answers.
struct TSeen
{
    std::string Method;
    std::string Target;
    httplib::Headers Headers;

    std::string Header(const char *name) const
    {
        const auto found = Headers.find(name);
        return found == Headers.end() ? std::string() : found->second;
    }
};

// A cpp-httplib server on a free loopback port, serving on its own thread. Slow handlers
// call Stall(), which lasts until the server is torn down, so no test waits for them.
class TLoopback
{
public:
    explicit TLoopback(const std::function<void(httplib::Server &, TLoopback &)> &routes)
    {
        m_server.set_pre_routing_handler(
            [this](const httplib::Request &request, httplib::Response &) {
                std::lock_guard lock(m_mutex);
                m_seen.push_back({request.method, request.target, request.headers});
                return httplib::Server::HandlerResponse::Unhandled;
            });
        routes(m_server, *this);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::yield();
    }
    ~TLoopback()
    {
        m_released = true;
        m_server.stop();
        m_thread.join();
    }

    void Stall() const
    {
        for (int i = 0; i < 500 && !m_released; ++i)
            std::this_thread::sleep_for(10ms);
    }
    bool Released() const { return m_released; }
    int Port() const { return m_port; }
    QByteArray Url(const char *path) const
    {
        return "http://127.0.0.1:" + QByteArray::number(m_port) + path;
    }
    std::vector<TSeen> Seen()
    {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }
    // Request bodies are read after routing starts; handlers that care keep them here.
    void KeepBody(const std::string &body)
    {
        std::lock_guard lock(m_mutex);
        m_bodies.push_back(body);
    }
    std::vector<std::string> Bodies()
    {
        std::lock_guard lock(m_mutex);
        return m_bodies;
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<bool> m_released{false};
    std::mutex m_mutex;
    std::vector<TSeen> m_seen;
    std::vector<std::string> m_bodies;
};

// A TCP socket bound to a free loopback port, not yet listening.
int BoundLoopbackSocket(int &port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    return socket;
}

// Accepts connections and resets each at once: a socket error after connecting, which
// counts as a connection failure, with every attempt counted.
class TResetListener
{
public:
    TResetListener()
    {
        m_socket = BoundLoopbackSocket(m_port);
        ::listen(m_socket, 16);
        m_thread = std::thread([this] {
            while (!m_stop) {
                pollfd waiting{m_socket, POLLIN, 0};
                if (::poll(&waiting, 1, 20) <= 0)
                    continue;
                const int peer = ::accept(m_socket, nullptr, nullptr);
                if (peer < 0)
                    continue;
                ++m_accepted;
                const linger reset{1, 0};
                ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                ::close(peer);
            }
        });
    }
    ~TResetListener()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_socket);
    }
    int Port() const { return m_port; }
    int Accepted() const { return m_accepted; }

private:
    int m_socket = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
};

// A loopback port nobody listens on.
int RefusedPort()
{
    int port = 0;
    ::close(BoundLoopbackSocket(port));
    return port;
}

// Generous limits: a broken download fails the test instead of hanging it.
TDownloadRequest Request(const QByteArray &url, int retries = 0)
{
    TDownloadRequest request;
    request.Url = url;
    request.Connection.ConnectTimeout = 3000;
    request.Connection.ReadTimeout = 3000;
    request.Connection.Retries = retries;
    return request;
}

TEST(DownloadTest, ContentTypeCodes)
{
    const std::pair<const char *, int> cases[] = {
        {"text/html; charset=windows-1251", 1},
        {"Text/HTML", 1},
        {"text/xml", 2},
        {"image/jpeg", 3},
        {"image/pjpeg", 0},
        {"image/gif", 4},
        {"image/png", 5},
        {"application/xhtml+xml", 0},
        {"application/json; charset=utf-8", 1},
        {"application/sparql-results+json", 1},
        {"", 0},
    };
    for (const auto &[type, code] : cases)
        EXPECT_EQ(ContentTypeCode(type), code) << type;
}

TEST(DownloadTest, WikimediaServicesGetTheProgramsUserAgent)
{
    const QString configured = u"Mozilla/5.0"_s;
    const QString own = UserAgentFor("https://query.wikidata.org/sparql?query=x", configured);
    EXPECT_TRUE(own.startsWith(u"Reelkeep/"_s)) << own.toStdString();
    EXPECT_EQ(UserAgentFor("https://commons.wikimedia.org/wiki/Special:FilePath/a.jpg", {}), own);
    EXPECT_EQ(UserAgentFor("https://de.wikipedia.org/w/api.php", {}), own);
    for (const char *other : {"http://www.filmaffinity.com/es/film1.html",
                              "https://notwikidata.org/",
                              "https://wikidata.org.example/"})
        EXPECT_EQ(UserAgentFor(other, configured), configured) << other;
}

TEST(DownloadTest, EncodesPathAndParametersButKeepsTheirShape)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"http://h.test/find film.php?q=Am\xe9lie & co&y=2001",
         "http://h.test/find%20film.php?q=Am%E9lie%20&%20co&y=2001"},
        {"http://h.test/100% pure?x=%zz&y=%4", "http://h.test/100%25%20pure?x=%25zz&y=%254"},
        {"http://h.test/a%20b?q=%C3%A9#top", "http://h.test/a%20b?q=%C3%A9#top"},
        {"http://h.test:8080?q=\"x\"|{y}", "http://h.test:8080?q=%22x%22%7C%7By%7D"},
        {QByteArray("http://h.test/n\0ul\r\n", 20), "http://h.test/n%00ul%0D%0A"},
        {"", ""},
    };
    for (const auto &[raw, encoded] : cases) {
        EXPECT_EQ(EncodeRequestUrl(raw), encoded) << raw.toStdString();
        EXPECT_EQ(EncodeRequestUrl(encoded), encoded) << "twice: " << raw.toStdString();
    }
}

TEST(DownloadTest, FollowsFiveRedirectsButNotSix)
{
    TLoopback server([](httplib::Server &s, TLoopback &) {
        s.Get(R"(/hop/(\d+))", [](const httplib::Request &request, httplib::Response &response) {
            const int left = std::stoi(request.matches[1]);
            if (left > 0)
                response.set_redirect("/hop/" + std::to_string(left - 1));
            else
                response.set_content("\xFF\xD8picture", "image/jpeg");
        });
    });

    const TDownloadResult five = Download(Request(server.Url("/hop/5")), nullptr);
    ASSERT_TRUE(five.Ok) << five.ErrorText.toStdString();
    EXPECT_EQ(five.Body, "\xFF\xD8picture");
    EXPECT_EQ(five.ContentType, 3);
    EXPECT_EQ(five.FinalUrl, server.Url("/hop/0"));

    const TDownloadResult six = Download(Request(server.Url("/hop/6"), 2), nullptr);
    EXPECT_FALSE(six.Ok);
    EXPECT_FALSE(six.ErrorText.isEmpty());
    EXPECT_TRUE(six.Body.isEmpty());
    // Not a connection failure: no second attempt.
    EXPECT_EQ(server.Seen().size(), 6u + 6u);
}

TEST(DownloadTest, CookiesOfARedirectReachThePageAndComeBack)
{
    TLoopback server([](httplib::Server &s, TLoopback &) {
        s.Get("/start", [](const httplib::Request &, httplib::Response &response) {
            response.set_header("Set-Cookie", "sid=42; Path=/");
            response.set_redirect("/page");
        });
        s.Get("/page", [](const httplib::Request &request, httplib::Response &response) {
            response.set_content(request.get_header_value("Cookie"), "text/html; charset=utf-8");
        });
    });

    TDownloadRequest request = Request(server.Url("/start"));
    request.Cookies = "pref=wide";
    const TDownloadResult result = Download(request, nullptr);
    ASSERT_TRUE(result.Ok) << result.ErrorText.toStdString();
    EXPECT_TRUE(result.Body.contains("sid=42"));
    EXPECT_TRUE(result.Body.contains("pref=wide"));
    EXPECT_EQ(result.ContentType, 1);
    EXPECT_EQ(result.CookiesAfter, "sid=42");
}

TEST(DownloadTest, LogsInThenSendsTheLoginCookiesWithThePage)
{
    TLoopback server([](httplib::Server &s, TLoopback &loopback) {
        s.Post("/account/login",
               [&loopback](const httplib::Request &request, httplib::Response &response) {
                   loopback.KeepBody(request.body);
                   // Scoped to the login path: only the explicit header can carry it to the page.
                   response.set_header("Set-Cookie", "auth=ok; Path=/account");
                   response.set_content("welcome", "text/html");
               });
        s.Get("/film", [](const httplib::Request &request, httplib::Response &response) {
            response.set_content(request.get_header_value("Cookie"), "text/html");
        });
    });

    TDownloadRequest request = Request(server.Url("/film"));
    request.LoginUrl = server.Url("/account/login");
    request.PostBody = "user=Ann Lee&pass=x";
    request.Referrer = "http://site.test/\r\nX-Injected: 1";
    request.Cookies = "ignored=1";
    const TDownloadResult result = Download(request, nullptr);
    ASSERT_TRUE(result.Ok) << result.ErrorText.toStdString();
    EXPECT_EQ(result.Body, "auth=ok");
    EXPECT_EQ(result.CookiesAfter, "");

    const std::vector<TSeen> seen = server.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Method, "POST");
    EXPECT_EQ(server.Bodies(), std::vector<std::string>{"user=Ann%20Lee&pass=x"});
    EXPECT_EQ(seen[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(seen[0].Header("Referer"), "");
    EXPECT_EQ(seen[1].Method, "GET");
    EXPECT_EQ(seen[1].Header("Referer"), "http://site.test/X-Injected: 1");
    EXPECT_EQ(seen[1].Header("X-Injected"), "");
}

TEST(DownloadTest, GoesThroughAProxyWithBasicAuthentication)
{
    TLoopback proxy([](httplib::Server &s, TLoopback &) {
        s.Get(".*", [](const httplib::Request &, httplib::Response &response) {
            response.set_content("via proxy", "text/html");
        });
    });
    TDownloadRequest request = Request("http://www.example-site.test/film?id=7");
    request.Connection.UseProxy = true;
    request.Connection.ProxyServer = QStringLiteral("127.0.0.1");
    request.Connection.ProxyPort = proxy.Port();
    request.Connection.ProxyUserName = QStringLiteral("ann");
    request.Connection.ProxyPassword = QStringLiteral("s3cret");

    TDownloadResult result = Download(request, nullptr);
    ASSERT_TRUE(result.Ok) << result.ErrorText.toStdString();
    EXPECT_EQ(result.Body, "via proxy");
    request.Connection.ProxyPassword.clear();
    result = Download(request, nullptr);
    ASSERT_TRUE(result.Ok) << result.ErrorText.toStdString();
    request.Connection.UseProxy = false; // the values stay, but no proxy is asked
    request.Url = proxy.Url("/direct");
    result = Download(request, nullptr);
    ASSERT_TRUE(result.Ok) << result.ErrorText.toStdString();

    const std::vector<TSeen> seen = proxy.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].Target, "http://www.example-site.test/film?id=7");
    EXPECT_EQ(seen[0].Header("Proxy-Authorization"),
              "Basic " + QByteArray("ann:s3cret").toBase64().toStdString());
    EXPECT_EQ(seen[1].Header("Proxy-Authorization"), "");
    EXPECT_EQ(seen[2].Target, "/direct");
}

TEST(DownloadTest, ReadTimeOutEndsAStalledAnswerWithoutRetry)
{
    TLoopback server([](httplib::Server &s, TLoopback &loopback) {
        s.Get("/slow", [&loopback](const httplib::Request &, httplib::Response &response) {
            loopback.Stall();
            response.set_content("late", "text/html");
        });
    });
    TDownloadRequest request = Request(server.Url("/slow"), 2);
    request.Connection.ReadTimeout = 250;
    QElapsedTimer timer;
    timer.start();
    const TDownloadResult result = Download(request, nullptr);
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.ErrorText,
              QStringLiteral("The download timed out after 0.25 s without data."));
    EXPECT_GE(timer.elapsed(), 240);
    EXPECT_LT(timer.elapsed(), 2500);
    EXPECT_EQ(server.Seen().size(), 1u);
}

// Peers that never finish: one that takes the connection and never answers, one that
// answers a byte every 100 ms. Neither may hold a download past its limits.
TEST(DownloadTest, SilentAndTricklingServersRunIntoTheLimits)
{
    TLoopback server([](httplib::Server &s, TLoopback &loopback) {
        s.Get("/silent", [&loopback](const httplib::Request &, httplib::Response &response) {
            loopback.Stall();
            response.set_content("late", "text/html");
        });
        s.Get("/trickle", [&loopback](const httplib::Request &, httplib::Response &response) {
            response.set_chunked_content_provider(
                "text/html", [&loopback](size_t, httplib::DataSink &sink) {
                    std::this_thread::sleep_for(100ms);
                    return !loopback.Released() && sink.write("x", 1);
                });
        });
    });
    // Listening but never accepting: the kernel completes the connection, nobody reads.
    int deafPort = 0;
    const int deaf = BoundLoopbackSocket(deafPort);
    ::listen(deaf, 4);
    const QByteArray deafUrl = "http://127.0.0.1:" + QByteArray::number(deafPort) + "/";

    struct TCase
    {
        QByteArray Url;
        int TotalLimit;
        QString Error;
        int AtLeastMs;
    };
    const TCase cases[] = {
        {server.Url("/silent"), 5000, u"The download timed out after 0.5 s without data."_s, 450},
        {deafUrl, 5000, u"The download timed out after 0.5 s without data."_s, 450},
        {server.Url("/trickle"), 1200, u"The download timed out after 1.2 s."_s, 1150},
    };
    for (const TCase &c : cases) {
        TDownloadRequest request = Request(c.Url, 2);
        request.Connection.ReadTimeout = -1; // the stall limit stands in
        request.Connection.StallLimit = 500;
        request.Connection.TotalLimit = c.TotalLimit;
        QElapsedTimer timer;
        timer.start();
        const TDownloadResult result = Download(request, nullptr);
        EXPECT_FALSE(result.Ok) << c.Url.constData();
        EXPECT_TRUE(result.Body.isEmpty()) << c.Url.constData();
        EXPECT_EQ(result.ErrorText, c.Error) << c.Url.constData();
        EXPECT_GE(timer.elapsed(), c.AtLeastMs) << c.Url.constData();
        EXPECT_LT(timer.elapsed(), c.AtLeastMs + 700) << c.Url.constData();
    }
    ::close(deaf);
}

TEST(DownloadTest, CancelEndsAHangingDownloadAtOnce)
{
    TLoopback server([](httplib::Server &s, TLoopback &loopback) {
        s.Get("/silent",
              [&loopback](const httplib::Request &, httplib::Response &) { loopback.Stall(); });
    });
    std::atomic<bool> cancel{false};
    std::atomic<qint64> cancelledAt{0};
    QElapsedTimer timer;
    timer.start();
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        cancelledAt = timer.elapsed();
        cancel = true;
    });
    const TDownloadResult result = Download(Request(server.Url("/silent"), 2), &cancel);
    const qint64 returnedAt = timer.elapsed();
    canceller.join();
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.ErrorText, QStringLiteral("The download was cancelled."));
    EXPECT_LT(returnedAt - cancelledAt, 100);
}

TEST(DownloadTest, RetriesConnectionFailuresOnly)
{
    TResetListener resetting;
    for (const int retries : {0, 2}) {
        const int before = resetting.Accepted();
        const QByteArray url = "http://127.0.0.1:" + QByteArray::number(resetting.Port()) + "/";
        const TDownloadResult result = Download(Request(url, retries), nullptr);
        EXPECT_FALSE(result.Ok);
        EXPECT_FALSE(result.ErrorText.isEmpty());
        EXPECT_EQ(resetting.Accepted() - before, 1 + retries);
    }

    const QByteArray refused = "http://127.0.0.1:" + QByteArray::number(RefusedPort()) + "/";
    const TDownloadResult result = Download(Request(refused, 2), nullptr);
    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(result.ErrorText.contains(QStringLiteral("connect"), Qt::CaseInsensitive))
        << result.ErrorText.toStdString();

    // An HTTP error is an answer, not a connection failure.
    TLoopback server([](httplib::Server &, TLoopback &) {});
    const TDownloadResult missing = Download(Request(server.Url("/gone"), 2), nullptr);
    EXPECT_FALSE(missing.Ok);
    EXPECT_EQ(missing.ErrorText, QStringLiteral("HTTP/1.1 404 Not Found"));
    EXPECT_EQ(server.Seen().size(), 1u);
}

TEST(DownloadTest, RefusesWhatIsNoWebAddress)
{
    for (const char *url : {"file:///etc/hostname", "ftp://127.0.0.1/", "", "http://"}) {
        const TDownloadResult result = Download(Request(url, 3), nullptr);
        EXPECT_FALSE(result.Ok) << url;
        EXPECT_TRUE(result.Body.isEmpty()) << url;
        EXPECT_FALSE(result.ErrorText.isEmpty()) << url;
    }
}

TEST(DownloadTest, ConnectToSeamSendsASiteToTheLoopbackServer)
{
    TLoopback server([](httplib::Server &s, TLoopback &) {
        s.Get("/hello", [](const httplib::Request &request, httplib::Response &response) {
            response.set_header("Set-Cookie", "visit=1");
            response.set_content("hello from " + request.get_header_value("Host"), "text/html");
        });
    });
    SetTestRoutes(
        TTestRoutes{{" other.test:80:127.0.0.1:1 ",
                     "www.example-site.test:80:127.0.0.1:" + QByteArray::number(server.Port())},
                    false});
    const TDownloadResult result = Download(Request("http://www.example-site.test/hello"), nullptr);
    SetTestRoutes(std::nullopt);
    ASSERT_TRUE(result.Ok) << result.ErrorText.toStdString();
    EXPECT_EQ(result.Body, "hello from www.example-site.test");
    EXPECT_EQ(result.FinalUrl, "http://www.example-site.test/hello");
    EXPECT_EQ(result.CookiesAfter, "visit=1");
}

class DownloadWorkerTest : public ::testing::Test
{
protected:
    TLoopback m_server{[](httplib::Server &s, TLoopback &loopback) {
        s.Get("/slow", [&loopback](const httplib::Request &, httplib::Response &response) {
            loopback.Stall();
            response.set_content("slow", "text/html");
        });
        s.Get("/fast", [](const httplib::Request &, httplib::Response &response) {
            response.set_content("fast", "text/html");
        });
        s.Get("/late", [](const httplib::Request &, httplib::Response &response) {
            std::this_thread::sleep_for(200ms);
            response.set_content("late", "text/html");
        });
        s.Get("/poster.jpg", [](const httplib::Request &, httplib::Response &response) {
            response.set_content("\xFF\xD8poster", "image/jpeg");
        });
        s.Get("/verinfo.txt", [](const httplib::Request &, httplib::Response &response) {
            response.set_content("reelkeep|0.9.7|\r\n-END-\r\n", "text/plain");
        });
    }};
};

TEST_F(DownloadWorkerTest, OnlyTheNewestDownloadReports)
{
    auto *downloader = new TDownloader;
    QList<QByteArray> done;
    int failed = 0;
    QObject::connect(downloader,
                     &TDownloader::DownloadDone,
                     [&](const TDownloadResult &result, const TDownloadRequest &request) {
                         done.append(request.Url + " " + result.Body);
                     });
    QObject::connect(downloader, &TDownloader::DownloadFailed, [&] { ++failed; });

    downloader->Start(Request(m_server.Url("/late")));
    downloader->Start(Request(m_server.Url("/fast")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !done.isEmpty(); }, 5000));
    EXPECT_FALSE(downloader->IsRunning());
    QTest::qWait(400); // the first one's answer has come and gone by now
    EXPECT_EQ(done, QList<QByteArray>{m_server.Url("/fast") + " fast"});

    // A terminated download stays silent, and going away does not wait for a stalled one.
    downloader->Start(Request(m_server.Url("/slow")));
    downloader->Terminate();
    downloader->Start(Request(m_server.Url("/slow")));
    QTest::qWait(100);
    QElapsedTimer timer;
    timer.start();
    delete downloader;
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(done.size(), 1);
    EXPECT_EQ(failed, 0);
}

TEST_F(DownloadWorkerTest, ResultAlreadyOnItsWayIsDroppedByTerminate)
{
    QPointer<TDownloadThread> worker = new TDownloadThread(Request(m_server.Url("/fast")));
    bool reported = false;
    QObject::connect(worker, &TDownloadThread::Done, [&] { reported = true; });
    QObject::connect(worker, &TDownloadThread::Failed, [&] { reported = true; });
    worker->start();
    ASSERT_TRUE(worker->wait(5000));
    worker->Terminate();
    EXPECT_TRUE(QTest::qWaitFor([&] { return worker.isNull(); }, 2000)); // deleted itself
    EXPECT_FALSE(reported);
}

TEST_F(DownloadWorkerTest, PreviewsReportPerRow)
{
    TDownloader downloader;
    TConnectionSettings connection;
    connection.UserAgent = QStringLiteral("Custom/1.0");
    connection.Retries = 5;
    downloader.SetConnection(connection);
    QMap<int, QByteArray> pictures;
    QList<int> failures;
    QObject::connect(&downloader, &TDownloader::PreviewDone, [&](int row, const QByteArray &bytes) {
        pictures[row] = bytes;
    });
    QObject::connect(
        &downloader, &TDownloader::PreviewFailed, [&](int row) { failures.append(row); });
    downloader.StartPreview(m_server.Url("/poster.jpg"), "http://site.test/list", 0);
    downloader.StartPreview(m_server.Url("/fast"), {}, 1);
    downloader.StartPreview(m_server.Url("/gone.jpg"), {}, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pictures.size() + failures.size() == 3; }, 5000));
    EXPECT_EQ(pictures.value(0), "\xFF\xD8poster");
    EXPECT_TRUE(pictures.contains(1) && pictures.value(1).isEmpty());
    EXPECT_EQ(failures, QList<int>{2});

    for (const TSeen &seen : m_server.Seen()) {
        EXPECT_EQ(seen.Header("User-Agent"), DefaultUserAgent);
        if (seen.Target == "/poster.jpg") {
            EXPECT_EQ(seen.Header("Referer"), "http://site.test/list");
        }
    }
    EXPECT_EQ(m_server.Seen().size(), 3u); // one attempt each
}

TEST_F(DownloadWorkerTest, UpdateCheckFetchesTheVersionFile)
{
    TDownloader downloader;
    downloader.SetConnection(TConnectionSettings{});
    QByteArray text;
    QString error;
    QList<bool> silentFlags;
    QObject::connect(&downloader, &TDownloader::UpdateText, [&](const QByteArray &t, bool silent) {
        text = t;
        silentFlags.append(silent);
    });
    QObject::connect(&downloader, &TDownloader::UpdateFailed, [&](const QString &e, bool silent) {
        error = e;
        silentFlags.append(silent);
    });
    downloader.StartUpdateCheck(true, QString::fromLatin1(m_server.Url("")));
    downloader.StartUpdateCheck(false, QStringLiteral("http://127.0.0.1:%1/").arg(RefusedPort()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return silentFlags.size() == 2; }, 5000));
    EXPECT_EQ(text, "reelkeep|0.9.7|\r\n-END-\r\n");
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(silentFlags.contains(true) && silentFlags.contains(false));
    ASSERT_EQ(m_server.Seen().size(), 1u);
    EXPECT_EQ(m_server.Seen()[0].Target, "/verinfo.txt");
    EXPECT_EQ(m_server.Seen()[0].Header("User-Agent"), "");
}

TEST(UpdateCheckTest, FirstAnnouncingLineDecides)
{
    TPlugin installed;
    installed.FileName = QStringLiteral("webinfoa.so");
    installed.Version = QStringLiteral("0.2.2");
    const QList<TPlugin> plugins{installed};
    using T = TUpdateNotice::TTarget;
    const struct
    {
        const char *text;
        T target;
        const char *fileName;
    } cases[] = {
        {"reelkeep|0.9.6|\r\nreelkeep|0.9.5|\r\n", T::None, ""},
        {"REELKEEP|0.9.7|\r\n", T::Program, "REELKEEP"},
        {"webinfoa.so|0.2.3|\r\n", T::Plugin, "webinfoa.so"},
        {"WebInfoA.so|0.2.2|new|\r\n", T::None, ""}, // installed: "new" does not count
        {"webinfoz.so|1.0|new|\r\n", T::Plugin, "webinfoz.so"},
        {"webinfoz.so|1.0|new\r\n", T::None, ""}, // "new" without its "|"
        {"webinfoz.so|1.0|NEW|\r\n", T::None, ""},
        {"reelkeep|0.9.6|\r\nwebinfoa.so|0.2.3|\r\nreelkeep|1.0|\r\n", T::Plugin, "webinfoa.so"},
        {"-END-\r\nreelkeep|1.0|\r\n", T::None, ""},
        {"reelkeep|1.0|", T::None, ""},          // the last line lacks CR LF
        {"reelkeep|1.0|\n-END-\n", T::None, ""}, // no CR LF at all: one unfinished line
        {"\r\n|||\r\nreelkeep\r\n|new|\r\n", T::None, ""},
        {"", T::None, ""},
    };
    for (const auto &c : cases) {
        const TUpdateNotice notice = FindUpdate(c.text, QStringLiteral("reelkeep"), 9006, plugins);
        EXPECT_EQ(notice.Target, c.target) << c.text;
        EXPECT_EQ(notice.FileName, QString::fromLatin1(c.fileName)) << c.text;
    }
}

TEST(UpdateCheckTest, Addresses)
{
    const QString site = QStringLiteral("https://example.test");
    EXPECT_EQ(VersionFileUrl(QString::fromLatin1(UpdateSiteAddress)),
              QStringLiteral("https://reelkeep.org/verinfo.txt"));
    EXPECT_EQ(VersionFileUrl(site), QStringLiteral("https://example.test/verinfo.txt"));
    EXPECT_EQ(UpdatePageUrl(site, TUpdateNotice::TTarget::Program, RK_LANG_ENGLISH),
              QStringLiteral("https://example.test/download.html"));
    EXPECT_EQ(UpdatePageUrl(site, TUpdateNotice::TTarget::Plugin, RK_LANG_RUSSIAN),
              QStringLiteral("https://example.test/plugins_ru.html"));
}

} // namespace
