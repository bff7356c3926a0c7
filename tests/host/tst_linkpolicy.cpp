// Which catalog targets open on one click and which ask first.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "host/linkpolicy.h"

using namespace Qt::StringLiterals;

namespace {

struct TCase
{
    const char *Name;
    // A local file made in the temporary folder ("dir/" makes a folder); empty for `Url`.
    const char *File;
    QByteArray Content;
    bool Executable;
    const char *Url;
    TLinkUse Use;
    TLinkVerdict Verdict;
    TLinkRisk Risk;
};

const QByteArray Matroska("\x1A\x45\xDF\xA3\x93\x42\x82\x88matroska\x42\x87\x81\x04", 20);
const QByteArray Id3("ID3\x03\x00\x00\x00\x00\x00\x00", 10);
const QByteArray Launcher("[Desktop Entry]\nType=Application\nExec=sh -c 'rm -rf ~'\n");
const QByteArray Shell("#!/bin/sh\necho hi\n");

constexpr auto Link = TLinkUse::Link;
constexpr auto Play = TLinkUse::Play;
constexpr auto Open = TLinkVerdict::Open;
constexpr auto Ask = TLinkVerdict::Ask;

const TCase Cases[] = {
    {"http", "", {}, false, "http://example.org/film?id=1", Link, Open, TLinkRisk::None},
    {"https", "", {}, false, "https://example.org/", Link, Open, TLinkRisk::None},
    {"https played", "", {}, false, "HTTPS://example.org/a.mkv", Play, Open, TLinkRisk::None},
    {"smb", "", {}, false, "smb://server/share/a.mkv", Play, Ask, TLinkRisk::OtherScheme},
    {"mailto", "", {}, false, "mailto:me@example.org", Link, Ask, TLinkRisk::OtherScheme},
    {"custom handler", "", {}, false, "steam://run/1", Link, Ask, TLinkRisk::OtherScheme},
    {"desktop file", "start.desktop", Launcher, false, "", Link, Ask, TLinkRisk::Launcher},
    {"desktop file played", "a.desktop", Launcher, false, "", Play, Ask, TLinkRisk::Launcher},
    {"script by shebang", "run", Shell, true, "", Link, Ask, TLinkRisk::Script},
    {"script named as film", "film.mkv", Shell, false, "", Play, Ask, TLinkRisk::Script},
    {"python", "tool.py", "print(1)\n", false, "", Play, Ask, TLinkRisk::Script},
    {"appimage", "app.AppImage", {}, false, "", Play, Ask, TLinkRisk::Executable},
    {"executable",
     "prog",
     "\x7F"
     "ELF",
     true,
     "",
     Link,
     Ask,
     TLinkRisk::Executable},
    {"page on disk", "notes.html", "<p>x</p>", false, "", Link, Ask, TLinkRisk::LocalFile},
    {"video", "film.mkv", Matroska, false, "", Play, Open, TLinkRisk::None},
    {"video marked executable", "usb.mkv", Matroska, true, "", Play, Open, TLinkRisk::None},
    {"video without suffix", "film", Matroska, false, "", Play, Open, TLinkRisk::None},
    {"video given as link", "film.mkv", Matroska, false, "", Link, Ask, TLinkRisk::LocalFile},
    {"mp3", "song.mp3", Id3, false, "", Play, Open, TLinkRisk::None},
    {"iso", "disc.iso", QByteArray(64, '\0'), false, "", Play, Open, TLinkRisk::None},
    {"text played", "notes.txt", "plain\n", false, "", Play, Ask, TLinkRisk::NotMedia},
    {"dvd folder", "dvd/VIDEO_TS/", {}, false, "", Play, Open, TLinkRisk::None},
    {"dvd parent folder", "dvd/", {}, false, "", Play, Open, TLinkRisk::None},
    {"plain folder", "plain/", {}, false, "", Play, Ask, TLinkRisk::NotMedia},
    {"empty address", "", {}, false, "", Link, Ask, TLinkRisk::OtherScheme},
};

class LinkPolicyTest : public ::testing::TestWithParam<TCase>
{};

TEST_P(LinkPolicyTest, Decides)
{
    const TCase &c = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QUrl url(QString::fromLatin1(c.Url));
    QString expectedTarget = url.toString();
    if (*c.File) {
        const QString name = QString::fromLatin1(c.File);
        const QString path = folder.filePath(name);
        if (name.endsWith(u'/')) {
            ASSERT_TRUE(QDir().mkpath(path));
            QDir().mkpath(folder.filePath(u"dvd/VIDEO_TS"_s));
        } else {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.Content);
            if (c.Executable)
                file.setPermissions(file.permissions() | QFile::ExeOwner);
        }
        url = QUrl::fromLocalFile(path);
        expectedTarget = QDir::cleanPath(path);
    }
    const TLinkDecision decision = TLinkPolicy::Decide(url, c.Use);
    EXPECT_EQ(decision.Verdict, c.Verdict) << decision.MimeType.toStdString();
    EXPECT_EQ(decision.Risk, c.Risk) << decision.MimeType.toStdString();
    EXPECT_EQ(decision.Target.toStdString(), expectedTarget.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Targets, LinkPolicyTest, ::testing::ValuesIn(Cases), [](const auto &info) {
    std::string name = info.param.Name;
    for (char &c : name)
        c = std::isalnum(uchar(c)) ? c : '_';
    return name;
});

} // namespace
