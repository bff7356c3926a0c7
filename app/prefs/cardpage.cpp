#include "app/prefs/cardpage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int TextDuration = 720;
constexpr int TextTransNames = 721;
constexpr int TextPosterWidth = 722;
constexpr int TextPosterHeight = 723;
constexpr int TextPicsInFolders = 724;
constexpr int TextDefSeen = 725;
constexpr int TextCollapse = 726;
constexpr int TextPhotoWidth = 727;
constexpr int TextPhotoHeight = 728;

} // namespace

TCardPage::TCardPage(TPrefsSubject subject, QWidget *parent)
    : TPrefsPageBase(subject == TPrefsSubject::Movies ? u"MovieCardPage"_s : u"PeopleCardPage"_s,
                     parent)
{
    if (subject == TPrefsSubject::Movies)
        BuildMovies();
    else
        BuildPeople();
    Layout()->addStretch();
}

void TCardPage::BuildMovies()
{
    QVBoxLayout *layout = Layout();
    AddCheck(layout,
             u"DurationInMinutes"_s,
             TextDuration,
             u"Show the duration in minutes"_s,
             &TSettings::DurationInMinutes);
    AddCheck(layout,
             u"TransNames"_s,
             TextTransNames,
             u"Links to people use translated names"_s,
             &TSettings::TransNames);
    QFormLayout *sizes = AddForm();
    AddSpin(sizes,
            u"MaxPosterWidth"_s,
            TextPosterWidth,
            u"Largest poster width (% of the card):"_s,
            1,
            100,
            &TSettings::MaxPosterWidth);
    AddSpin(sizes,
            u"MaxPosterHeight"_s,
            TextPosterHeight,
            u"Largest poster height (% of the card):"_s,
            1,
            100,
            &TSettings::MaxPosterHeight);
    AddCheck(layout,
             u"PicsInFolders"_s,
             TextPicsInFolders,
             u"Screenshots and covers in one folder per movie (older catalogs)"_s,
             &TSettings::PicsInFolders);
    AddCheck(layout,
             u"DefSeenState"_s,
             TextDefSeen,
             u"New movies start as seen"_s,
             &TSettings::DefSeenState);
    AddCheck(layout, u"Collapse"_s, TextCollapse, u"Collapse large fields"_s, &TSettings::Collapse);
}

void TCardPage::BuildPeople()
{
    QFormLayout *photo = AddForm();
    AddSpin(photo,
            u"MaxPhotoWidth"_s,
            TextPhotoWidth,
            u"Largest photo width (% of the card):"_s,
            1,
            100,
            &TSettings::MaxPhotoWidth);
    AddSpin(photo,
            u"MaxPhotoHeight"_s,
            TextPhotoHeight,
            u"Largest photo height (% of the card):"_s,
            1,
            100,
            &TSettings::MaxPhotoHeight);
    AddCheck(Layout(),
             u"PeopleCollapse"_s,
             TextCollapse,
             u"Collapse large fields"_s,
             &TSettings::PeopleCollapse);
}
