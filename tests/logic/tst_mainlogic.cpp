#include <functional>
#include <ostream>

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>

#include "catalog/textutils.h"
#include "catalog/version.h"
#include "logic/mainlogic.h"

using namespace Qt::StringLiterals;

namespace {

const QString ProgramFolder = u"/opt/rk/"_s;

// ---- Recent files -------------------------------------------------------------------

struct RecentCase
{
    const char *name;
    QStringList before;
    QString closing;
    QString opening;
    QStringList after;
};

void PrintTo(const RecentCase &c, std::ostream *os)
{
    *os << c.name;
}

class RecentChangeTest : public ::testing::TestWithParam<RecentCase>
{};

TEST_P(RecentChangeTest, FollowsTheSteps)
{
    const RecentCase &c = GetParam();
    TRecentFiles recent;
    recent.Load(c.before);
    recent.Change(c.closing, c.opening, ProgramFolder);
    EXPECT_EQ(recent.Store(), c.after);
    EXPECT_LE(recent.Store().size(), TRecentFiles::MaxCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    RecentChangeTest,
    ::testing::Values(
        RecentCase{"NothingChanges", {u"a.rkd"_s}, {}, {}, {u"a.rkd"_s}},
        RecentCase{"ReopeningTheOpenCatalog",
                   {u"a.rkd"_s},
                   u"/opt/rk/b.rkd"_s,
                   u"/opt/rk/b.rkd"_s,
                   {u"a.rkd"_s}},
        RecentCase{"FirstEntry", {}, u"/opt/rk/a.rkd"_s, u"/opt/rk/b.rkd"_s, {u"a.rkd"_s}},
        RecentCase{"InsertedAtFront",
                   {u"b.rkd"_s, u"c.rkd"_s},
                   u"/opt/rk/a.rkd"_s,
                   {},
                   {u"a.rkd"_s, u"b.rkd"_s, u"c.rkd"_s}},
        RecentCase{"FifthEntryKept",
                   {u"b.rkd"_s, u"c.rkd"_s, u"d.rkd"_s, u"e.rkd"_s},
                   u"/opt/rk/a.rkd"_s,
                   {},
                   {u"a.rkd"_s, u"b.rkd"_s, u"c.rkd"_s, u"d.rkd"_s, u"e.rkd"_s}},
        RecentCase{"SixthDropsOldest",
                   {u"b.rkd"_s, u"c.rkd"_s, u"d.rkd"_s, u"e.rkd"_s, u"f.rkd"_s},
                   u"/opt/rk/a.rkd"_s,
                   {},
                   {u"a.rkd"_s, u"b.rkd"_s, u"c.rkd"_s, u"d.rkd"_s, u"e.rkd"_s}},
        RecentCase{"PresentExchangedWithLast",
                   {u"a.rkd"_s, u"b.rkd"_s, u"c.rkd"_s, u"d.rkd"_s},
                   u"/opt/rk/b.rkd"_s,
                   {},
                   {u"a.rkd"_s, u"d.rkd"_s, u"c.rkd"_s, u"b.rkd"_s}},
        RecentCase{"PresentFirstExchangedWithLast",
                   {u"a.rkd"_s, u"b.rkd"_s, u"c.rkd"_s},
                   u"/opt/rk/a.rkd"_s,
                   {},
                   {u"c.rkd"_s, u"b.rkd"_s, u"a.rkd"_s}},
        RecentCase{"PresentLastStays",
                   {u"a.rkd"_s, u"b.rkd"_s},
                   u"/opt/rk/b.rkd"_s,
                   {},
                   {u"a.rkd"_s, u"b.rkd"_s}},
        RecentCase{"OpeningRemoves",
                   {u"a.rkd"_s, u"b.rkd"_s, u"c.rkd"_s},
                   {},
                   u"/opt/rk/b.rkd"_s,
                   {u"a.rkd"_s, u"c.rkd"_s}},
        RecentCase{"OpeningRemovedBeforeInsert",
                   {u"a.rkd"_s, u"b.rkd"_s, u"c.rkd"_s, u"d.rkd"_s, u"e.rkd"_s},
                   u"/opt/rk/x.rkd"_s,
                   u"/opt/rk/c.rkd"_s,
                   {u"x.rkd"_s, u"a.rkd"_s, u"b.rkd"_s, u"d.rkd"_s, u"e.rkd"_s}},
        RecentCase{"OpeningRemovedBeforeExchange",
                   {u"a.rkd"_s, u"b.rkd"_s, u"c.rkd"_s},
                   u"/opt/rk/a.rkd"_s,
                   u"/opt/rk/c.rkd"_s,
                   {u"b.rkd"_s, u"a.rkd"_s}},
        RecentCase{"OpeningUnlistedLeavesList", {u"a.rkd"_s}, {}, u"/opt/rk/z.rkd"_s, {u"a.rkd"_s}},
        RecentCase{"SubfolderMadeRelative", {}, u"/opt/rk/data/m.rkd"_s, {}, {u"data/m.rkd"_s}},
        RecentCase{
            "OtherFolderGetsParentSteps", {}, u"/home/u/x.rkd"_s, {}, {u"../../home/u/x.rkd"_s}},
        RecentCase{"RelativeNameMatchesStoredEntry",
                   {u"data/m.rkd"_s, u"b.rkd"_s},
                   u"data/m.rkd"_s,
                   {},
                   {u"b.rkd"_s, u"data/m.rkd"_s}},
        RecentCase{"AbsoluteOpeningMatchesRelativeEntry",
                   {u"../../home/u/x.rkd"_s, u"b.rkd"_s},
                   {},
                   u"/home/u/x.rkd"_s,
                   {u"b.rkd"_s}},
        RecentCase{"WindowsNameKept", {}, u"C:\\Movies\\x.rkd"_s, {}, {u"C:\\Movies\\x.rkd"_s}},
        RecentCase{"NonAsciiName", {}, u"/opt/rk/Фильмы ü.rkd"_s, {}, {u"Фильмы ü.rkd"_s}}),
    [](const auto &info) { return std::string(info.param.name); });

struct ExpandCase
{
    const char *name;
    QStringList list;
    int index;
    QString expected;
};

void PrintTo(const ExpandCase &c, std::ostream *os)
{
    *os << c.name;
}

class RecentExpandTest : public ::testing::TestWithParam<ExpandCase>
{};

TEST_P(RecentExpandTest, GivesAbsoluteName)
{
    const ExpandCase &c = GetParam();
    TRecentFiles recent;
    recent.Load(c.list);
    EXPECT_EQ(recent.Expand(c.index, ProgramFolder), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    RecentExpandTest,
    ::testing::Values(ExpandCase{"Plain", {u"a.rkd"_s}, 0, u"/opt/rk/a.rkd"_s},
                      ExpandCase{"Second", {u"a.rkd"_s, u"d/b.rkd"_s}, 1, u"/opt/rk/d/b.rkd"_s},
                      ExpandCase{"ParentSteps", {u"../../home/u/x.rkd"_s}, 0, u"/home/u/x.rkd"_s},
                      ExpandCase{"Absolute", {u"/srv/x.rkd"_s}, 0, u"/srv/x.rkd"_s},
                      ExpandCase{"PastEnd", {u"a.rkd"_s}, 1, {}},
                      ExpandCase{"Negative", {u"a.rkd"_s}, -1, {}},
                      ExpandCase{"EmptyList", {}, 0, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RecentFilesTest, ChangeThenExpandRoundTrips)
{
    TRecentFiles recent;
    recent.Change(u"/home/u/Videos/x.rkd"_s, {}, ProgramFolder);
    recent.Change(u"/opt/rk/y.rkd"_s, {}, ProgramFolder);
    EXPECT_EQ(recent.Expand(0, ProgramFolder), u"/opt/rk/y.rkd"_s);
    EXPECT_EQ(recent.Expand(1, ProgramFolder), u"/home/u/Videos/x.rkd"_s);
}

TEST(RecentFilesTest, CaptionsAreShortenedToSixtyFourInListOrder)
{
    const QString longName = u"../../home/user/a very long folder name/another long folder name/"
                             "yet another folder/movies.rkd"_s;
    TRecentFiles recent;
    recent.Load({u"a.rkd"_s, longName});
    const QStringList captions = recent.Captions();
    ASSERT_EQ(captions.size(), 2);
    EXPECT_EQ(captions[0], ShortenPath(u"a.rkd"_s, 64));
    EXPECT_EQ(captions[1], ShortenPath(longName, 64));
    EXPECT_LE(captions[1].size(), 64);
    EXPECT_TRUE(captions[1].endsWith(u"/movies.rkd"_s));
    EXPECT_FALSE(captions[1].startsWith(u"../"_s));
}

// ---- Read-only mode -----------------------------------------------------------------

struct ReadOnlyCase
{
    const char *name;
    bool exists;
    bool writeProtected;
    int fileVersion;
    bool loadFailed;
    bool answer; // what the user would choose
    bool expectedReadOnly;
    bool expectedAsked;
};

void PrintTo(const ReadOnlyCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReadOnlyTest : public ::testing::TestWithParam<ReadOnlyCase>
{};

TEST_P(ReadOnlyTest, DecidesInOrder)
{
    const ReadOnlyCase &c = GetParam();
    int asked = 0;
    const bool readOnly = ReadOnlyDecision(
        c.exists, c.writeProtected, c.fileVersion, ProgramVersionNumber, c.loadFailed, [&] {
            ++asked;
            return c.answer;
        });
    EXPECT_EQ(readOnly, c.expectedReadOnly);
    EXPECT_EQ(asked, c.expectedAsked ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ReadOnlyTest,
    ::testing::Values(
        ReadOnlyCase{"Writable", true, false, 9006, false, true, false, false},
        ReadOnlyCase{"OlderVersion", true, false, 9005, false, true, false, false},
        ReadOnlyCase{"Protected", true, true, 9006, false, false, true, false},
        ReadOnlyCase{"ProtectedNewerNotAsked", true, true, 9007, false, false, true, false},
        ReadOnlyCase{"MissingFileIgnoresProtection", false, true, 9006, false, true, false, false},
        ReadOnlyCase{"NewerYes", true, false, 9007, false, true, true, true},
        ReadOnlyCase{"NewerNo", true, false, 9007, false, false, false, true},
        ReadOnlyCase{"MissingNewerAsks", false, true, 10000, false, true, true, true},
        ReadOnlyCase{
            "SameVersionNotAsked", true, false, ProgramVersionNumber, false, true, false, false},
        ReadOnlyCase{"LoadFailed", false, false, 0, true, false, true, false},
        ReadOnlyCase{"LoadFailedNewerNoStillReadOnly", true, false, 9007, true, false, true, true},
        ReadOnlyCase{"LoadFailedProtected", true, true, 9006, true, false, true, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ReadOnlyTest, NoQuestionCallbackMeansNo)
{
    EXPECT_FALSE(ReadOnlyDecision(true, false, 9999, ProgramVersionNumber, false, {}));
    EXPECT_TRUE(ReadOnlyDecision(true, false, 9999, ProgramVersionNumber, true, {}));
}

TEST(ReadOnlyTest, WriteProtectionFollowsOwnerWriteBit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"m.rkd"_s);
    EXPECT_FALSE(FileWriteProtected(path)); // missing
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(FileWriteProtected(path));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteGroup));
    EXPECT_TRUE(FileWriteProtected(path));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_FALSE(FileWriteProtected(path));
}

// ---- Title bar ----------------------------------------------------------------------

struct TitleCase
{
    const char *name;
    QString fileName;
    bool peopleMode;
    bool readOnly;
    bool modified;
    QString expected;
};

void PrintTo(const TitleCase &c, std::ostream *os)
{
    *os << c.name;
}

class TitleBarTest : public ::testing::TestWithParam<TitleCase>
{};

TEST_P(TitleBarTest, ComposesCaption)
{
    const TitleCase &c = GetParam();
    EXPECT_EQ(TitleBarText(c.fileName,
                           c.peopleMode,
                           c.readOnly,
                           c.modified,
                           u"People"_s,
                           u"Movies"_s,
                           u"Read only"_s),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    TitleBarTest,
    ::testing::Values(
        TitleCase{"NoFile", {}, false, false, false, u"Reelkeep - Movies"_s},
        TitleCase{"NoFileModified", {}, false, false, true, u"Reelkeep - Movies*"_s},
        TitleCase{
            "Movies", u"/home/u/films.rkd"_s, false, false, false, u"Reelkeep (films) - Movies"_s},
        TitleCase{
            "People", u"/home/u/films.rkd"_s, true, false, false, u"Reelkeep (films) - People"_s},
        TitleCase{"Modified",
                  u"/home/u/films.rkd"_s,
                  false,
                  false,
                  true,
                  u"Reelkeep (films) - Movies*"_s},
        TitleCase{"ReadOnlyHidesModified",
                  u"/home/u/films.rkd"_s,
                  true,
                  true,
                  true,
                  u"Reelkeep (films) - People - Read only"_s},
        TitleCase{"ReadOnly",
                  u"/home/u/films.rkd"_s,
                  false,
                  true,
                  false,
                  u"Reelkeep (films) - Movies - Read only"_s},
        TitleCase{"LastFourCharactersWhateverTheyAre",
                  u"/x/my.movies.db"_s,
                  false,
                  false,
                  false,
                  u"Reelkeep (my.movie) - Movies"_s},
        TitleCase{"NoFolder", u"kino.rkd"_s, false, false, false, u"Reelkeep (kino) - Movies"_s},
        TitleCase{"DotsInFolder",
                  u"/a.b/c.d/Фильмы.rkd"_s,
                  false,
                  false,
                  false,
                  u"Reelkeep (Фильмы) - Movies"_s},
        TitleCase{"ShortName", u"/x/abc"_s, false, false, false, u"Reelkeep () - Movies"_s}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Auto-save ----------------------------------------------------------------------

// Records every call so a sequence can be compared as text.
class FakeTimer : public TAutoSaveTimer
{
public:
    void Start(int milliseconds) override { log.append(u"start %1"_s.arg(milliseconds)); }
    void Stop() override { log.append(u"stop"_s); }
    QStringList log;
};

enum class Event { IdleOff, IdleClean, Idle, TickEditing, Tick, Saved };

struct AutoSaveCase
{
    const char *name;
    std::vector<Event> events;
    QStringList timerLog;
    int saves;
    bool armedAfter;
};

void PrintTo(const AutoSaveCase &c, std::ostream *os)
{
    *os << c.name;
}

class AutoSaveTest : public ::testing::TestWithParam<AutoSaveCase>
{};

TEST_P(AutoSaveTest, RunsSequence)
{
    const AutoSaveCase &c = GetParam();
    FakeTimer timer;
    TAutoSaveState state(timer);
    int saves = 0;
    constexpr int IntervalMinutes = 15;
    for (const Event event : c.events) {
        switch (event) {
        case Event::IdleOff:
            state.OnIdle(false, true, IntervalMinutes);
            break;
        case Event::IdleClean:
            state.OnIdle(true, false, IntervalMinutes);
            break;
        case Event::Idle:
            state.OnIdle(true, true, IntervalMinutes);
            break;
        case Event::TickEditing:
            saves += state.OnTimer(true) == TAutoSaveAction::Save;
            break;
        case Event::Tick:
            saves += state.OnTimer(false) == TAutoSaveAction::Save;
            break;
        case Event::Saved:
            state.OnNotModified();
            break;
        }
    }
    EXPECT_EQ(timer.log, c.timerLog);
    EXPECT_EQ(saves, c.saves);
    EXPECT_EQ(state.Armed(), c.armedAfter);
}

using E = Event;
INSTANTIATE_TEST_SUITE_P(
    Sequences,
    AutoSaveTest,
    ::testing::Values(
        AutoSaveCase{"OffNeverArms", {E::IdleOff, E::IdleOff}, {}, 0, false},
        AutoSaveCase{"CleanNeverArms", {E::IdleClean}, {}, 0, false},
        AutoSaveCase{"ArmsOnce", {E::Idle, E::Idle, E::Idle}, {u"start 900000"_s}, 0, true},
        AutoSaveCase{"TickUnarmedDoesNothing", {E::Tick, E::TickEditing}, {}, 0, false},
        AutoSaveCase{"TickSaves", {E::Idle, E::Tick}, {u"start 900000"_s, u"stop"_s}, 1, true},
        AutoSaveCase{"EditingRetriesAfterAMinute",
                     {E::Idle, E::TickEditing, E::TickEditing, E::Tick},
                     {u"start 900000"_s, u"start 60000"_s, u"start 60000"_s, u"stop"_s},
                     1,
                     true},
        AutoSaveCase{"SavedClears",
                     {E::Idle, E::Tick, E::Saved},
                     {u"start 900000"_s, u"stop"_s, u"stop"_s},
                     1,
                     false},
        AutoSaveCase{"StillArmedAfterSaveDoesNotRearm",
                     {E::Idle, E::Tick, E::Idle},
                     {u"start 900000"_s, u"stop"_s},
                     1,
                     true},
        AutoSaveCase{"RearmsAfterClear",
                     {E::Idle, E::Tick, E::Saved, E::Idle},
                     {u"start 900000"_s, u"stop"_s, u"stop"_s, u"start 900000"_s},
                     1,
                     true},
        AutoSaveCase{"ClearBeforeTickCancels",
                     {E::Idle, E::Saved, E::Tick},
                     {u"start 900000"_s, u"stop"_s},
                     0,
                     false},
        AutoSaveCase{"ClearWhileIdleStopsAnyway", {E::Saved}, {u"stop"_s}, 0, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AutoSaveTest, IntervalSettingSetsDelay)
{
    FakeTimer timer;
    TAutoSaveState state(timer);
    state.OnIdle(true, true, 3);
    state.OnNotModified();
    state.OnIdle(true, true, 120);
    EXPECT_EQ(timer.log, (QStringList{u"start 180000"_s, u"stop"_s, u"start 7200000"_s}));
}

TEST(AutoSaveTest, QtTimerAdapterDrivesTimer)
{
    QTimer qtimer;
    TQtAutoSaveTimer adapter(&qtimer);
    adapter.Start(60000);
    EXPECT_TRUE(qtimer.isActive());
    EXPECT_EQ(qtimer.interval(), 60000);
    adapter.Stop();
    EXPECT_FALSE(qtimer.isActive());
}

TEST(VersionCheckTest, DueAfterSevenWholeDaysAndOneMinute)
{
    const double now = 46000.5;
    const double minute = 1.0 / (24 * 60);
    // Seven whole days since the last check; the last attempt a minute ago.
    EXPECT_TRUE(VersionCheckDue(true, now - 7, now - minute, now));
    EXPECT_FALSE(VersionCheckDue(false, now - 7, now - minute, now));
    EXPECT_FALSE(VersionCheckDue(true, now - 7 + minute, now - minute, now));
    EXPECT_FALSE(VersionCheckDue(true, now - 30, now - minute / 2, now));
    // The start remembers an hour ago as the last attempt, so the first idle moment checks.
    EXPECT_TRUE(VersionCheckDue(true, now - 8, now - 1.0 / 24, now));
}

TEST(VersionCheckTest, WaitUntilDueIsTheLaterRuleCappedAtAnHour)
{
    const double now = 46000.5;
    const double minute = 1.0 / (24 * 60);
    const struct
    {
        bool doUpdates;
        double lastUpdate, lastAttempt;
        int expected;
    } cases[] = {
        {false, now - 30, now - 1, -1},
        {true, now - 30, now - 1, 1},              // due now
        {true, now - 30, now - minute / 2, 30000}, // the minute since the attempt
        {true, now - 7 + minute, now - 1, 60000},  // the seventh whole day
        {true, now, now, 3600000},                 // a week away: looked at hourly
    };
    for (const auto &c : cases)
        EXPECT_NEAR(
            MsUntilVersionCheckDue(c.doUpdates, c.lastUpdate, c.lastAttempt, now), c.expected, 1)
            << c.expected;
}

TEST(VersionCheckTest, RegisteredCheckerIsKeptUntilReplaced)
{
    struct TCounting : IVersionCheck
    {
        int started = 0;
        void StartVersionCheck() override { ++started; }
    } check;
    EXPECT_EQ(RegisteredVersionCheck(), nullptr);
    SetVersionCheck(&check);
    RegisteredVersionCheck()->StartVersionCheck();
    EXPECT_EQ(check.started, 1);
    SetVersionCheck(nullptr);
    EXPECT_EQ(RegisteredVersionCheck(), nullptr);
}

TEST(LanguageIdTest, QtLanguagesMapToWindowsIdentifiers)
{
    EXPECT_EQ(WindowsLanguageId(QLocale::English), 9);
    EXPECT_EQ(WindowsLanguageId(QLocale::German), 7);
    EXPECT_EQ(WindowsLanguageId(QLocale::Russian), 25);
    EXPECT_EQ(WindowsLanguageId(QLocale::Serbian), WindowsLanguageId(QLocale::Croatian));
    EXPECT_EQ(WindowsLanguageId(QLocale::Zulu), 0);
}

} // namespace
