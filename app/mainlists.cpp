// The main window's two catalog lists: how they are wired to the window, the catalog's
// custom fields as columns, the view choice and the lists' look.
#include <algorithm>

#include <QAction>
#include <QItemSelectionModel>
#include <QSplitter>
#include <QStackedWidget>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/grouping.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/logform.h"
#include "app/mainui_p.h"
#include "app/mainwindow.h"
#include "app/recordcard.h"
#include "catalog/basemovie.h"
#include "catalog/textrules.h"
#include "catalog/videodatabase.h"
#include "views/cardhost.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

void TMain::CreateLists()
{
    const auto text = [this](int number, const QString &english) { return Text(number, english); };
    for (const TRecordKind kind : {TRecordKind::Movie, TRecordKind::Person}) {
        auto *lists = new TListController(kind, m_settings, text, m_ui->ListStack);
        m_lists[kind == TRecordKind::Person] = lists;
        lists->SetFilter(&m_filters->State());
        m_ui->ListStack->addWidget(lists->List());
        ConnectList(*lists);
    }
}

void TMain::ConnectList(TListController &lists)
{
    TCatalogList *list = lists.List();
    // Delete in the list only: in a text box or a cell editor it deletes text.
    QAction *remove = Action(u"DelVidAct"_s);
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    remove->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(remove);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        CommandUpdate();
    });
    // A model reset replaces nothing but the rows; the selection model stays the same.
    connect(
        list, &TCatalogList::FocusLeaving, this, [this, &lists] { m_edit->OnFocusLeaving(lists); });
    connect(list,
            &TCatalogList::NodeFocused,
            this,
            [this, &lists](TViewNode *, TDBItem *record, bool startEditing) {
                if (&lists == &Shown())
                    m_edit->OnNodeFocused(lists, record, startEditing);
            });
    connect(
        list, &TCatalogList::DeleteRequested, this, [this] { Action(u"DelVidAct"_s)->trigger(); });
    connect(
        list, &TCatalogList::BookmarkRequested, this, [this] { Action(u"BookAct"_s)->trigger(); });
    connect(list, &TCatalogList::LinkRequested, this, [this](TDBItem *movie) {
        OnLinkRequested(movie);
    });
    connect(list, &TCatalogList::CellEditStarted, this, [this](int column) {
        m_edit->OnCellEditStarted(column);
    });
    connect(list, &TCatalogList::CellEditFinished, this, [this] { m_edit->OnCellEditFinished(); });
}

std::unique_ptr<TVideoDatabase> TMain::NewCatalog(const QString &fileName)
{
    auto db = std::make_unique<TVideoDatabase>(fileName);
    for (TListController *lists : m_lists) {
        db->AddObserver(lists->Model());
        lists->SetCatalog(db.get());
    }
    db->SetPicsInFoldersSetting(m_settings.PicsInFolders);
    db->OnLog = TLogSink{m_ui->LogForm};
    db->SetTextRules(TextRules());
    return db;
}

TTextRules TMain::TextRules() const
{
    return {{m_settings.PrefixMode, m_settings.PrefixList, m_settings.AllCapsTitle},
            m_settings.PeopleAllCapsTitle,
            m_settings.DefSeenState};
}

void TMain::ApplyGrouping()
{
    TGroupTexts texts;
    texts.Undefined = Text(1865, texts.Undefined);
    for (int i = 0; i < int(texts.Ratings.size()); ++i)
        texts.Ratings[size_t(i)] = Text(2150 + i, texts.Ratings[size_t(i)]);
    for (TListController *lists : m_lists)
        lists->ApplyGrouping(texts);
    if (Database())
        Database()->SetTextRules(TextRules());
}

TListController &TMain::Lists(TRecordKind kind) const
{
    return *m_lists[kind == TRecordKind::Person];
}

TListController &TMain::Shown() const
{
    return *m_lists[m_peopleMode];
}

bool TMain::SetListView(TListController &lists, TViewMode view)
{
    if (view == TViewMode::Tree && lists.Groups().Levels().isEmpty()) {
        UpdateViewActions();
        return false;
    }
    // An edit in progress is kept before the rows go.
    m_edit->OnFocusLeaving(lists);
    lists.SetView(view);
    lists.Build();
    if (&lists == &Shown())
        ApplyListLayout();
    UpdateViewActions();
    return true;
}

void TMain::UpdateViewActions()
{
    const TViewMode view = Shown().View();
    const bool open = Database() != nullptr;
    Action(u"PlainViewAct"_s)->setEnabled(open);
    Action(u"TreeViewAct"_s)->setEnabled(open);
    Action(u"GridViewAct"_s)->setEnabled(open);
    Action(u"PlainViewAct"_s)->setChecked(view == TViewMode::Plain);
    Action(u"TreeViewAct"_s)->setChecked(view == TViewMode::Tree);
    Action(u"GridViewAct"_s)->setChecked(view == TViewMode::Grid);
}

