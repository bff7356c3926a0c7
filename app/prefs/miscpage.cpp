#include "app/prefs/miscpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextMisc = 885; // 7 check boxes
constexpr int TextIndexMode = 892;
constexpr int TextIndexModes = 893; // 3 items
constexpr int TextAutoSave = 896;
constexpr int TextAutoSaveInterval = 897;
constexpr int TextUndoLimit = 4255;

} // namespace

TMiscPage::TMiscPage(QWidget *parent)
    : TPrefsPageBase(u"MiscPage"_s, parent)
{
    const int tag = AddChecks(
        {{u"ExternalPosters",
          u"Keep posters as image files beside the catalog",
          &TSettings::ExternalPosters},
         {u"DeleteMovieFiles",
          u"Deleting a movie also deletes its media files",
          &TSettings::DeleteMovieFiles},
         {u"LoanMediaLabel",
          u"Lending a movie lends all movies with the same media label",
          &TSettings::LoanMediaLabel},
         {u"LoanID", u"Lending a movie lends all movies with the same ID", &TSettings::LoanID},
         {u"SpaceJump",
          u"The space key at the end of the card moves to the next movie",
          &TSettings::SpaceJump},
         {u"LabelOnlyRemovable",
          u"Take media labels only from removable media",
          &TSettings::LabelOnlyRemovable}},
        TextMisc);
    BuildAutoId(tag);
    BuildAutoSave();
    Layout()->addStretch();
}

void TMiscPage::BuildAutoId(int tag)
{
    QCheckBox *autoId = AddCheck(Layout(),
                                 u"DoAutoID"_s,
                                 tag,
                                 u"Give new movies an ID automatically"_s,
                                 &TSettings::DoAutoID);
    QComboBox *mode =
        NewCombo(this,
                 u"AutoIndexMode"_s,
                 TextIndexModes,
                 {u"First free number"_s, u"Highest number plus one"_s, u"Ask for the ID"_s});
    mode->setEnabled(false);
    Bind(mode, &TSettings::AutoIndexMode);
    auto *idRow = new QHBoxLayout;
    idRow->addWidget(NewLabel(this, TextIndexMode, u"ID of a new movie:"_s));
    idRow->addWidget(mode, 1);
    Layout()->addLayout(idRow);
    connect(autoId, &QCheckBox::toggled, mode, &QWidget::setEnabled);
}

void TMiscPage::BuildAutoSave()
{
    QCheckBox *autoSave = AddCheck(Layout(),
                                   u"AutoSave"_s,
                                   TextAutoSave,
                                   u"Save a changed catalog automatically"_s,
                                   &TSettings::AutoSave);
    QSpinBox *interval = NewSpin(this, u"AutoSaveInterval"_s, 3, 120);
    interval->setEnabled(false);
    Bind(interval, &TSettings::AutoSaveInterval);
    auto *saveRow = new QHBoxLayout;
    saveRow->addWidget(NewLabel(this, TextAutoSaveInterval, u"Save after (minutes):"_s));
    saveRow->addWidget(interval);
    saveRow->addStretch();
    Layout()->addLayout(saveRow);
    connect(autoSave, &QCheckBox::toggled, interval, &QWidget::setEnabled);

    QSpinBox *undoLimit = NewSpin(this, u"UndoLimit"_s, 1, 1000);
    Bind(undoLimit, &TSettings::UndoLimit);
    auto *undoRow = new QHBoxLayout;
    undoRow->addWidget(NewLabel(this, TextUndoLimit, u"Undo steps kept:"_s));
    undoRow->addWidget(undoLimit);
    undoRow->addStretch();
    Layout()->addLayout(undoRow);
}
