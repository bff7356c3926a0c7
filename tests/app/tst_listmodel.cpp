#include <memory>

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

#include "app/listmodel.h"
#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

// QAbstractItemModelTester reports through warnings of its category; every one fails the test.
QStringList &ModelTesterComplaints()
{
    static QStringList complaints;
    return complaints;
}

void CollectComplaints(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && QByteArray(context.category).startsWith("qt.modeltest"))
        ModelTesterComplaints().append(text);
}

QStringList RowTexts(const QAbstractItemModel &model, const QModelIndex &parent = {})
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts.append(model.index(row, 0, parent).data().toString());
    return texts;
}

// Titles case-insensitively, episodes by number, group rows by caption.
int CompareByTitle(const TViewNode &a, const TViewNode &b, int)
{
    if (a.IsGroup())
        return a.caption.compare(b.caption);
    if (a.record->Kind() == TRecordKind::Episode) {
        return static_cast<TEpisode *>(a.record)->Epnum()
               - static_cast<TEpisode *>(b.record)->Epnum();
    }
    return static_cast<TMovie *>(a.record)->DisplayTitle().compare(
        static_cast<TMovie *>(b.record)->DisplayTitle(), Qt::CaseInsensitive);
}

// Two models under one catalog, as the main window has them. Records are placed at the top
// level unless a test gives them groups.
class ListModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ModelTesterComplaints().clear();
        m_previousHandler = qInstallMessageHandler(CollectComplaints);
        m_movies.SetParentsRule([this](const TDBItem &) { return m_parents; });
        OpenCatalog(QString());
    }
    void TearDown() override
    {
        m_db.reset();
        qInstallMessageHandler(m_previousHandler);
        EXPECT_TRUE(ModelTesterComplaints().isEmpty())
            << ModelTesterComplaints().join(u'\n').toStdString();
    }

    void OpenCatalog(const QString &file)
    {
        m_db = std::make_unique<TVideoDatabase>(file);
        m_db->AddObserver(&m_movies);
        m_db->AddObserver(&m_people);
    }
    TMovie *AddMovie(const QString &title)
    {
        auto *movie = static_cast<TMovie *>(m_db->AddRecord(0));
        movie->SetTitle(title);
        return movie;
    }
    TEpisode *AddEpisode(TMovie *movie, int epnum, const QString &title = {})
    {
        TEpisode *episode = movie->AddEpisode();
        episode->SetEpnum(epnum);
        episode->SetTitle(title);
        return episode;
    }
    // The row of a node through the view's side of the model, checked against the node's.
    QModelIndex IndexFor(const TViewNode *node)
    {
        const QModelIndex index = m_movies.IndexOf(node);
        EXPECT_EQ(m_movies.NodeOf(index), node);
        return index;
    }

    QtMessageHandler m_previousHandler = nullptr;
    QList<TViewNode *> m_parents{nullptr};
    TListModel m_movies;
    TListModel m_people{nullptr, TRecordKind::Person};
    QAbstractItemModelTester m_movieTester{&m_movies,
                                           QAbstractItemModelTester::FailureReportingMode::Warning};
    QAbstractItemModelTester m_peopleTester{
        &m_people, QAbstractItemModelTester::FailureReportingMode::Warning};
    // Destroyed before the models, which observe it.
    std::unique_ptr<TVideoDatabase> m_db;
};

TEST_F(ListModelTest, RecordsShowThemselvesWithTheirTitles)
{
    TMovie *alien = AddMovie(u"Alien"_s);
    TMovie *solaris = AddMovie({});
    solaris->SetOrigtitle(u"Солярис"_s);
    auto *person = static_cast<TActor *>(m_db->AddRecord(1, u"Ann Smith"_s));

    EXPECT_EQ(RowTexts(m_movies), (QStringList{u"Alien"_s, u"Солярис"_s}));
    EXPECT_EQ(RowTexts(m_people), QStringList{u"Ann Smith"_s});
    EXPECT_EQ(m_movies.columnCount(), 1);
    EXPECT_EQ(m_movies.headerData(0, Qt::Horizontal).toString(), u"Title"_s);

    const QModelIndex second = m_movies.index(1, 0);
    EXPECT_EQ(m_movies.RecordOf(second), solaris);
    EXPECT_EQ(m_movies.FirstNodeOf(solaris), m_movies.NodeOf(second));
    EXPECT_EQ(IndexFor(m_movies.FirstNodeOf(alien)).row(), 0);
    EXPECT_EQ(m_people.RecordOf(m_people.index(0, 0)), person);
    // A record of the other list has no node here.
    EXPECT_EQ(m_movies.FirstNodeOf(person), nullptr);
}

