#include "app/prefs/titlepage.h"

#include <span>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"
#include "logic/settingsfile.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextTitleFormat = 640;
constexpr int TextInsertField = 641;
constexpr int TextInsert = 642;
constexpr int TextArticles = 643;
constexpr int TextPrefixModes = 644; // 4 items
constexpr int TextArticleList = 648;
constexpr int TextAllCaps = 649;
constexpr int TextMovieTemplate = 650;  // 11 items
constexpr int TextPeopleTemplate = 661; // 6 items

struct TTemplateField
{
    const char16_t *code;
    const char16_t *caption;
};

const TTemplateField MovieTemplateFields[] = {{u"%T", u"Title"},
                                              {u"%O", u"Original Title"},
                                              {u"%Y", u"Year"},
                                              {u"%G", u"Genre"},
                                              {u"%D", u"Director"},
                                              {u"%Q", u"Quality"},
                                              {u"%M", u"Media Label"},
                                              {u"%R", u"Release"},
                                              {u"%N", u"ID"},
                                              {u"%S", u"Scenario"},
                                              {u"%E", u"Episode number (if applicable)"}};

const TTemplateField PeopleTemplateFields[] = {{u"%N", u"Name"},
                                               {u"%T", u"Translated name"},
                                               {u"%B", u"Birthday"},
                                               {u"%G", u"Genre"},
                                               {u"%C", u"Career"},
                                               {u"%P", u"Birthplace"}};

} // namespace

TTitlePage::TTitlePage(TPrefsSubject subject, QWidget *parent)
    : TPrefsPageBase(subject == TPrefsSubject::Movies ? u"MovieTitlePage"_s : u"PeopleTitlePage"_s,
                     parent)
{
    const QString allCaps = u"Capitalise the first letter of every word"_s;
    if (subject == TPrefsSubject::Movies) {
        AddFormat(QString(), &TSettings::TitleFormat, TRecordKind::Movie);
        AddArticles();
        AddCheck(Layout(), u"AllCapsTitle"_s, TextAllCaps, allCaps, &TSettings::AllCapsTitle);
    } else {
        AddFormat(u"People"_s, &TSettings::PeopleTitleFormat, TRecordKind::Person);
        AddCheck(Layout(),
                 u"PeopleAllCapsTitle"_s,
                 TextAllCaps,
                 allCaps,
                 &TSettings::PeopleAllCapsTitle);
    }
    Layout()->addStretch();
}

// The format edit with a list of the template's fields to insert at the cursor.
void TTitlePage::AddFormat(const QString &prefix, QString TSettings::*key, TRecordKind kind)
{
    const bool people = kind == TRecordKind::Person;
    const std::span<const TTemplateField> fields =
        people ? std::span<const TTemplateField>(PeopleTemplateFields)
               : std::span<const TTemplateField>(MovieTemplateFields);
    auto *grid = new QGridLayout;
    Layout()->addLayout(grid);
    auto *format = new QLineEdit(this);
    format->setObjectName(prefix + u"TitleFormat"_s);
    Bind(format, key);
    auto *combo = new QComboBox(this);
    combo->setObjectName(prefix + u"TitleFieldCombo"_s);
    for (const TTemplateField &field : fields)
        combo->addItem(Str(field.caption), Str(field.code));
    SetTag(combo, people ? TextPeopleTemplate : TextMovieTemplate);
    QPushButton *insert = NewButton(this, prefix + u"TitleInsertBtn"_s, TextInsert, u"&Insert"_s);
    connect(insert, &QPushButton::clicked, this, [format, combo] {
        format->insert(combo->currentData().toString());
        format->setFocus();
    });
    grid->addWidget(NewLabel(this, TextTitleFormat, u"Title format:"_s), 0, 0);
    grid->addWidget(format, 0, 1, 1, 2);
    grid->addWidget(NewLabel(this, TextInsertField, u"Field to insert:"_s), 1, 0);
    grid->addWidget(combo, 1, 1);
    grid->addWidget(insert, 1, 2);
}

void TTitlePage::AddArticles()
{
    auto *articles = new QGridLayout;
    Layout()->addLayout(articles);
    QComboBox *mode = NewCombo(
        this,
        u"PrefixMode"_s,
        TextPrefixModes,
        {u"Leave as they are"_s, u"Move to the end"_s, u"Move to the beginning"_s, u"Remove"_s});
    Bind(mode, &TSettings::PrefixMode);
    m_prefixList = new QLineEdit(this);
    m_prefixList->setObjectName(u"PrefixList"_s);
    articles->addWidget(NewLabel(this, TextArticles, u"Leading articles:"_s), 0, 0);
    articles->addWidget(mode, 0, 1);
    articles->addWidget(
        NewLabel(this, TextArticleList, u"Articles (separated by commas):"_s), 1, 0);
    articles->addWidget(m_prefixList, 1, 1);
}

void TTitlePage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    if (!m_prefixList)
        return;
    m_loadedPrefixList = settings.PrefixList;
    m_loadedPrefixText = JoinQuotedList(settings.PrefixList, u',');
    m_prefixList->setText(m_loadedPrefixText);
}

void TTitlePage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    if (!m_prefixList)
        return;
    const QString prefixText = m_prefixList->text();
    if (prefixText == m_loadedPrefixText) {
        settings.PrefixList = m_loadedPrefixList;
        return;
    }
    QStringList articles;
    for (const QString &item : SplitQuotedList(prefixText, u',')) {
        if (!item.trimmed().isEmpty())
            articles.append(item.trimmed());
    }
    settings.PrefixList = articles;
}
