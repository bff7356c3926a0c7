#pragma once

// A loopback server standing in for the web sites of the plug-ins: the real downloads go
// to it through the test routes of the downloads, with the sites' own addresses.

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include <gtest/gtest.h>
#include <httplib.h>

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include "catalog/ansi.h"
#include "host/download.h"

// The hosts the web plug-ins and their recorded pages name, pictures included.
inline const QList<QByteArray> WebPluginHosts = {"www.filmaffinity.com:80",
                                                 "www.amazon.de:80",
                                                 "ec1.images-amazon.com:80",
                                                 "testweb.example:80"};
// The Wikidata services, spoken to over https: routed here as plain http.
inline const QList<QByteArray> WikidataHosts = {"www.wikidata.org:443",
                                                "query.wikidata.org:443",
                                                "commons.wikimedia.org:443",
                                                "upload.wikimedia.org:443",
                                                "en.wikipedia.org:443",
                                                "de.wikipedia.org:443"};

// A recorded page of tests/data/webinfo (RK_WEBINFO_DATA_DIR). The pages are kept as
// UTF-8; the sites send Windows-1252 without saying so.
inline QByteArray SitePage(const char *name)
{
    QFile file(QStringLiteral(RK_WEBINFO_DATA_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing recorded page " << name;
    return ToAnsi(QString::fromUtf8(file.readAll()));
}

// Serves pages by path, or by path and search text ("/es/search.php|Fight Club"), or by
// path and a piece of the search text or query ("/sparql~wd:Q190050"), and keeps the
// requests in order. While it lives, requests for the hosts given to RouteHosts
// reach it.
class TSiteServer
{
public:
    TSiteServer()
    {
        m_server.Get(".*", [this](const httplib::Request &request, httplib::Response &response) {
            std::string key = request.path;
            for (const char *param : {"stext", "field-keywords", "q", "srsearch", "query"}) {
                if (request.has_param(param))
                    key += "|" + request.get_param_value(param);
            }
            std::lock_guard lock(m_mutex);
            m_requests.push_back(QString::fromStdString(key));
            auto page = m_pages.find(key);
            for (auto it = m_pages.begin(); page == m_pages.end() && it != m_pages.end(); ++it) {
                const size_t tilde = it->first.find('~');
                if (tilde != std::string::npos && it->first.compare(0, tilde, request.path) == 0
                    && key.find(it->first.substr(tilde + 1), request.path.size())
                           != std::string::npos)
                    page = it;
            }
            if (page == m_pages.end()) {
                response.status = 404;
                return;
            }
            response.set_content(page->second.first, page->second.second);
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::yield();
    }
    ~TSiteServer()
    {
        if (m_routed)
            SetTestRoutes(std::nullopt);
        m_server.stop();
        m_thread.join();
    }
    TSiteServer(const TSiteServer &) = delete;
    TSiteServer &operator=(const TSiteServer &) = delete;

    // Sends every download for these "host:port" pairs here, until the server goes.
    void RouteHosts(const QList<QByteArray> &hosts)
    {
        TTestRoutes routes;
        for (const QByteArray &host : hosts) {
            routes.ConnectTo.append(host + ":127.0.0.1:" + QByteArray::number(m_port));
            routes.HttpsAsHttp = routes.HttpsAsHttp || host.endsWith(":443");
        }
        SetTestRoutes(routes);
        m_routed = true;
    }
    void Page(const std::string &key, const QByteArray &body, const char *type = "text/html")
    {
        std::lock_guard lock(m_mutex);
        m_pages[key] = {body.toStdString(), type};
    }
    QStringList Requests()
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    bool m_routed = false;
    std::mutex m_mutex;
    std::map<std::string, std::pair<std::string, std::string>> m_pages;
    QStringList m_requests;
};