TEST_F(ListModelTest, EpisodesHangUnderEveryNodeOfTheirMovie)
{
    TViewNode *drama = m_movies.AddGroupNode(nullptr, u"Drama"_s, u"drama"_s);
    TViewNode *comedy = m_movies.AddGroupNode(nullptr, u"Comedy"_s, u"comedy"_s);
    m_parents = {drama, comedy};
    TMovie *series = AddMovie(u"Friends"_s);
    TEpisode *pilot = AddEpisode(series, 3, u"Pilot"_s);
    AddEpisode(series, 4);

    ASSERT_EQ(m_movies.NodesOf(series).size(), 2);
    for (TViewNode *node : m_movies.NodesOf(series)) {
        const QModelIndex movieRow = IndexFor(node);
        EXPECT_EQ(RowTexts(m_movies, movieRow), (QStringList{u"3 - Pilot"_s, u"4"_s}));
        EXPECT_EQ(m_movies.RecordOf(m_movies.index(0, 0, movieRow)), pilot);
        EXPECT_EQ(node->Parent()->level, 0);
    }

    m_db->DeleteRecord(pilot);
    EXPECT_EQ(RowTexts(m_movies, IndexFor(m_movies.NodesOf(series).at(1))), QStringList{u"4"_s});

    // The groups held nothing but the series: they go with it.
    m_db->DeleteRecord(series);
    EXPECT_EQ(m_movies.rowCount(), 0);
    EXPECT_EQ(m_movies.NodeCount(), 0);
}

TEST_F(ListModelTest, HidingRemovesRowsAndEmptyGroups)
{
    TViewNode *year = m_movies.AddGroupNode(nullptr, u"1979"_s, u"1979"_s);
    TViewNode *country = m_movies.AddGroupNode(year, u"UK"_s, u"UK"_s);
    TViewNode *other = m_movies.AddGroupNode(nullptr, u"1980"_s, u"1980"_s);
    EXPECT_EQ(country->level, 1);
    m_parents = {country};
    TMovie *alien = AddMovie(u"Alien"_s);
    m_parents = {other};
    TMovie *shining = AddMovie(u"The Shining"_s);
    AddMovie(u"Airplane!"_s);
    QSignalSpy removed(&m_movies, &QAbstractItemModel::rowsRemoved);

    shining->SetShown(false);
    EXPECT_EQ(RowTexts(m_movies, IndexFor(other)), QStringList{u"Airplane!"_s});
    EXPECT_EQ(m_db->ShownMovies(), 2);
    EXPECT_TRUE(m_movies.NodesOf(shining).isEmpty());

    // The last movie of a nested group takes both groups along.
    alien->SetShown(false);
    EXPECT_EQ(RowTexts(m_movies), QStringList{u"1980"_s});
    EXPECT_EQ(removed.count(), 4);

    m_parents = {nullptr};
    shining->SetShown(true);
    EXPECT_EQ(RowTexts(m_movies), (QStringList{u"1980"_s, u"The Shining"_s}));
}

// With no view asking in between, the model leaves its row numbers stale between changes;
// whatever asks next must still get the right rows.
TEST(ListModelRows, StayRightWithoutAViewAskingInBetween)
{
    TListModel model;
    auto db = std::make_unique<TVideoDatabase>(QString());
    db->AddObserver(&model);
    QList<TMovie *> movies;
    for (int i = 0; i < 60; ++i) {
        movies.append(static_cast<TMovie *>(db->AddRecord(0)));
        movies.back()->SetTitle(u"%1"_s.arg(i, 2, 10, QChar(u'0')));
    }
    model.Sort(0, Qt::AscendingOrder, CompareByTitle);

    // Shown again into the middle, then deleted one by one from the middle.
    movies[5]->SetShown(false);
    movies[5]->SetShown(true);
    db->DeleteRecord(movies.takeAt(30));
    db->DeleteRecord(movies.takeAt(10));

    // In a bracket, with a look at the rows halfway.
    model.BeginUpdate();
    for (int i = 0; i < 20; ++i)
        movies.takeAt(i)->SetShown(false);
    EXPECT_EQ(model.ChildCount(nullptr), 38);
    EXPECT_EQ(model.Child(nullptr, 1)->record, movies.at(1));
    for (int i = 10; i < 20; ++i)
        movies.takeAt(i)->SetShown(false);
    model.EndUpdate();

    ASSERT_EQ(model.rowCount(), movies.size());
    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_EQ(model.RecordOf(model.index(row, 0)), movies.at(row));
        EXPECT_EQ(model.RowOf(model.FirstNodeOf(movies.at(row))), row);
    }
}

