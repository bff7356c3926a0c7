// The web page export plug-in run through the host's export: hostile text stays text,
// only web addresses become links, posters become thumbnails beside the page, and a
// cancelled export leaves the earlier page as it was.
#include <csignal>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/importexport.h"

using namespace Qt::StringLiterals;

namespace {

const QString HtmlExport = QStringLiteral(RK_HTMLEXPORT_PATH);

class TFileUi : public IImportExportUi
{
public:
    std::optional<QString> AskOpenFile(const QString &) override { return file; }
    std::optional<QString> AskSaveFile(const QString &) override { return file; }
    TDuplicateAnswer AskDuplicate(TRecordKind, const QString &, const QString &) override
    {
        return {};
    }
    bool CancelRequested() override { return cancelAfter >= 0 && checks++ >= cancelAfter; }

    std::optional<QString> file;
    int cancelAfter = -1;
    int checks = 0;
};

class HtmlExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
        ASSERT_TRUE(db->Open().ok);
        ui.file = dir.filePath(u"my films.html"_s);
    }
    void TearDown() override { db->SetModified(false); }
    TMovie *Movie(int num, const QString &title)
    {
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        movie->SetNum(num);
        movie->SetTitle(title);
        return movie;
    }
    QString Export(const QList<TDBItem *> &records, bool people = false)
    {
        EXPECT_TRUE(RunExport(HtmlExport, records, people, ui).Ok());
        QFile page(*ui.file);
        return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
    }
    // The page through Python's HTML parser: well formed, no foreign markup, `texts` as text.
    void CheckWithPython(const QStringList &texts)
    {
        QProcess python;
        python.start(u"python3"_s,
                     QStringList{QStringLiteral(RK_HTMLCHECK_SCRIPT), *ui.file} + texts);
        ASSERT_TRUE(python.waitForFinished(60000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    }
    QStringList Leftovers() const
    {
        return QDir(dir.path())
            .entryList({u"*.partial"_s}, QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoDatabase> db;
    TFileUi ui;
};

TEST_F(HtmlExportTest, HostileTextStaysText)
{
    const QStringList hostile = {
        u"<script>alert(1)</script>"_s,
        u"\"><img src=x onerror=alert(1)>"_s,
        u"' onmouseover='alert(1)"_s,
        u"&amp; &lt;b&gt; stays &"_s,
        u"</details></article></section>"_s,
        u"<!-- open comment"_s,
        u"Ærøskøbing 東京 🎬"_s,
    };
    QList<TDBItem *> movies;
    for (const QString &text : hostile) {
        TMovie *movie = Movie(int(movies.size()), text);
        movie->SetDescription(u"About "_s + text);
        movie->SetGenre(text);
        movie->SetDirector(text);
        movie->SetActors(text);
        movies.append(movie);
    }
    Movie(99, u"bell\x07 and nul-free control"_s);
    movies.append(db->Movie(db->MovieCount() - 1));
    const QString page = Export(movies);
    ASSERT_FALSE(page.isEmpty());
    for (const QString &text : hostile) {
        if (text.contains(u'<') || text.contains(u'"') || text.contains(u'\'')) {
            EXPECT_FALSE(page.contains(text)) << text.toStdString();
        }
    }
    EXPECT_FALSE(page.contains(u'\x07'));
    EXPECT_TRUE(page.contains(u"bell and nul-free control"_s));
    CheckWithPython(hostile);

    // People get the same treatment, with birthdays as dates.
    QList<TDBItem *> people;
    for (const QString &text : hostile) {
        auto *person = static_cast<TActor *>(db->AddRecord(1, text));
        person->SetBio(text);
        person->SetBirthday(DateToDays(QDate(1961, 2, 17)));
        people.append(person);
    }
    const QString peoplePage = Export(people, true);
    EXPECT_EQ(peoplePage.count(u"<article class=\"card\">"_s), hostile.size());
    EXPECT_TRUE(peoplePage.contains(u"<td>1961-02-17</td>"_s));
    CheckWithPython(hostile);
}

TEST_F(HtmlExportTest, OnlyWebAddressesBecomeLinks)
{
    struct TCase
    {
        QString Url;
        QString Href; // empty: no link
    };
    const TCase cases[] = {
        {u"https://example.org/film?id=1&lang=de"_s,
         u"https://example.org/film?id=1&amp;lang=de"_s},
        {u"http://example.org/"_s, u"http://example.org/"_s},
        {u"HTTPS://EXAMPLE.ORG/"_s, u"HTTPS://EXAMPLE.ORG/"_s},
        {u"javascript:alert(1)"_s, {}},
        {u"JavaScript:alert(1)//http://x"_s, {}},
        {u"data:text/html,<b>x</b>"_s, {}},
        {u"file:///etc/passwd"_s, {}},
        {u"ftp://example.org/"_s, {}},
        {u" https://example.org/"_s, {}},
        {u"https://example.org/a b"_s, {}},
        {u"https://\"onclick=\"x"_s, u"https://&quot;onclick=&quot;x"_s},
        {u"https://"_s, {}},
    };
    QList<TDBItem *> movies;
    for (const TCase &c : cases) {
        TMovie *movie = Movie(int(movies.size()), u"Film %1"_s.arg(movies.size()));
        movie->SetUrl(c.Url);
        movies.append(movie);
    }
    const QString page = Export(movies);
    qsizetype links = 0;
    for (const TCase &c : cases) {
        if (!c.Href.isEmpty()) {
            EXPECT_TRUE(page.contains(u"href=\""_s + c.Href + u'"')) << c.Url.toStdString();
            links += 2; // card and table row
        }
    }
    EXPECT_EQ(page.count(u"href="_s), links);
    CheckWithPython({});
}

TEST_F(HtmlExportTest, PostersSeriesAndCancel)
{
    TImage poster(800, 1200);
    TMovie *withPoster = Movie(1, u"With poster"_s);
    withPoster->SetPicture(&poster, TImageFormat::None, {}, CoverJpeg);
    ASSERT_FALSE(withPoster->PictureBytes().isEmpty());
    TMovie *series = Movie(2, u"Series"_s);
    for (int epnum : {2, 1}) {
        TEpisode *episode = series->AddEpisode();
        episode->SetEpnum(epnum);
        episode->SetTitle(u"Episode %1"_s.arg(epnum));
    }
    const QString page = Export({withPoster, series});
    const QString thumbnail = dir.filePath(u"my films_files/posters/1.jpg"_s);
    ASSERT_TRUE(QFile::exists(thumbnail));
    EXPECT_TRUE(page.contains(u"src=\"my%20films_files/posters/1.jpg\""_s));
    const TImage small = TImage::Load(thumbnail);
    EXPECT_EQ(small.Width(), 300) << "scaled by libjpeg to 3/8, the nearest at least 240 wide";
    EXPECT_TRUE(
        page.contains(u"<ol class=\"episodes\">\n<li>Episode 1</li>\n<li>Episode 2</li>"_s));
    CheckWithPython({u"Episode 1"_s});

    // A cancelled export keeps the page and posters of the last one.
    ui.cancelAfter = 3;
    TMovie *later = Movie(3, u"Later"_s);
    EXPECT_EQ(Export({withPoster, series, later}), page);
    EXPECT_TRUE(QFile::exists(thumbnail));
    EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(u' ').toStdString();
}

// Posters are written on worker threads: a poster that cannot be written (a full disk, as a
// file size limit) still fails the export, which keeps the earlier page and leaves nothing.
TEST_F(HtmlExportTest, PosterWriteFailureFailsTheExport)
{
    TImage poster(800, 1200);
    QList<TDBItem *> movies;
    for (int i = 0; i < 40; ++i) {
        TMovie *movie = Movie(i + 1, u"Movie %1"_s.arg(i));
        movie->SetPicture(&poster, TImageFormat::None, {}, CoverJpeg);
        movies.append(movie);
    }
    const QString page = Export({movies.first()});
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = limit;
    small.rlim_cur = 500;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ran = RunExport(HtmlExport, movies, false, ui).Ok();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ran);
    QFile kept(*ui.file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(kept.readAll()), page);
    EXPECT_TRUE(QFile::exists(dir.filePath(u"my films_files/posters/1.jpg"_s)));
    EXPECT_FALSE(QFile::exists(dir.filePath(u"my films_files/posters/2.jpg"_s)));
    EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(u' ').toStdString();
}

} // namespace
