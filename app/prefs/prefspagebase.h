#pragma once

#include <initializer_list>
#include <vector>

#include <QString>
#include <QWidget>

#include "app/prefs/prefscontext.h"
#include "logic/settings.h"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;
class QVBoxLayout;

// One page of the preferences window. Controls bound to a plain settings key are loaded and
// stored here; a page with more to do extends Load and Store.
class TPrefsPageBase : public QWidget
{
public:
    TPrefsPageBase(const QString &name, QWidget *parent);

    // Fills the page. The context's objects must outlive the page or the next Load.
    virtual void Load(const TSettings &settings, const TPrefsContext &context);
    // Writes the page back (OK).
    virtual void Store(TSettings &settings);
    // After a translation: texts that follow from others or from the page's state.
    virtual void Refresh() {}

protected:
    // The page's own layout, a column without margins.
    QVBoxLayout *Layout() const { return m_layout; }

    QCheckBox *AddCheck(QBoxLayout *layout,
                        const QString &name,
                        int tag,
                        const QString &text,
                        bool TSettings::*key);
    // A column of check boxes on the page's layout, tagged from `firstTag` up; returns the
    // next tag.
    struct TCheckKey
    {
        const char16_t *name;
        const char16_t *text;
        bool TSettings::*key;
    };
    int AddChecks(std::initializer_list<TCheckKey> checks, int firstTag);
    QSpinBox *AddSpin(QFormLayout *form,
                      const QString &name,
                      int tag,
                      const QString &caption,
                      int minimum,
                      int maximum,
                      int TSettings::*key);
    QLineEdit *AddEdit(QFormLayout *form,
                       const QString &name,
                       int tag,
                       const QString &caption,
                       QString TSettings::*key);
    // A form inside the page's layout.
    QFormLayout *AddForm();

    // Out-of-range combo values load as the first item.
    void Bind(QComboBox *combo, int TSettings::*key) { m_combos.push_back({combo, key}); }
    void Bind(QSpinBox *spin, int TSettings::*key) { m_spins.push_back({spin, key}); }
    void Bind(QLineEdit *edit, QString TSettings::*key) { m_edits.push_back({edit, key}); }

private:
    template <typename TWidget, typename TValue> struct TBinding
    {
        TWidget *widget;
        TValue TSettings::*key;
    };

    QVBoxLayout *m_layout = nullptr;
    std::vector<TBinding<QCheckBox, bool>> m_checks;
    std::vector<TBinding<QSpinBox, int>> m_spins;
    std::vector<TBinding<QComboBox, int>> m_combos;
    std::vector<TBinding<QLineEdit, QString>> m_edits;
};
