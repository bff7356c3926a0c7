#pragma once

#include <functional>

#include "app/prefs/prefspagebase.h"

class QComboBox;

// Dialogs: the confirmation questions and the interface language.
class TDialogsPage : public TPrefsPageBase
{
public:
    explicit TDialogsPage(QWidget *parent);

    // Fills the language list from the context's language table.
    void Load(const TSettings &settings, const TPrefsContext &context) override;

    // Called when the user picks a language (not when the page fills or restores the list).
    void SetLanguageHandler(std::function<void(int)> handler) { m_onLanguage = std::move(handler); }
    // The chosen TWideLanguage index, -1 when the list is empty.
    int ChosenLanguage() const;
    // Selects `index` without calling the handler.
    void ShowLanguage(int index);

private:
    QComboBox *m_languages = nullptr;
    std::function<void(int)> m_onLanguage;
    bool m_filling = false;
};