TEST_F(ListModelTest, LoadedCatalogBuildsInOneReset)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(u"films.rkd"_s);
    {
        TVideoDatabase writer(file);
        for (const QString &title : {u"Brazil"_s, u"Alien"_s, u"Cube"_s}) {
            auto *movie = static_cast<TMovie *>(writer.AddRecord(0));
            movie->SetTitle(title);
            if (title == u"Cube"_s)
                movie->AddEpisode()->SetEpnum(1);
        }
        writer.AddRecord(1, u"Zoe"_s);
        ASSERT_TRUE(writer.Save(true).Ok());
    }
    // A sort rule set before the load applies to the built list.
    m_movies.Sort(0, Qt::AscendingOrder, CompareByTitle);
    OpenCatalog(file);
    QSignalSpy resets(&m_movies, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&m_movies, &QAbstractItemModel::rowsInserted);
    ASSERT_TRUE(m_db->Open().ok);
    // The load places no rows itself (the lists are built once it is over).
    EXPECT_EQ(m_movies.rowCount(), 0);
    EXPECT_EQ(resets.count(), 0);

    // The window's build, inside its own bracket.
    m_movies.BeginUpdate();
    m_movies.Build(*m_db);
    EXPECT_EQ(resets.count(), 0);
    m_movies.EndUpdate();

    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(RowTexts(m_movies), (QStringList{u"Alien"_s, u"Brazil"_s, u"Cube"_s}));
    EXPECT_EQ(RowTexts(m_movies, m_movies.index(2, 0)), QStringList{u"1"_s});
    EXPECT_EQ(m_db->ShownMovies(), 3);
}

TEST_F(ListModelTest, SortPutsGroupRowsFirstAtEveryLevel)
{
    AddMovie(u"zulu"_s);
    TViewNode *b = m_movies.AddGroupNode(nullptr, u"B"_s);
    TMovie *mike = AddMovie(u"Mike"_s);
    m_movies.AddGroupNode(nullptr, u"A"_s);
    TMovie *series = AddMovie(u"alpha"_s);
    for (int epnum : {3, 1, 2})
        AddEpisode(series, epnum);
    const QPersistentModelIndex mikeRow = IndexFor(m_movies.NodesOf(mike).first());
    const QPersistentModelIndex bRow = IndexFor(b);
    QSignalSpy layouts(&m_movies, &QAbstractItemModel::layoutChanged);

    m_movies.Sort(2, Qt::AscendingOrder, CompareByTitle);
    EXPECT_EQ(RowTexts(m_movies), (QStringList{u"A"_s, u"B"_s, u"alpha"_s, u"Mike"_s, u"zulu"_s}));
    const QModelIndex seriesRow = m_movies.index(2, 0);
    EXPECT_EQ(RowTexts(m_movies, seriesRow), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_EQ(mikeRow.row(), 3);
    EXPECT_EQ(bRow.row(), 1);
    EXPECT_EQ(layouts.count(), 1);

    // Descending reverses the whole order: record rows now come before group rows.
    m_movies.Sort(2, Qt::DescendingOrder, CompareByTitle);
    EXPECT_EQ(RowTexts(m_movies), (QStringList{u"zulu"_s, u"Mike"_s, u"alpha"_s, u"B"_s, u"A"_s}));
    EXPECT_EQ(RowTexts(m_movies, m_movies.index(2, 0)), (QStringList{u"3"_s, u"2"_s, u"1"_s}));
    EXPECT_EQ(mikeRow.row(), 1);

    // Rows added later go to their sorted place; an edit needs Resort.
    TMovie *nova = AddMovie(u"Nova"_s);
    nova->SetShown(false);
    QSignalSpy inserted(&m_movies, &QAbstractItemModel::rowsInserted);
    nova->SetShown(true);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 1);
    mike->SetTitle(u"Zeta"_s);
    m_movies.Resort();
    EXPECT_EQ(RowTexts(m_movies),
              (QStringList{u"zulu"_s, u"Zeta"_s, u"Nova"_s, u"alpha"_s, u"B"_s, u"A"_s}));
    EXPECT_EQ(mikeRow.row(), 1);
    EXPECT_EQ(m_movies.SortColumn(), 2);
}

