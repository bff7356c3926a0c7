#include "app/prefs/treepage.h"

#include <iterator>

#include <QCheckBox>
#include <QVBoxLayout>

#include "app/prefs/groupeditor.h"
#include "app/prefs/prefswidgets_p.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextUndefinedGroup = 672;
constexpr int TextMovieGroups = 680;  // 24 items
constexpr int TextPeopleGroups = 704; // 6 items

// Grouping fields by their number in the Groups key.
const char16_t *const MovieGroupFields[] = {u"ID",
                                            u"First letter of Title",
                                            u"First letter of Original Title",
                                            u"Year",
                                            u"Genre",
                                            u"Director",
                                            u"Producer",
                                            u"Scenario",
                                            u"Actors",
                                            u"Country",
                                            u"Studio",
                                            u"Release",
                                            u"Tags",
                                            u"Quality",
                                            u"Languages",
                                            u"Translation",
                                            u"Media type",
                                            u"Resolution",
                                            u"Subtitles",
                                            u"Borrower",
                                            u"IMDBRating",
                                            u"Rating",
                                            u"Media Label",
                                            u"Date added"};

const char16_t *const PeopleGroupFields[] = {u"First letter of Name",
                                             u"First letter of Translated name",
                                             u"Birthday",
                                             u"Genre",
                                             u"Career",
                                             u"Rating"};

static_assert(std::size(MovieGroupFields) == 24);
static_assert(std::size(PeopleGroupFields) == 6);

} // namespace

TTreePage::TTreePage(TPrefsSubject subject, QWidget *parent)
    : TPrefsPageBase(subject == TPrefsSubject::Movies ? u"MovieTreePage"_s : u"PeopleTreePage"_s,
                     parent)
{
    const QString undefined = u"Put records with an empty value into an \"Undefined\" group"_s;
    if (subject == TPrefsSubject::Movies) {
        m_groups =
            new TGroupEditor(u"MovieGroups"_s, TextMovieGroups, Strings(MovieGroupFields), this);
        m_key = &TSettings::MovieGroups;
        Layout()->addWidget(m_groups, 1);
        AddCheck(Layout(),
                 u"DoUndefinedGroup"_s,
                 TextUndefinedGroup,
                 undefined,
                 &TSettings::MovieUndefinedGroup);
    } else {
        m_groups =
            new TGroupEditor(u"PeopleGroups"_s, TextPeopleGroups, Strings(PeopleGroupFields), this);
        m_key = &TSettings::PeopleGroups;
        Layout()->addWidget(m_groups, 1);
        AddCheck(Layout(),
                 u"PeopleDoUndefinedGroup"_s,
                 TextUndefinedGroup,
                 undefined,
                 &TSettings::PeopleUndefinedGroup);
    }
}

void TTreePage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    m_groups->SetGroups(settings.*m_key);
}

void TTreePage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    settings.*m_key = m_groups->Groups();
}

void TTreePage::Refresh()
{
    m_groups->RefreshCaptions();
}
