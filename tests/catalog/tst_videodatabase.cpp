#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"
#include "tests/support/recordingobserver.h"

using namespace Qt::StringLiterals;

namespace {

class VideoDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
        ASSERT_TRUE(db->Open().ok);
        db->AddObserver(&observer);
        db->OnListChanged = [this] { ++listChanges; };
        db->OnModifiedChanged = [this](bool flag) { modifiedEvents.append(flag); };
    }
    void TearDown() override
    {
        db->SetModified(false);
        db.reset();
    }
    TMovie *AddMovie(int num)
    {
        auto *movie = static_cast<TMovie *>(db->AddRecord(0));
        movie->SetNum(num);
        return movie;
    }
    TActor *AddPerson(const QString &name) { return static_cast<TActor *>(db->AddRecord(1, name)); }
    QList<int> Nums() const
    {
        QList<int> nums;
        for (int i = 0; i < db->MovieCount(); ++i)
            nums.append(db->Movie(i)->Num());
        return nums;
    }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < db->PersonCount(); ++i)
            names.append(db->Person(i)->Name());
        return names;
    }

    QTemporaryDir dir;
    TRecordingObserver observer;
    std::unique_ptr<TVideoDatabase> db;
    int listChanges = 0;
    QList<bool> modifiedEvents;
};

TEST_F(VideoDatabaseTest, AddRecordKeepsBothListsInOrder)
{
    for (int num : {3, 1, 2})
        AddMovie(num);
    TDBItem *fresh = db->AddRecord(0);
    EXPECT_EQ(db->Movie(0), fresh) << "an unnumbered movie goes first";
    EXPECT_EQ(Nums(), (QList<int>{-1, 1, 2, 3}));

    for (const QString &name : {u"delta"_s, u"Alpha"_s, u"charlie"_s, u"Bravo"_s})
        AddPerson(name);
    EXPECT_EQ(Names(), (QStringList{u"Alpha"_s, u"Bravo"_s, u"charlie"_s, u"delta"_s}));

    EXPECT_EQ(db->AddRecord(2), nullptr);
    EXPECT_EQ(listChanges, 8);
    EXPECT_TRUE(db->Modified());
    EXPECT_EQ(modifiedEvents, QList<bool>{true}) << "the event is raised on changes only";
    EXPECT_EQ(db->ShownMovies(), 4);
    EXPECT_EQ(db->ShownPeople(), 4);
}

TEST_F(VideoDatabaseTest, AddRecordStoresTheNameAsGivenAndStampsTheDate)
{
    db->SetTextRules({{}, true});
    EXPECT_EQ(AddPerson(u"raw name"_s)->Name(), u"raw name"_s);
    auto *stamped = static_cast<TMovie *>(db->AddRecord(0, {}, true));
    EXPECT_GT(stamped->Dateadded(), 0);
    EXPECT_EQ(static_cast<TMovie *>(db->AddRecord(0))->Dateadded(), 0);
}

TEST_F(VideoDatabaseTest, ChangingKeysMovesRecords)
{
    TMovie *a = AddMovie(1);
    AddMovie(2);
    AddMovie(3);
    a->SetNum(10);
    EXPECT_EQ(Nums(), (QList<int>{2, 3, 10}));
    EXPECT_EQ(db->Movie(2), a);

    TActor *x = AddPerson(u"x"_s);
    AddPerson(u"m"_s);
    x->SetName(u"a"_s);
    EXPECT_EQ(Names(), (QStringList{u"a"_s, u"m"_s}));

    // Renumbering many movies leaves them in place until SortById.
    db->SuspendReorder();
    db->Movie(0)->SetNum(99);
    EXPECT_EQ(Nums(), (QList<int>{99, 3, 10}));
    db->SortById();
    EXPECT_EQ(Nums(), (QList<int>{3, 10, 99}));
    EXPECT_FALSE(db->ReorderSuspended());
}

