#include "app/prefs/choicespage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/prefs/listeditor.h"
#include "app/prefs/prefswidgets_p.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextListItems = 715;

} // namespace

TChoicesPage::TChoicesPage(const QString &name, QStringList TSettings::*key, QWidget *parent)
    : TPrefsPageBase(name + u"Page"_s, parent)
    , m_key(key)
{
    Layout()->addWidget(NewLabel(this, TextListItems, u"Choices offered on the cards:"_s));
    m_editor = new TListEditor(name, this);
    Layout()->addWidget(m_editor, 1);
}

void TChoicesPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    m_editor->SetItems(settings.*m_key);
}

void TChoicesPage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    settings.*m_key = m_editor->Items();
}
