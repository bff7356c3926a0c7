#include "advsearchdlg.h"

#include <iterator>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/maindialogs.h"

using namespace Qt::StringLiterals;

namespace {

struct TBox
{
    int Field;
    const char16_t *Caption;
};

// The fields with a box, in the order the dialog shows them: down the first column, then
// down the second.
constexpr TBox Boxes[] = {
    {2, u"Title:"},        {3, u"Original title:"},
    {5, u"Year:"},         {6, u"Genre:"},
    {7, u"Director:"},     {8, u"Producer:"},
    {9, u"Scenario:"},     {10, u"Music:"},
    {11, u"Actors:"},      {12, u"Country:"},
    {13, u"Studio:"},      {14, u"Release:"},
    {15, u"IMDB Rating:"}, {17, u"Rating:"},
    {18, u"Tags:"},        {19, u"Date added:"},
    {20, u"Borrower:"},    {21, u"Description:"},
    {22, u"Comment:"},     {23, u"Location:"},
    {24, u"Quality:"},     {25, u"Media type:"},
    {26, u"Media Label:"}, {27, u"Languages:"},
    {28, u"Subtitles:"},   {30, u"ID:"},
};
constexpr int BoxCount = static_cast<int>(std::size(Boxes));
constexpr int RowsPerColumn = (BoxCount + 1) / 2;

QPushButton *NewButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TAdvSearchDlg::TAdvSearchDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"AdvSearchDlg"_s);
    setWindowTitle(u"Advanced Search"_s);

    auto *grid = new QGridLayout;
    // Label and box in columns 0-1 and 3-4; column 2 only keeps the pairs apart.
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    grid->setColumnMinimumWidth(2, 12);
    for (int i = 0; i < BoxCount; ++i) {
        const int field = Boxes[i].Field;
        auto *label = new QLabel(QString::fromUtf16(Boxes[i].Caption), this);
        label->setObjectName(u"Label"_s + QString::number(field));
        auto *edit = new QLineEdit(this);
        edit->setObjectName(u"Criterion"_s + QString::number(field));
        edit->setMinimumWidth(160);
        label->setBuddy(edit);
        const int column = i < RowsPerColumn ? 0 : 3;
        const int row = i % RowsPerColumn;
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        m_edits[field - FirstCriterionField] = edit;
    }

    QPushButton *clear = NewButton(this, u"ClearBtn"_s, u"C&lear"_s);
    QPushButton *ok = NewButton(this, u"OKBtn"_s, u"OK"_s);
    ok->setDefault(true);
    QPushButton *cancel = NewButton(this, u"CancelBtn"_s, u"Cancel"_s);
    connect(clear, &QPushButton::clicked, this, [this] { ClearAll(); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
}

void TAdvSearchDlg::SetCriteria(const QStringList &criteria)
{
    for (int i = 0; i < CriterionCount; ++i) {
        m_criteria[i] = criteria.value(i);
        if (m_edits[i])
            m_edits[i]->setText(m_criteria[i]);
    }
}

QStringList TAdvSearchDlg::Criteria() const
{
    QStringList criteria = m_criteria;
    for (int i = 0; i < CriterionCount; ++i) {
        if (m_edits[i])
            criteria[i] = m_edits[i]->text();
    }
    return criteria;
}

void TAdvSearchDlg::ClearAll()
{
    for (QLineEdit *edit : m_edits) {
        if (edit)
            edit->clear();
    }
}

QLineEdit *TAdvSearchDlg::Edit(int field) const
{
    const int index = field - FirstCriterionField;
    return index >= 0 && index < CriterionCount ? m_edits[index] : nullptr;
}

std::optional<QStringList> TAdvSearchDlg::Ask(QWidget *parent, const QStringList &criteria)
{
    // The parent window may close while the dialog's loop runs, taking the dialog along.
    QPointer<TAdvSearchDlg> dialog = new TAdvSearchDlg(parent);
    dialog->SetCriteria(criteria);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    std::optional<QStringList> answer;
    if (accepted && dialog)
        answer = dialog->Criteria();
    delete dialog.data();
    return answer;
}

std::optional<QStringList> TQtMainDialogs::AskAdvancedSearch(QWidget *parent,
                                                             const QStringList &criteria)
{
    return TAdvSearchDlg::Ask(parent, criteria);
}
