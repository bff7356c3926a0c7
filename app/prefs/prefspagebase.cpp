#include "app/prefs/prefspagebase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"

using namespace Prefs;

TPrefsPageBase::TPrefsPageBase(const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
{
    setObjectName(name);
    m_layout->setContentsMargins(0, 0, 0, 0);
}

void TPrefsPageBase::Load(const TSettings &settings, const TPrefsContext &)
{
    for (const auto &binding : m_checks)
        binding.widget->setChecked(settings.*binding.key);
    for (const auto &binding : m_spins)
        binding.widget->setValue(settings.*binding.key);
    for (const auto &binding : m_combos) {
        const int value = settings.*binding.key;
        binding.widget->setCurrentIndex(value >= 0 && value < binding.widget->count() ? value : 0);
    }
    for (const auto &binding : m_edits)
        binding.widget->setText(settings.*binding.key);
}

void TPrefsPageBase::Store(TSettings &settings)
{
    for (const auto &binding : m_checks)
        settings.*binding.key = binding.widget->isChecked();
    for (const auto &binding : m_spins)
        settings.*binding.key = binding.widget->value();
    for (const auto &binding : m_combos)
        settings.*binding.key = binding.widget->currentIndex();
    for (const auto &binding : m_edits)
        settings.*binding.key = binding.widget->text();
}

QCheckBox *TPrefsPageBase::AddCheck(
    QBoxLayout *layout, const QString &name, int tag, const QString &text, bool TSettings::*key)
{
    QCheckBox *box = NewCheck(layout->parentWidget(), name, tag, text);
    layout->addWidget(box);
    m_checks.push_back({box, key});
    return box;
}

int TPrefsPageBase::AddChecks(std::initializer_list<TCheckKey> checks, int firstTag)
{
    int tag = firstTag;
    for (const TCheckKey &check : checks)
        AddCheck(m_layout, Prefs::Str(check.name), tag++, Prefs::Str(check.text), check.key);
    return tag;
}

QSpinBox *TPrefsPageBase::AddSpin(QFormLayout *form,
                                  const QString &name,
                                  int tag,
                                  const QString &caption,
                                  int minimum,
                                  int maximum,
                                  int TSettings::*key)
{
    QWidget *parent = form->parentWidget();
    QSpinBox *spin = NewSpin(parent, name, minimum, maximum);
    form->addRow(NewLabel(parent, tag, caption), spin);
    m_spins.push_back({spin, key});
    return spin;
}

QLineEdit *TPrefsPageBase::AddEdit(QFormLayout *form,
                                   const QString &name,
                                   int tag,
                                   const QString &caption,
                                   QString TSettings::*key)
{
    QWidget *parent = form->parentWidget();
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    form->addRow(NewLabel(parent, tag, caption), edit);
    m_edits.push_back({edit, key});
    return edit;
}

QFormLayout *TPrefsPageBase::AddForm()
{
    auto *holder = new QWidget(this);
    auto *form = new QFormLayout(holder);
    form->setContentsMargins(0, 0, 0, 0);
    m_layout->addWidget(holder);
    return form;
}