void TMain::ApplyListLayout()
{
    // The grid fills the window; the card has nothing to show beside it.
    const bool grid = Shown().View() == TViewMode::Grid;
    if (grid == m_ui->CardStack->isHidden())
        return;
    m_ui->CardStack->setVisible(!grid);
    if (!grid) {
        const int listWidth = std::max(150, m_settings.Splitter);
        m_ui->Splitter->setSizes({listWidth, std::max(1, m_ui->Splitter->width() - listWidth)});
    }
    Shown().List()->FitTitleColumn();
}

void TMain::AddCustomColumns()
{
    Movies().SetCustomFields(Database()->CustomFieldNames());
    m_ui->MovieFrame->SetCustomFieldNames(Database()->CustomFieldNames());
}

void TMain::OnCustomFieldAdded(int index)
{
    Movies().OnCustomFieldAdded(index);
    CustomColumnsChanged();
}

void TMain::OnCustomFieldDeleted(int index)
{
    Movies().OnCustomFieldDeleted(index);
    CustomColumnsChanged();
}

void TMain::CustomColumnsChanged()
{
    TListController &movies = Movies();
    m_ui->MovieFrame->SetCustomFieldNames(Database()->CustomFieldNames());
    // The column count changes: the view is set up again around the same rows.
    movies.SetCustomFields(Database()->CustomFieldNames());
    movies.List()->SetViewMode(movies.View());
    if (movies.View() == TViewMode::Grid)
        movies.ApplyGridColumns();
    // The sort column may have been the deleted field.
    movies.ApplySort();
    if (movies.Current())
        movies.SelectRecord(movies.Current());
}

void TMain::OnCustomFieldRenamed(int index)
{
    Q_UNUSED(index);
    m_ui->MovieFrame->SetCustomFieldNames(Database()->CustomFieldNames());
    Movies().OnCustomFieldRenamed(Database()->CustomFieldNames());
}

TCardSettings TMain::CardSettings() const
{
    TCardSettings card;
    std::copy(
        m_settings.ItemVisible.begin(), m_settings.ItemVisible.end(), card.ItemVisible.begin());
    std::copy(m_settings.PeopleItemVisible.begin(),
              m_settings.PeopleItemVisible.end(),
              card.PeopleItemVisible.begin());
    card.Collapse = m_settings.Collapse;
    card.PeopleCollapse = m_settings.PeopleCollapse;
    card.DurationInMinutes = m_settings.DurationInMinutes;
    card.TransNames = m_settings.TransNames;
    card.MaxPosterWidth = m_settings.MaxPosterWidth;
    card.MaxPosterHeight = m_settings.MaxPosterHeight;
    card.MaxPhotoWidth = m_settings.MaxPhotoWidth;
    card.MaxPhotoHeight = m_settings.MaxPhotoHeight;
    card.ExternalPosters = m_settings.ExternalPosters;
    card.Genres = m_settings.GenresList;
    card.MediaTypes = m_settings.MediaTypeList;
    card.Qualities = m_settings.QualityList;
    card.Translations = m_settings.TranslationList;
    card.VideoCodecs = m_settings.VideoCodecsList;
    card.AudioCodecs = m_settings.AudioCodecsList;
    card.Careers = m_settings.CareerList;
    card.DoMovieColors = m_settings.DoMovieColors;
    const std::array<int, 21> colors = PaletteColors(m_settings.Colors, palette());
    card.MainColor = ColorFromWindows(colors[16]);
    card.CustomColor = ColorFromWindows(colors[17]);
    card.FileColor = ColorFromWindows(colors[18]);
    card.PictureColor = ColorFromWindows(colors[19]);
    card.CardColor = ColorFromWindows(colors[20]);
    return card;
}

void TMain::ApplyListLook()
{
    // The window's palette: on a theme switch the window hears of it before its lists do.
    for (TListController *lists : m_lists)
        lists->ApplyLook(palette());
}

void TMain::RepaintLists()
{
    for (TListController *lists : m_lists)
        lists->Repaint();
}

bool TMain::SelectRecord(TDBItem *record)
{
    return record && Lists(record->Kind()).SelectRecord(record);
}

void TMain::OnLinkRequested(TDBItem *movie)
{
    IRecordCard *card = Movies().Card();
    if (m_peopleMode || !card || !movie || movie->Kind() != TRecordKind::Movie)
        return;
    card->AddLinkToMovie(static_cast<TBaseMovie *>(movie));
}