TEST_F(VideoDatabaseTest, MoviesAddedWhileTheReorderIsSuspendedAnswerAsInIdOrder)
{
    // Few movies: duplicates are picked by a scan; many: by their places.
    for (const int fillers : {0, 60}) {
        SCOPED_TRACE(fillers);
        db = std::make_unique<TVideoDatabase>(QString());
        for (int i = 0; i < fillers; ++i)
            AddMovie(100 + i);
        const auto add = [this](int num, const QString &title) {
            TMovie *movie = AddMovie(num);
            movie->SetTitle(title);
            return movie;
        };
        TMovie *kept = add(30, u"Same"_s);
        db->SuspendReorder();
        TMovie *later = add(30, u"Same"_s);
        TMovie *lowest = add(5, u"Same"_s);
        TMovie *top = add(200, u"Top"_s);
        EXPECT_EQ(db->Movie(db->MovieCount() - 1), top) << "added last, not in place";
        EXPECT_EQ(db->FindMovie(200), db->MovieCount() - 1);
        EXPECT_EQ(db->IndexOfMovie(lowest), db->MovieCount() - 2);
        EXPECT_EQ(db->NextId(0), 6);
        EXPECT_EQ(db->NextId(1), 201);
        EXPECT_EQ(db->FindDuplicate(u"same"_s, {}, nullptr, 0), lowest);
        EXPECT_EQ(db->FindDuplicate(u"same"_s, {}, lowest, 0), kept) << "equal IDs: first listed";
        db->SortById();
        const QList<int> nums = Nums();
        EXPECT_TRUE(std::is_sorted(nums.begin(), nums.end()));
        EXPECT_EQ(db->Movie(0), lowest);
        EXPECT_EQ(db->IndexOfMovie(later), db->IndexOfMovie(kept) + 1);
    }
}

TEST_F(VideoDatabaseTest, EqualKeysAreStillFoundRecordByRecord)
{
    TActor *first = AddPerson(u"Same"_s);
    TActor *second = AddPerson(u"same"_s);
    TActor *third = AddPerson(u"SAME"_s);
    AddPerson(u"Other"_s);
    for (const TActor *person : {first, second, third})
        EXPECT_EQ(db->Person(db->IndexOfPerson(person)), person);
    EXPECT_GE(db->FindPerson(u"sAmE"_s), 0);
    EXPECT_EQ(db->FindPerson(u"nobody"_s), -1);

    TMovie *m1 = AddMovie(4);
    TMovie *m2 = AddMovie(4);
    EXPECT_EQ(db->Movie(db->IndexOfMovie(m1)), m1);
    EXPECT_EQ(db->Movie(db->IndexOfMovie(m2)), m2);
    EXPECT_GE(db->FindMovie(4), 0);
    EXPECT_EQ(db->FindMovie(5), -1);

    auto stranger = TMovie::Create(nullptr);
    EXPECT_EQ(db->IndexOfMovie(stranger.get()), -1);
    EXPECT_EQ(db->IndexOfPerson(nullptr), -1);
}

struct NextIdCase
{
    QList<int> nums;
    int mode0;
    int mode1;
};

class NextIdTest : public VideoDatabaseTest, public ::testing::WithParamInterface<NextIdCase>
{};

TEST_P(NextIdTest, GivesTheNextFreeNumber)
{
    for (int num : GetParam().nums)
        AddMovie(num);
    EXPECT_EQ(db->NextId(0), GetParam().mode0);
    EXPECT_EQ(db->NextId(1), GetParam().mode1);
    EXPECT_EQ(db->NextId(2), 0);
}

INSTANTIATE_TEST_SUITE_P(Catalogs,
                         NextIdTest,
                         ::testing::Values(NextIdCase{{1, 2, 5}, 3, 6},
                                           NextIdCase{{7}, 8, 8},
                                           NextIdCase{{}, 0, 0},
                                           NextIdCase{{-1, 0, 1}, 2, 2},
                                           NextIdCase{
                                               {2147483647, 2147483647}, 2147483647, 2147483647}));

