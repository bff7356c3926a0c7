// The main window's two catalog lists: how they are wired to the window, the catalog's
// custom fields as columns, the view choice and the lists' look.
#include <algorithm>

#include <QAction>
#include <QItemSelectionModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QUndoStack>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/grouping.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/logform.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/recordcard.h"
#include "app/undocontroller.h"
#include "catalog/basemovie.h"
#include "catalog/textrules.h"
#include "catalog/videodatabase.h"
#include "views/cardhost.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

void TMainPrivate::CreateLists()
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

void TMainPrivate::ConnectList(TListController &lists)
{
    TCatalogList *list = lists.List();
    // Delete in the list only: in a text box or a cell editor it deletes text.
    QAction *remove = Action(u"DelVidAct"_s);
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    remove->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(remove);
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, &q, [this] {
        CommandUpdate();
    });
    // A model reset replaces nothing but the rows; the selection model stays the same.
    QObject::connect(
        list, &TCatalogList::FocusLeaving, &q, [this, &lists] { m_edit->OnFocusLeaving(lists); });
    QObject::connect(list,
                     &TCatalogList::NodeFocused,
                     &q,
                     [this, &lists](TViewNode *, TDBItem *record, bool startEditing) {
                         if (&lists == &Shown())
                             m_edit->OnNodeFocused(lists, record, startEditing);
                     });
    QObject::connect(
        list, &TCatalogList::DeleteRequested, &q, [this] { Action(u"DelVidAct"_s)->trigger(); });
    QObject::connect(
        list, &TCatalogList::BookmarkRequested, &q, [this] { Action(u"BookAct"_s)->trigger(); });
    QObject::connect(
        list, &TCatalogList::LinkRequested, &q, [this](TDBItem *movie) { OnLinkRequested(movie); });
    QObject::connect(list, &TCatalogList::CellEditStarted, &q, [this](int column) {
        m_edit->OnCellEditStarted(column);
    });
    QObject::connect(
        list, &TCatalogList::CellEditFinished, &q, [this] { m_edit->OnCellEditFinished(); });
    QObject::connect(&lists, &TListController::CoverSizeChanged, &q, [this] {
        for (TListController *other : m_lists)
            other->ApplyCoverSize();
    });
}

std::unique_ptr<TVideoDatabase> TMainPrivate::NewCatalog(const QString &fileName)
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

TTextRules TMainPrivate::TextRules() const
{
    return {{m_settings.PrefixMode, m_settings.PrefixList, m_settings.AllCapsTitle},
            m_settings.PeopleAllCapsTitle,
            m_settings.DefSeenState};
}

void TMainPrivate::ApplyGrouping()
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

TListController &TMainPrivate::Lists(TRecordKind kind) const
{
    return *m_lists[kind == TRecordKind::Person];
}

TListController &TMainPrivate::Shown() const
{
    return *m_lists[m_peopleMode];
}

bool TMainPrivate::SetListView(TListController &lists, TViewMode view)
{
    if (view == TViewMode::Tree && lists.Groups().Levels().isEmpty()) {
        UpdateViewActions();
        return false;
    }
    // An edit in progress is kept before the rows go.
    m_edit->OnFocusLeaving(lists);
    lists.SwitchView(view);
    if (&lists == &Shown())
        ApplyListLayout();
    UpdateViewActions();
    return true;
}

void TMainPrivate::UpdateViewActions()
{
    const TViewMode view = Shown().View();
    const bool open = Database() != nullptr;
    Action(u"PlainViewAct"_s)->setEnabled(open);
    Action(u"TreeViewAct"_s)->setEnabled(open);
    Action(u"GridViewAct"_s)->setEnabled(open);
    Action(u"CoversViewAct"_s)->setEnabled(open);
    Action(u"PlainViewAct"_s)->setChecked(view == TViewMode::Plain);
    Action(u"TreeViewAct"_s)->setChecked(view == TViewMode::Tree);
    Action(u"GridViewAct"_s)->setChecked(view == TViewMode::Grid);
    Action(u"CoversViewAct"_s)->setChecked(view == TViewMode::Covers);
}

void TMainPrivate::ApplyListLayout()
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

void TMainPrivate::AddCustomColumns()
{
    Movies().SetCustomFields(Database()->CustomFieldNames());
    m_ui->MovieFrame->SetCustomFieldNames(Database()->CustomFieldNames());
}

void TMainPrivate::OnCustomFieldAdded(int index)
{
    Movies().OnCustomFieldAdded(index);
    CustomColumnsChanged();
}

void TMainPrivate::OnCustomFieldDeleted(int index)
{
    Movies().OnCustomFieldDeleted(index);
    // The steps name custom values by their place.
    if (m_undo->Stack()->count() > 0) {
        m_undo->Clear();
        ShowStatusText(Text(4351, u"A custom field was deleted: the undo history was cleared"_s));
    }
    CustomColumnsChanged();
}

void TMainPrivate::CustomColumnsChanged()
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

void TMainPrivate::OnCustomFieldRenamed(int index)
{
    Q_UNUSED(index);
    m_ui->MovieFrame->SetCustomFieldNames(Database()->CustomFieldNames());
    Movies().OnCustomFieldRenamed(Database()->CustomFieldNames());
}

TCardSettings TMainPrivate::CardSettings() const
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
    const std::array<int, 21> colors = PaletteColors(m_settings.Colors, q.palette());
    card.MainColor = ColorFromWindows(colors[16]);
    card.CustomColor = ColorFromWindows(colors[17]);
    card.FileColor = ColorFromWindows(colors[18]);
    card.PictureColor = ColorFromWindows(colors[19]);
    card.CardColor = ColorFromWindows(colors[20]);
    return card;
}

void TMainPrivate::ApplyListLook()
{
    // The window's palette: on a theme switch the window hears of it before its lists do.
    for (TListController *lists : m_lists)
        lists->ApplyLook(q.palette());
}

void TMainPrivate::RepaintLists()
{
    for (TListController *lists : m_lists)
        lists->Repaint();
}

bool TMainPrivate::SelectRecord(TDBItem *record)
{
    return record && Lists(record->Kind()).SelectRecord(record);
}

void TMainPrivate::OnLinkRequested(TDBItem *movie)
{
    IRecordCard *card = Movies().Card();
    if (m_peopleMode || !card || !movie || movie->Kind() != TRecordKind::Movie)
        return;
    card->AddLinkToMovie(static_cast<TBaseMovie *>(movie));
}
