#pragma once

#include <array>
#include <optional>

#include <QDialog>
#include <QStringList>

#include "logic/maintenance.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QListWidget;
class QToolButton;
class TWideLanguage;

// The "Multiple Movies Editor": one row per field with a check box deciding whether the field
// is written and a box for the value (a choice box for quality, translation and media type).
class TMME : public QDialog
{
public:
    TMME(const TMultiCommon &common, const TMultiEditLists &lists, QWidget *parent = nullptr);

    // Runs the editor modally (translated when `language` is given); the answer on OK,
    // nothing on Cancel.
    static std::optional<TMultiEditAnswer> Ask(QWidget *parent,
                                               const TMultiCommon &common,
                                               const TMultiEditLists &lists,
                                               const TWideLanguage *language);

    TMultiEditAnswer Answer() const;
    QCheckBox *Check(TMultiField field) const { return m_checks[int(field)]; }
    QString BoxText(TMultiField field) const;
    void SetBoxText(TMultiField field, const QString &text);

    // The genre pick list under the genre box; leaving it writes the checked genres.
    void ShowGenreList();
    QListWidget *GenreList() const { return m_genreList; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnCheckToggled(TMultiField field, bool on);
    void TakeGenreList();

    TMultiCommon m_common;
    QStringList m_genres;
    std::array<QCheckBox *, MultiFieldCount> m_checks{};
    // Exactly one of the two is set per row.
    std::array<QLineEdit *, MultiFieldCount> m_edits{};
    std::array<QComboBox *, MultiFieldCount> m_combos{};
    QToolButton *m_genreButton = nullptr;
    QFrame *m_genrePopup = nullptr;
    QListWidget *m_genreList = nullptr;
};