TEST_F(ListModelTest, DestroyingTheCatalogEmptiesBothModels)
{
    TViewNode *group = m_movies.AddGroupNode(nullptr, u"A"_s);
    m_parents = {group, nullptr};
    TMovie *series = AddMovie(u"Alien"_s);
    AddEpisode(series, 1);
    m_parents = {nullptr};
    AddMovie(u"Brazil"_s);
    m_db->AddRecord(1, u"Zoe"_s);
    QSignalSpy resets(&m_movies, &QAbstractItemModel::modelReset);

    m_db.reset();
    EXPECT_EQ(m_movies.rowCount(), 0);
    EXPECT_EQ(m_movies.NodeCount(), 0);
    EXPECT_EQ(m_people.rowCount(), 0);
    EXPECT_EQ(m_people.NodeCount(), 0);
    EXPECT_EQ(resets.count(), 1);
}

TEST_F(ListModelTest, ClearHidesRecordsThatStillHaveRows)
{
    TMovie *series = AddMovie(u"Alien"_s);
    TEpisode *episode = AddEpisode(series, 1);
    m_movies.AddGroupNode(nullptr, u"Empty"_s);
    QSignalSpy resets(&m_movies, &QAbstractItemModel::modelReset);

    m_movies.Clear();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(m_movies.NodeCount(), 0);
    EXPECT_FALSE(series->Shown());
    EXPECT_TRUE(m_movies.NodesOf(series).isEmpty());
    EXPECT_TRUE(m_movies.NodesOf(episode).isEmpty());
    EXPECT_EQ(m_db->ShownMovies(), 0);

    series->SetShown(true);
    EXPECT_EQ(RowTexts(m_movies, m_movies.index(0, 0)), QStringList{u"1"_s});
    m_db->DeleteRecord(series);
    EXPECT_EQ(m_movies.rowCount(), 0);
}

TEST_F(ListModelTest, FilterDecidesWhatTheListShows)
{
    m_movies.SetFilterRule(
        [](const TDBItem &record) { return static_cast<const TMovie &>(record).Wish(); });
    TMovie *alien = AddMovie(u"Alien"_s);
    EXPECT_FALSE(alien->Shown()) << "a new movie the filter refuses is hidden";
    EXPECT_EQ(m_db->ShownMovies(), 0);
    alien->SetWish(true);
    m_movies.ShowIfPassing(*alien);
    TMovie *brazil = AddMovie(u"Brazil"_s);
    brazil->SetShown(true);
    EXPECT_EQ(RowTexts(m_movies), (QStringList{u"Alien"_s, u"Brazil"_s}))
        << "showing by hand passes no filter";

    m_movies.ShowIfPassing(*brazil);
    EXPECT_TRUE(brazil->Shown()) << "a shown record stays";
    m_movies.ApplyFilter(*brazil);
    EXPECT_FALSE(brazil->Shown());
    brazil->SetShown(true);
    m_movies.Build(*m_db);
    EXPECT_EQ(RowTexts(m_movies), QStringList{u"Alien"_s});
    EXPECT_EQ(m_db->ShownMovies(), 1);
}

TEST_F(ListModelTest, ForeignAndMissingHandlesAreRefused)
{
    AddMovie(u"Alien"_s);
    TViewNode *group = m_movies.AddGroupNode(nullptr, u"A"_s);
    TViewNode *person = m_people.FirstNodeOf(m_db->AddRecord(1, u"Zoe"_s));
    ASSERT_NE(person, nullptr);
    QSignalSpy removed(&m_movies, &QAbstractItemModel::rowsRemoved);

    m_movies.DeleteNode(nullptr);
    m_movies.DeleteNode(person);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(m_movies.AddChildNode(person, nullptr, -1), nullptr);
    EXPECT_EQ(m_movies.AddGroupNode(person, u"X"_s), nullptr);
    EXPECT_EQ(m_movies.rowCount(), 2);

    EXPECT_EQ(m_movies.NodeOf({}), nullptr);
    EXPECT_EQ(m_movies.NodeOf(m_people.index(0, 0)), nullptr);
    EXPECT_FALSE(m_movies.IndexOf(nullptr).isValid());
    EXPECT_FALSE(m_movies.IndexOf(person).isValid());
    EXPECT_FALSE(m_movies.IndexOf(group, 1).isValid());
    EXPECT_EQ(m_movies.RecordOf(IndexFor(group)), nullptr);
    EXPECT_EQ(m_movies.RowOf(person), -1);
    EXPECT_EQ(m_movies.Child(nullptr, 2), nullptr);
    EXPECT_EQ(m_movies.Child(nullptr, -1), nullptr);
    EXPECT_EQ(m_movies.ChildCount(person), 0);

    // An unmatched EndUpdate leaves later changes announced row by row.
    QSignalSpy inserted(&m_movies, &QAbstractItemModel::rowsInserted);
    m_movies.EndUpdate();
    AddMovie(u"Brazil"_s);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_FALSE(m_movies.Updating());
}

