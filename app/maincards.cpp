// The movie and person cards beside the lists: created with the window, fed with the
// current record and the settings, their clicks on seen, wish and ratings, and what they ask
// of the window through the card link.
#include <QAction>
#include <QApplication>
#include <QStackedWidget>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/maincards_p.h"
#include "app/maindialogs.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/recordcard.h"
#include "app/recordcommands.h"
#include "app/recorddialogs.h"
#include "app/undocontroller.h"
#include "app/webcontroller.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/videodatabase.h"
#include "views/actorframe.h"
#include "views/cardhost.h"
#include "views/linktext.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

namespace {

// Mode numbers of the cards.
constexpr int CardMessage = 1;
constexpr int CardEdit = 2;
constexpr int CardView = 3;

int CardMode(const TDBItem *record, bool edit)
{
    if (!record)
        return CardMessage;
    return edit ? CardEdit : CardView;
}

// The movie card as the record commands drive it.
class TMovieCardLink : public IRecordCard
{
public:
    explicit TMovieCardLink(TmvFrame *frame)
        : m_frame(frame)
    {}
    void ShowRecord(TDBItem *record, bool edit) override
    {
        m_frame->ShowMovie(static_cast<TBaseMovie *>(record), CardMode(record, edit));
    }
    void StoreEdits(TDBItem *record) override
    {
        if (record && record->Kind() != TRecordKind::Person)
            m_frame->StoreEdits(static_cast<TBaseMovie *>(record));
    }
    void FocusTitle() override { m_frame->FocusTitle(); }
    void RefreshMarks() override { m_frame->RefreshSeen(); }
    void AddLinkToMovie(TBaseMovie *movie) override
    {
        if (movie)
            m_frame->AddLinkToMovie(*movie);
    }
    bool ScrollPage() override { return m_frame->ScrollPage(); }
    void ScrollHome() override { m_frame->ScrollHome(); }
    bool HasKeyboardFocus() const override { return m_frame->HasKeyboardFocus(); }

private:
    TmvFrame *m_frame;
};

class TPersonCardLink : public IRecordCard
{
public:
    explicit TPersonCardLink(TActorFrame *frame)
        : m_frame(frame)
    {}
    void ShowRecord(TDBItem *record, bool edit) override
    {
        m_frame->ShowPerson(static_cast<TActor *>(record), CardMode(record, edit));
    }
    void StoreEdits(TDBItem *record) override
    {
        if (record && record->Kind() == TRecordKind::Person)
            m_frame->StoreEdits(static_cast<TActor *>(record));
    }
    void FocusTitle() override { m_frame->FocusTitle(); }
    void RefreshMarks() override {}
    void AddLinkToMovie(TBaseMovie *) override {}
    bool ScrollPage() override { return m_frame->ScrollPage(); }
    void ScrollHome() override { m_frame->ScrollHome(); }
    bool HasKeyboardFocus() const override { return m_frame->HasKeyboardFocus(); }

private:
    TActorFrame *m_frame;
};

} // namespace

// ----- the card link -------------------------------------------------------------------------

void TMainPrivate::TCardLink::GoToMovieById(const QString &text)
{
    m_window.m_records->GoToMovieById(text);
}

void TMainPrivate::TCardLink::GoToMovieByTitle(const QString &text, bool byOriginalTitle)
{
    m_window.m_records->GoToMovieByTitle(text, byOriginalTitle);
}

void TMainPrivate::TCardLink::GoToPersonByName(const QString &text, bool asTranslatedName)
{
    m_window.m_records->GoToPersonByName(text, asTranslatedName);
}

void TMainPrivate::TCardLink::SetSearchField(TRecordKind kind, int field, const QString &text)
{
    m_window.m_filters->SetSearchField(kind, field, text);
}

void TMainPrivate::TCardLink::SortByItem(TRecordKind kind, int item)
{
    m_window.Lists(kind).SortByItem(item);
}

QString TMainPrivate::TCardLink::SearchFieldCaption(TRecordKind kind, int field) const
{
    return m_window.m_filters->SearchFieldCaption(kind, field);
}

QString TMainPrivate::TCardLink::SortColumnCaption(TRecordKind kind, int item) const
{
    return m_window.m_filters->SortColumnCaption(kind, item);
}

QString TMainPrivate::TCardLink::Text(int number, const QString &fallback) const
{
    return m_window.Text(number, fallback);
}

void TMainPrivate::TCardLink::OpenAddress(const QString &address)
{
    if (!address.trimmed().isEmpty())
        TRecordDialogs::OpenCatalogTarget(
            m_window.Dialogs(), &m_window.q, address.trimmed(), TLinkUse::Link);
}

