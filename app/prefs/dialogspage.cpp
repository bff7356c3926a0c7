#include "app/prefs/dialogspage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"
#include "views/languagewide.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextDialogChecks = 830;
constexpr int TextLanguage = 836;

} // namespace

TDialogsPage::TDialogsPage(QWidget *parent)
    : TPrefsPageBase(u"DialogsPage"_s, parent)
{
    AddChecks(
        {{u"DeleteMovieConfirm", u"Ask before deleting records", &TSettings::DeleteMovieConfirm},
         {u"DeleteMovieFilesConfirm",
          u"Ask before deleting media files",
          &TSettings::DeleteMovieFilesConfirm},
         {u"ClearMovieConfirm", u"Ask before clearing a record", &TSettings::ClearMovieConfirm},
         {u"RemoveDuplicatesConfirm",
          u"Ask about each duplicate when removing duplicates",
          &TSettings::RemoveDuplicatesConfirm},
         {u"NewEpisodeDlg", u"Show the new-episode dialog", &TSettings::NewEpisodeDlg},
         {u"CopyDataToNewEpisode",
          u"Copy the series' data into a new episode",
          &TSettings::CopyDataToNewEpisode}},
        TextDialogChecks);

    m_languages = new QComboBox(this);
    m_languages->setObjectName(u"LanguageCombo"_s);
    auto *row = new QHBoxLayout;
    row->addWidget(NewLabel(this, TextLanguage, u"Interface language:"_s));
    row->addWidget(m_languages, 1);
    Layout()->addLayout(row);
    Layout()->addStretch();
    connect(m_languages, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling && m_onLanguage)
            m_onLanguage(index);
    });
}

void TDialogsPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    m_filling = true;
    m_languages->clear();
    if (TWideLanguage *language = context.language) {
        for (int i = 0; i < language->LanguageCount(); ++i)
            m_languages->addItem(language->LanguageName(i));
        m_languages->setCurrentIndex(language->LanguageIndex());
    }
    m_languages->setEnabled(m_languages->count() > 0);
    m_filling = false;
}

int TDialogsPage::ChosenLanguage() const
{
    return m_languages->count() > 0 ? m_languages->currentIndex() : -1;
}

void TDialogsPage::ShowLanguage(int index)
{
    const bool wasFilling = m_filling;
    m_filling = true;
    m_languages->setCurrentIndex(index);
    m_filling = wasFilling;
}