// Keys ordering records exactly as CompareByTitle does.
TListModel::TSortKey TitleKey(const TDBItem &record, int)
{
    if (record.Kind() == TRecordKind::Episode)
        return {double(static_cast<const TEpisode &>(record).Epnum()), {}};
    return {0, static_cast<const TMovie &>(record).DisplayTitle().toCaseFolded()};
}

int CompareTitleKeys(const TListModel::TSortKey &a, const TListModel::TSortKey &b, int)
{
    if (a.number != b.number)
        return a.number < b.number ? -1 : 1;
    return a.text.compare(b.text);
}

// Keyed sorts keep what they worked out between sorts by the same column: equal rows must
// still keep their order either way round, and an edited record must not sort by its old key.
TEST_F(ListModelTest, KeyedSortsKeepTiesInOrderAndFollowEdits)
{
    m_movies.SetSortKeys(TitleKey, CompareTitleKeys);
    QList<TMovie *> movies;
    for (const QString &title : {u"Brazil"_s, u"alien"_s, u"Alien"_s, u"ALIEN"_s})
        movies.append(AddMovie(title));
    TMovie *series = movies.first();
    for (int epnum : {3, 1, 2})
        AddEpisode(series, epnum);
    const struct
    {
        Qt::SortOrder order;
        QString retitle; // "alien" gets this title first
        QStringList rows;
        QStringList episodes;
    } steps[] = {
        {Qt::AscendingOrder,
         {},
         {u"alien"_s, u"Alien"_s, u"ALIEN"_s, u"Brazil"_s},
         {u"1"_s, u"2"_s, u"3"_s}},
        {Qt::DescendingOrder,
         {},
         {u"Brazil"_s, u"alien"_s, u"Alien"_s, u"ALIEN"_s},
         {u"3"_s, u"2"_s, u"1"_s}},
        {Qt::AscendingOrder,
         {},
         {u"alien"_s, u"Alien"_s, u"ALIEN"_s, u"Brazil"_s},
         {u"1"_s, u"2"_s, u"3"_s}},
        {Qt::DescendingOrder,
         u"Zorro"_s,
         {u"Zorro"_s, u"Brazil"_s, u"Alien"_s, u"ALIEN"_s},
         {u"3"_s, u"2"_s, u"1"_s}},
    };
    for (const auto &step : steps) {
        if (!step.retitle.isEmpty())
            movies.at(1)->SetTitle(step.retitle);
        m_movies.Sort(0, step.order, CompareByTitle);
        EXPECT_EQ(RowTexts(m_movies), step.rows) << step.retitle.toStdString();
        EXPECT_EQ(RowTexts(m_movies, IndexFor(m_movies.FirstNodeOf(series))), step.episodes);
    }
}