TEST_F(VideoDatabaseTest, FindDuplicateMovies)
{
    TMovie *alien = AddMovie(1);
    alien->SetTitle(u"Alien"_s);
    TMovie *other = AddMovie(2);
    other->SetTitle(u"Aliens"_s);
    other->SetOrigtitle(u"Aliens orig"_s);

    EXPECT_EQ(db->FindDuplicate(u"  ALIEN "_s, QString(), nullptr, 0), alien);
    EXPECT_EQ(db->FindDuplicate(u"alien"_s, u"anything"_s, nullptr, 0), alien)
        << "a movie without original title matches on the title";
    EXPECT_EQ(db->FindDuplicate(u"alien"_s, QString(), alien, 0), nullptr);
    EXPECT_EQ(db->FindDuplicate(u"aliens"_s, u"wrong"_s, nullptr, 0), nullptr);
    EXPECT_EQ(db->FindDuplicate(u"aliens"_s, u"ALIENS ORIG"_s, nullptr, 0), other);
    EXPECT_EQ(db->FindDuplicate(u"x"_s, u"y"_s, nullptr, 7), nullptr);
}

TEST_F(VideoDatabaseTest, FindDuplicatePeople)
{
    TActor *jean = AddPerson(u"Jean Reno"_s);
    jean->SetTransname(u"Juan Reno"_s);
    TActor *plain = AddPerson(u"Plain"_s);

    EXPECT_EQ(db->FindDuplicate(u"jean reno"_s, QString(), nullptr, 1), jean);
    EXPECT_EQ(db->FindDuplicate(u"Someone"_s, u"juan RENO"_s, nullptr, 1), jean);
    EXPECT_EQ(db->FindDuplicate(u"Someone"_s, u"Plain"_s, nullptr, 1), plain)
        << "a translated name equal to a name is a duplicate";
    EXPECT_EQ(db->FindDuplicate(u"Jean Reno"_s, QString(), jean, 1), nullptr);
    // Neither of the two has a translated name in common with a newcomer that has none.
    EXPECT_EQ(db->FindDuplicate(u"Newcomer"_s, QString(), nullptr, 1), nullptr);
}

// The people's index finds what a scan of the whole list in order finds, after each step
// that changes names, translated names or the list.
TEST_F(VideoDatabaseTest, FindDuplicatePeopleMatchesAScan)
{
    const auto scan = [this](QString name, QString transname, const TDBItem *exclude) {
        name = db->TextRules().Name(name);
        transname = db->TextRules().Name(transname);
        if (!transname.isEmpty()) {
            const int hit = db->FindPerson(transname);
            if (hit >= 0 && db->Person(hit) != exclude)
                return static_cast<TDBItem *>(db->Person(hit));
        }
        for (int i = 0; i < db->PersonCount(); ++i) {
            TActor *person = db->Person(i);
            if (person != exclude
                && ((!name.isEmpty() && CompareNoCase(person->Name(), name) == 0)
                    || (!transname.isEmpty()
                        && CompareNoCase(person->Transname(), transname) == 0)))
                return static_cast<TDBItem *>(person);
        }
        return static_cast<TDBItem *>(nullptr);
    };
    const auto person = [this](const QString &name) { return db->Person(db->FindPerson(name)); };
    const QStringList texts{u"anna"_s,
                            u"ANNA B"_s,
                            u"bo"_s,
                            u"Chlo\u00e9"_s,
                            u"chloe"_s,
                            u"Dee"_s,
                            u"eve"_s,
                            QString()};
    const std::vector<std::pair<const char *, std::function<void()>>> steps = {
        {"added",
         [&] {
             AddPerson(u"Anna"_s)->SetTransname(u"Bo"_s);
             AddPerson(u"anna"_s);
             AddPerson(u"Bo"_s)->SetTransname(u"Anna B"_s);
             AddPerson(u"Chlo\u00e9"_s)->SetTransname(u"Dee"_s);
             AddPerson(u"Dee"_s)->SetTransname(u"Anna"_s);
         }},
        {"renamed and translated names changed",
         [&] {
             person(u"Bo"_s)->SetName(u"Eve"_s);
             person(u"Chlo\u00e9"_s)->SetTransname(QString());
             person(u"Dee"_s)->SetTransname(u"Bo"_s);
         }},
        {"removed and added again",
         [&] {
             db->DeleteRecord(person(u"Anna"_s));
             AddPerson(u"ANNA"_s)->SetTransname(u"eve"_s);
         }},
    };
    for (const auto &[what, change] : steps) {
        SCOPED_TRACE(what);
        change();
        for (const QString &name : texts) {
            for (const QString &transname : texts) {
                const TDBItem *expected = scan(name, transname, nullptr);
                EXPECT_EQ(db->FindDuplicate(name, transname, nullptr, 1), expected)
                    << name.toStdString() << " / " << transname.toStdString();
                EXPECT_EQ(db->FindDuplicate(name, transname, expected, 1),
                          scan(name, transname, expected));
            }
        }
    }
}