QString TMainPrivate::TCardLink::AskPictureFile(bool save, const QString &proposedName)
{
    return m_window.m_web->AskPictureFile(save, proposedName);
}

QString TMainPrivate::TCardLink::PickFiles(const QString &extensions)
{
    return m_window.m_web->PickFiles(extensions);
}

void TMainPrivate::TCardLink::FetchPicture(int kind)
{
    m_window.m_web->FetchPicture(kind);
}

std::optional<QString> TMainPrivate::TCardLink::MakeScreenshots(const TScreenRequest &request)
{
    return m_window.m_web->MakeScreenshots(request);
}

void TMainPrivate::TCardLink::ShowCardError(const QString &text)
{
    m_window.Dialogs().ShowError(&m_window.q, m_window.Text(1802, u"Error"_s), text);
}

bool TMainPrivate::TCardLink::TakeDroppedFiles(const QStringList &files, bool drop)
{
    return m_window.TakeDrop(files, true, drop);
}

// ----- the cards -----------------------------------------------------------------------------

void TMainPrivate::CreateCards()
{
    m_cardLink = std::make_unique<TCardLink>(*this);
    m_ui->MovieFrame = new TmvFrame(m_ui->CardStack);
    m_ui->PeopleFrame = new TActorFrame(m_ui->CardStack);
    m_ui->CardStack->addWidget(m_ui->MovieFrame);
    m_ui->CardStack->addWidget(m_ui->PeopleFrame);
    for (TCardFrame *frame : {static_cast<TCardFrame *>(m_ui->MovieFrame),
                              static_cast<TCardFrame *>(m_ui->PeopleFrame)}) {
        frame->SetHost(m_cardLink.get());
    }
    m_ui->MovieCardLink = std::make_unique<TMovieCardLink>(m_ui->MovieFrame);
    m_ui->PeopleCardLink = std::make_unique<TPersonCardLink>(m_ui->PeopleFrame);
    Movies().SetCard(m_ui->MovieCardLink.get());
    People().SetCard(m_ui->PeopleCardLink.get());

    QObject::connect(m_ui->MovieFrame, &TmvFrame::SeenToggled, &q, [this](bool seen) {
        m_edit->OnMarkToggled(true, seen);
    });
    QObject::connect(m_ui->MovieFrame, &TmvFrame::WishToggled, &q, [this](bool wish) {
        m_edit->OnMarkToggled(false, wish);
    });
    QObject::connect(m_ui->MovieFrame, &TmvFrame::WebInfoRequested, &q, [this] {
        m_web->RunCardButton(TCardButton::Information);
    });
    QObject::connect(
        m_ui->MovieFrame, &TmvFrame::BrowseMediaFile, &q, [this] { m_web->BrowseMediaFiles(); });
    for (TCardFrame *frame : {static_cast<TCardFrame *>(m_ui->MovieFrame),
                              static_cast<TCardFrame *>(m_ui->PeopleFrame)}) {
        const auto refresh = [this] {
            if (TDBItem *record = Shown().Current())
                Shown().Model()->RecordChanged(record);
            CommandUpdate();
        };
        QObject::connect(frame, &TCardFrame::RatingStored, &q, refresh);
        QObject::connect(frame,
                         &TCardFrame::WelcomeLinkActivated,
                         &q,
                         [this](const QString &target) { OnWelcomeLink(target); });
        QObject::connect(frame, &TCardFrame::PictureChanging, &q, [this, frame] {
            m_undo->BeginPictureChange(frame->ShownRecord());
        });
        QObject::connect(frame, &TCardFrame::PictureStored, &q, [this, refresh] {
            m_undo->EndPictureChange();
            refresh();
        });
    }
    QAction *link = AddAction(u"CreateLinkAct"_s, 0, u"Create &Hyperlink"_s);
    link->setShortcut(QKeySequence(u"Ctrl+H"_s));
    QObject::connect(link, &QAction::triggered, &q, [this] {
        if (m_edit->EditState() == TEditState::Editing)
            (m_peopleMode ? static_cast<TCardFrame *>(m_ui->PeopleFrame)
                          : static_cast<TCardFrame *>(m_ui->MovieFrame))
                ->CreateHyperlink();
    });
    q.addAction(link);
}

void TMainPrivate::ApplyCardSettings()
{
    const TCardSettings settings = CardSettings();
    for (TCardFrame *frame : {static_cast<TCardFrame *>(m_ui->MovieFrame),
                              static_cast<TCardFrame *>(m_ui->PeopleFrame)}) {
        frame->SetSettings(settings);
        frame->ApplyColors(m_settings.DoMovieColors);
        frame->SetReadOnly(ReadOnly());
    }
    if (Database())
        m_ui->MovieFrame->SetCustomFieldNames(Database()->CustomFieldNames());
}
