// The movie and person cards beside the lists: created with the window, fed with the
// current record and the settings, and their clicks on seen, wish and ratings.
#include <QAction>
#include <QApplication>
#include <QStackedWidget>

#include "app/catalogview.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "app/recordcard.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/videodatabase.h"
#include "views/actorframe.h"
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
    void AddLinkToMovie(TBaseMovie *) override {}
    bool ScrollPage() override { return m_frame->ScrollPage(); }
    void ScrollHome() override { m_frame->ScrollHome(); }
    bool HasKeyboardFocus() const override { return m_frame->HasKeyboardFocus(); }

private:
    TActorFrame *m_frame;
};

} // namespace

void TMain::CreateCards()
{
    m_movieFrame = new TmvFrame(m_cardStack);
    m_peopleFrame = new TActorFrame(m_cardStack);
    m_cardStack->addWidget(m_movieFrame);
    m_cardStack->addWidget(m_peopleFrame);
    for (TCardFrame *frame :
         {static_cast<TCardFrame *>(m_movieFrame), static_cast<TCardFrame *>(m_peopleFrame)}) {
        frame->SetHost(this);
    }
    m_movieCardLink = std::make_unique<TMovieCardLink>(m_movieFrame);
    m_peopleCardLink = std::make_unique<TPersonCardLink>(m_peopleFrame);
    Movies().SetCard(m_movieCardLink.get());
    People().SetCard(m_peopleCardLink.get());

    connect(m_movieFrame, &TmvFrame::SeenToggled, this, [this](bool seen) {
        OnMarkToggled(true, seen);
    });
    connect(m_movieFrame, &TmvFrame::WishToggled, this, [this](bool wish) {
        OnMarkToggled(false, wish);
    });
    connect(m_movieFrame, &TmvFrame::WebInfoRequested, this, [this] {
        m_web->RunCardButton(TCardButton::Information);
    });
    connect(m_movieFrame, &TmvFrame::BrowseMediaFile, this, [this] { m_web->BrowseMediaFiles(); });
    for (TCardFrame *frame :
         {static_cast<TCardFrame *>(m_movieFrame), static_cast<TCardFrame *>(m_peopleFrame)}) {
        const auto refresh = [this] {
            if (TDBItem *record = Shown().Current())
                Shown().Model()->RecordChanged(record);
            CommandUpdate();
        };
        connect(frame, &TCardFrame::RatingStored, this, refresh);
        connect(frame, &TCardFrame::WelcomeLinkActivated, this, &TMain::OnWelcomeLink);
        connect(frame, &TCardFrame::PictureStored, this, refresh);
    }
    QAction *link = AddAction(u"CreateLinkAct"_s, 0, u"Create &Hyperlink"_s);
    link->setShortcut(QKeySequence(u"Ctrl+H"_s));
    connect(link, &QAction::triggered, this, [this] {
        if (m_editState == TEditState::Editing)
            (m_peopleMode ? static_cast<TCardFrame *>(m_peopleFrame)
                          : static_cast<TCardFrame *>(m_movieFrame))
                ->CreateHyperlink();
    });
    addAction(link);
}

void TMain::ApplyCardSettings()
{
    const TCardSettings settings = CardSettings();
    for (TCardFrame *frame :
         {static_cast<TCardFrame *>(m_movieFrame), static_cast<TCardFrame *>(m_peopleFrame)}) {
        frame->SetSettings(settings);
        frame->ApplyColors(m_settings.DoMovieColors);
        frame->SetReadOnly(m_readOnly);
    }
    if (m_db)
        m_movieFrame->SetCustomFieldNames(m_db->CustomFieldNames());
}

void TMain::OnMarkToggled(bool seenMark, bool checked)
{
    auto *movie = static_cast<TBaseMovie *>(Movies().Current());
    if (!movie || m_readOnly || m_peopleMode)
        return;
    if (seenMark)
        movie->SetViewed(checked);
    else
        movie->SetWish(checked);
    m_movieFrame->RefreshSeen();
    Movies().Model()->RecordChanged(movie);
    // The seen and wish filters may no longer admit the movie.
    if (!Movies().Model()->Passes(*movie))
        movie->SetShown(false);
    CommandUpdate();
}