// The duplicate search keeps its answers while the catalog changes under it: each step
// changes the catalog, then every query gives the num of the movie found (0: none).
TEST_F(VideoDatabaseTest, FindDuplicateMoviesFollowsChanges)
{
    struct TQuery
    {
        QString title;
        QString orig;
        int found;
    };
    struct TStep
    {
        const char *what;
        std::function<void()> change;
        std::vector<TQuery> queries;
    };
    const auto add = [this](int num, const QString &title, const QString &orig = {}) {
        TMovie *movie = AddMovie(num);
        movie->SetTitle(title);
        movie->SetOrigtitle(orig);
        return movie;
    };
    const auto movie = [this](int num) { return db->Movie(db->FindMovie(num)); };
    const auto found = [this](const TQuery &query, const TDBItem *exclude = nullptr) {
        const TDBItem *hit = db->FindDuplicate(query.title, query.orig, exclude, 0);
        return hit ? static_cast<const TMovie *>(hit)->Num() : 0;
    };
    AddPerson(u"Ghost"_s);
    const std::vector<TStep> steps = {
        {"the first search",
         [&] {
             add(1, u"Alien"_s);
             add(2, u"Caf\u00e9"_s, u"Kaffee"_s);
             add(3, QString(), u"Solaris"_s);
             add(4, u"Twin"_s, u"One"_s);
             add(5, u"Twin"_s, u"Two"_s);
             add(6, u"  Spaced "_s);
             add(7, u"\u0130stanbul"_s);
             add(8, u"\u0412\u041e\u0419\u041d\u0410"_s);
             movie(1)->AddEpisode()->SetTitle(u"Pilot"_s);
         },
         {{u" ALIEN "_s, {}, 1},
          {u"alien"_s, u"anything"_s, 1},
          {u"cafe"_s, {}, 0},
          {u"CAF\u00c9"_s, {}, 2},
          {u"caf\u00e9"_s, u"KAFFEE"_s, 2},
          {u"caf\u00e9"_s, u"coffee"_s, 0},
          {u"solaris"_s, {}, 3},
          {u"twin"_s, {}, 4},
          {u"twin"_s, u"two"_s, 5},
          {u"spaced"_s, {}, 6},
          {u"\u0432\u043e\u0439\u043d\u0430"_s, {}, 8},
          // A capital letter without a one-letter lower case is matched by nothing.
          {u"istanbul"_s, {}, 0},
          {u"\u0130stanbul"_s, {}, 0},
          {u"pilot"_s, {}, 0},
          {u"ghost"_s, {}, 0},
          {QString(), {}, 0}}},
        {"retitled, a title cleared, an original title set",
         [&] {
             movie(1)->SetTitle(u"Alien 3"_s);
             movie(2)->SetTitle(QString());
             movie(6)->SetOrigtitle(u"Spaced out"_s);
         },
         {{u"alien"_s, {}, 0},
          {u"alien 3"_s, {}, 1},
          {u"caf\u00e9"_s, {}, 0},
          {u"kaffee"_s, {}, 2},
          {u"spaced"_s, u"other"_s, 0},
          {u"spaced"_s, u"spaced OUT"_s, 6}}},
        {"removed, added and renumbered",
         [&] {
             db->DeleteRecord(movie(4));
             add(10, u"Twin"_s);
             movie(10)->SetNum(-1);
             add(9, u"Alien"_s);
         },
         {{u"twin"_s, {}, -1}, {u"twin"_s, u"two"_s, -1}, {u"alien"_s, {}, 9}}},
    };
    for (const TStep &step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        for (const TQuery &query : step.queries)
            EXPECT_EQ(found(query), query.found) << query.title.toStdString();
    }
    EXPECT_EQ(found({u"twin"_s, {}, 0}, movie(-1)), 5) << "the next one when one is excluded";

    // A catalog read from its file is searched like the one that wrote it.
    ASSERT_TRUE(db->Save(true).Ok());
    TVideoDatabase again(db->FileName());
    ASSERT_TRUE(again.Open(nullptr, TOpenMode::Read).ok);
    const TDBItem *hit = again.FindDuplicate(u"alien 3"_s, {}, nullptr, 0);
    EXPECT_EQ(hit ? static_cast<const TMovie *>(hit)->Num() : 0, 1);
}