// A refilter sorts a series' episodes by the places their last sort gave them: those
// must follow an edit, a turned direction and another column.
TEST_F(ListModelTest, RefilteredEpisodesKeepTheirOrderAndFollowEdits)
{
    TMovie *series = AddMovie(u"Series"_s);
    QList<TEpisode *> episodes;
    for (int epnum : {3, 1, 2})
        episodes.append(AddEpisode(series, epnum));
    const auto refilter = [&] {
        m_movies.PrepareOrder({series});
        m_movies.BeginUpdate();
        series->SetShown(false);
        series->SetShown(true);
        m_movies.EndUpdate();
        return RowTexts(m_movies, IndexFor(m_movies.FirstNodeOf(series)));
    };
    m_movies.Sort(0, Qt::AscendingOrder, CompareByTitle);
    EXPECT_EQ(refilter(), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_EQ(refilter(), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
    episodes.at(0)->SetEpnum(0);
    EXPECT_EQ(refilter(), (QStringList{u"0"_s, u"1"_s, u"2"_s}));
    m_movies.Sort(0, Qt::DescendingOrder, CompareByTitle);
    EXPECT_EQ(refilter(), (QStringList{u"2"_s, u"1"_s, u"0"_s}));
    // Another column orders them afresh (here the titles backwards, descending).
    m_movies.Sort(1, Qt::DescendingOrder, [](const TViewNode &a, const TViewNode &b, int) {
        return -CompareByTitle(a, b, 0);
    });
    EXPECT_EQ(refilter(), (QStringList{u"0"_s, u"1"_s, u"2"_s}));
}

// A hidden record's row waits to come back (the same node, in its sorted place, with its
// episodes); a record removed while hidden takes it along.
TEST_F(ListModelTest, HiddenRowsComeBackAndGoWithTheirRecord)
{
    m_movies.Sort(0, Qt::AscendingOrder, CompareByTitle);
    TMovie *series = AddMovie(u"Dune"_s);
    for (int epnum : {2, 1})
        AddEpisode(series, epnum);
    TMovie *alien = AddMovie(u"Alien"_s);
    AddMovie(u"Zulu"_s);
    TViewNode *node = m_movies.FirstNodeOf(series);
    const QPersistentModelIndex row = IndexFor(node);
    const int nodes = m_movies.NodeCount();

    for (const bool bracket : {false, true}) {
        if (bracket)
            m_movies.BeginUpdate();
        series->SetShown(false);
        alien->SetShown(false);
        EXPECT_FALSE(m_movies.Contains(node));
        EXPECT_EQ(m_movies.FirstNodeOf(series), nullptr);
        EXPECT_EQ(m_movies.NodeCount(), nodes - 4);
        series->SetShown(true);
        if (bracket)
            m_movies.EndUpdate();
        EXPECT_EQ(m_movies.FirstNodeOf(series), node);
        EXPECT_EQ(RowTexts(m_movies), (QStringList{u"Dune"_s, u"Zulu"_s}));
        EXPECT_EQ(RowTexts(m_movies, IndexFor(node)), (QStringList{u"1"_s, u"2"_s}));
        alien->SetShown(true);
        EXPECT_EQ(RowTexts(m_movies), (QStringList{u"Alien"_s, u"Dune"_s, u"Zulu"_s}));
    }
    EXPECT_FALSE(row.isValid());

    series->SetShown(false);
    m_db->DeleteRecord(series);
    alien->SetShown(false);
    m_db->DeleteRecord(alien);
    EXPECT_EQ(m_movies.NodeCount(), 1);
    EXPECT_EQ(RowTexts(m_movies), QStringList{u"Zulu"_s});
}

// The columns a list will get from the window: fixed captions and texts per node.
class TThreeColumns : public ITextProvider
{
public:
    int ColumnCount() const override { return 3; }
    QString HeaderCaption(int column) const override { return u"Col %1"_s.arg(column); }
    QString CellText(const TViewNode &node, int column) const override
    {
        if (node.IsGroup())
            return column == 0 ? node.caption : QString();
        return column == 2 ? u"a\tb"_s : static_cast<TMovie *>(node.record)->Title();
    }
};

TEST_F(ListModelTest, TextProviderGivesColumnsAndCells)
{
    AddMovie(u"Alien"_s);
    m_movies.AddGroupNode(nullptr, u"Group"_s);
    QSignalSpy resets(&m_movies, &QAbstractItemModel::modelReset);

    m_movies.SetTextProvider(std::make_unique<TThreeColumns>());
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(m_movies.columnCount(), 3);
    EXPECT_EQ(m_movies.headerData(2, Qt::Horizontal).toString(), u"Col 2"_s);
    EXPECT_FALSE(m_movies.headerData(3, Qt::Horizontal).isValid());
    EXPECT_EQ(m_movies.index(0, 1).data().toString(), u"Alien"_s);
    // Tabs would open wide gaps; they become four spaces.
    EXPECT_EQ(m_movies.index(0, 2).data().toString(), u"a    b"_s);
    EXPECT_EQ(m_movies.index(1, 2).data().toString(), QString());
    EXPECT_FALSE(m_movies.index(0, 3).isValid());

    m_movies.SetTextProvider(nullptr);
    EXPECT_EQ(m_movies.columnCount(), 1);
    EXPECT_EQ(RowTexts(m_movies), (QStringList{u"Alien"_s, u"Group"_s}));
}

} // namespace
