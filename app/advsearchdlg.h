#pragma once

#include <array>
#include <optional>

#include <QDialog>
#include <QStringList>

#include "logic/filters.h"

class QLineEdit;

// The Advanced Search dialog: one text box per movie search field that can be a criterion
// (fields 2 to 30 but 4, 16 and 29). Criteria lists are indexed by field - 2.
class TAdvSearchDlg : public QDialog
{
public:
    explicit TAdvSearchDlg(QWidget *parent = nullptr);

    // Runs the dialog modally, preset with `criteria`; the CriterionCount texts on OK,
    // nothing on Cancel.
    static std::optional<QStringList> Ask(QWidget *parent, const QStringList &criteria);

    // Fills the boxes; entries for fields without a box are kept and returned by Criteria().
    // A shorter list counts as padded with empty texts, extra entries are ignored.
    void SetCriteria(const QStringList &criteria);
    // Always CriterionCount texts.
    QStringList Criteria() const;
    void ClearAll();

    // The box of a search field; nullptr for a field without one.
    QLineEdit *Edit(int field) const;

private:
    std::array<QLineEdit *, CriterionCount> m_edits{};
    QStringList m_criteria = QStringList(CriterionCount);
};