TEST_F(VideoDatabaseTest, DeleteRecordOfEachKind)
{
    TMovie *movie = AddMovie(1);
    TEpisode *episode = movie->AddEpisode();
    AddMovie(2);
    TActor *person = AddPerson(u"P"_s);
    listChanges = 0;

    db->DeleteRecord(episode);
    EXPECT_EQ(movie->EpisodeCount(), 0);
    EXPECT_EQ(db->ShownMovies(), 2) << "deleting an episode changes no count";

    db->DeleteRecord(movie);
    EXPECT_EQ(Nums(), QList<int>{2});
    EXPECT_EQ(db->ShownMovies(), 1);

    db->DeleteRecord(person);
    EXPECT_EQ(db->PersonCount(), 0);
    EXPECT_EQ(db->ShownPeople(), 0);

    db->DeleteRecord(nullptr);
    EXPECT_EQ(listChanges, 3);
}

TEST_F(VideoDatabaseTest, ObserversHearOfRecordsInOrder)
{
    TMovie *movie = AddMovie(1);
    movie->AddEpisode()->SetNum(5);
    AddMovie(2)->SetNum(3);
    TActor *person = AddPerson(u"Ann"_s);
    person->SetShown(false);
    db->DeleteRecord(movie);
    db->RemoveObserver(&observer);
    db->DeleteRecord(person);
    // Each record is reported under its num or name at the time of the call: a new movie
    // has num -1 until the test numbers it, a new person is shown before it is named, and
    // a move comes before the new num is stored. Deleting clears the movie's pictures.
    EXPECT_EQ(observer.calls.join(u", "_s).toStdString(),
              "+ -1, add -1, move -1, edit 1, + -1, edit 5, "
              "+ -1, add -1, move -1, edit 2, move 2, edit 3, "
              "+ , add Ann, - Ann, edit 1, x 5, x 1");
}

TEST_F(VideoDatabaseTest, ALoadIsOneQuietReset)
{
    AddMovie(1)->SetTitle(u"Heat"_s);
    db->SetTextRules({{0, {}, true}, true});
    ASSERT_TRUE(db->Save(true).Ok());
    db->SetModified(false);
    db.reset();
    db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
    db->AddObserver(&observer);
    db->SetTextRules({{0, {}, true}, true});
    observer.calls.clear();
    ASSERT_TRUE(db->Open().ok);
    EXPECT_EQ(observer.calls, (QStringList{u"reset"_s, u"done"_s}));
    EXPECT_EQ(db->ShownMovies(), 1) << "read records are shown; the lists give them rows";
    db->Movie(0)->SetTitle(u"heat"_s);
    EXPECT_EQ(db->Movie(0)->Title(), u"Heat"_s) << "the rules apply again after the load";
}

TEST_F(VideoDatabaseTest, CustomFields)
{
    QList<int> added, deleted, renamed;
    db->OnCustomFieldAdded = [&](int i) { added.append(i); };
    db->OnCustomFieldDeleted = [&](int i) { deleted.append(i); };
    db->OnCustomFieldRenamed = [&](int i) { renamed.append(i); };
    TMovie *movie = AddMovie(1);
    TEpisode *episode = movie->AddEpisode();
    db->AddCustomField(u"A"_s);
    db->AddCustomField(u"B"_s);
    EXPECT_EQ(added, (QList<int>{0, 1}));
    EXPECT_EQ(movie->CustomValueCount(), 2);
    EXPECT_EQ(episode->CustomValueCount(), 2);
    EXPECT_EQ(AddMovie(2)->CustomValueCount(), 2) << "new movies get a value per field";
    movie->SetCustomValue(1, u"b"_s);

    db->SetModified(false);
    db->RenameCustomField(0, u"A2"_s);
    db->RenameCustomField(5, u"none"_s);
    EXPECT_EQ(renamed, QList<int>{0});
    EXPECT_FALSE(db->Modified());
    EXPECT_EQ(db->CustomFieldName(0), u"A2"_s);
    EXPECT_TRUE(db->CustomFieldName(2).isEmpty());

    db->DeleteCustomField(0);
    EXPECT_EQ(deleted, QList<int>{0});
    EXPECT_TRUE(db->Modified());
    EXPECT_EQ(db->CustomFieldNames(), QStringList{u"B"_s});
    EXPECT_EQ(movie->CustomValues(), QStringList{u"b"_s});
    EXPECT_EQ(episode->CustomValueCount(), 1);
}

TEST_F(VideoDatabaseTest, EventsReachTheWindow)
{
    int shownEvents = 0;
    QList<bool> loans;
    db->OnShownCountChanged = [&] { ++shownEvents; };
    db->OnLoanChanged = [&](bool returned, const QString &, TBaseMovie *) {
        loans.append(returned);
    };
    TMovie *movie = AddMovie(1);
    EXPECT_EQ(shownEvents, 1);
    movie->Lend(u"Ann"_s);
    movie->ReturnLoan();
    EXPECT_EQ(loans, (QList<bool>{false, true}));
    movie->SetShown(false);
    EXPECT_EQ(db->ShownMovies(), 0);
    EXPECT_EQ(shownEvents, 2);
}

TEST_F(VideoDatabaseTest, ImageFoldersMoveTheirFiles)
{
    const QString oldCovers = db->CoversFolder();
    QDir().mkpath(oldCovers + u"Sub"_s);
    for (const QString &name : {u"a.jpg"_s, u"Sub/b.jpg"_s}) {
        QFile file(oldCovers + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    db->SetModified(false);
    db->SetCoversFolder(oldCovers.chopped(1));
    EXPECT_FALSE(db->Modified()) << "the same folder without its slash is no change";

    const QString target = dir.filePath(u"elsewhere/covers"_s);
    db->SetCoversFolder(target);
    EXPECT_EQ(db->CoversFolder(), target + u'/');
    EXPECT_EQ(db->ImageFolderRelative(TImageFolder::Covers), u"elsewhere/covers/"_s);
    EXPECT_TRUE(db->Modified());
    EXPECT_TRUE(QFile::exists(target + u"/a.jpg"_s));
    EXPECT_TRUE(QFile::exists(target + u"/Sub/b.jpg"_s));
    EXPECT_FALSE(QFile::exists(oldCovers + u"a.jpg"_s));
}

TEST_F(VideoDatabaseTest, MoveFilesNeverReplacesAFile)
{
    const QString from = dir.filePath(u"from/"_s);
    const QString to = dir.filePath(u"to/"_s);
    QDir().mkpath(from);
    QDir().mkpath(to);
    for (const QString &path : {from + u"x.jpg"_s, to + u"x.jpg"_s, from + u"y.jpg"_s}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(path.toUtf8());
    }
    TVideoDatabase::MoveFiles(from, to, false);
    QFile kept(to + u"x.jpg"_s);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), (to + u"x.jpg"_s).toUtf8());
    EXPECT_TRUE(QFile::exists(from + u"x.jpg"_s)) << "what cannot move stays";
    EXPECT_TRUE(QFile::exists(to + u"y.jpg"_s));

    TVideoDatabase::MoveFiles(from + u"x.jpg"_s, dir.filePath(u"single"_s), true);
    EXPECT_TRUE(QFile::exists(from + u"x.jpg"_s)) << "no target folder, no move";
}

} // namespace
