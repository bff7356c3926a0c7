#include "app/multieditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "catalog/textutils.h"
#include "views/languagewide.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

enum class TBoxKind { Edit, Choice };

struct TRow
{
    const char16_t *CheckName;
    const char16_t *Caption;
    TBoxKind Kind;
};

// In TMultiField order; the captions are texts 1961 onwards.
constexpr TRow Rows[MultiFieldCount] = {
    {u"idCheck", u"ID:", TBoxKind::Edit},
    {u"yCheck", u"Year:", TBoxKind::Edit},
    {u"gCheck", u"Genre:", TBoxKind::Edit},
    {u"dCheck", u"Director:", TBoxKind::Edit},
    {u"pCheck", u"Producer:", TBoxKind::Edit},
    {u"wCheck", u"Scenario:", TBoxKind::Edit},
    {u"musCheck", u"Music:", TBoxKind::Edit},
    {u"cCheck", u"Country:", TBoxKind::Edit},
    {u"sCheck", u"Studio:", TBoxKind::Edit},
    {u"mCheck", u"MPAA:", TBoxKind::Edit},
    {u"rCheck", u"Release:", TBoxKind::Edit},
    {u"qCheck", u"Quality:", TBoxKind::Choice},
    {u"lCheck", u"Languages:", TBoxKind::Edit},
    {u"tCheck", u"Translation:", TBoxKind::Choice},
    {u"subCheck", u"Subtitles:", TBoxKind::Edit},
    {u"mlCheck", u"Media Label:", TBoxKind::Edit},
    {u"mtCheck", u"Media Type:", TBoxKind::Choice},
    {u"tagCheck", u"Tags:", TBoxKind::Edit},
};
constexpr int FormTag = 1960;
constexpr int FirstRowTag = 1961;
constexpr int GenreListHeight = 200;

void SetTag(QObject *object, int tag)
{
    object->setProperty(TagProperty, tag);
}

// "qCheck" gives "qBox": the box of the row.
QString BoxName(const char16_t *checkName)
{
    QString name = QString::fromUtf16(checkName);
    name.chop(5);
    return name + u"Box"_s;
}

} // namespace

TMME::TMME(const TMultiCommon &common, const TMultiEditLists &lists, QWidget *parent)
    : QDialog(parent)
    , m_common(common)
    , m_genres(lists.Genres)
{
    setObjectName(u"MME"_s);
    setWindowTitle(u"Multiple Movies Editor"_s);
    SetTag(this, FormTag);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    for (int i = 0; i < MultiFieldCount; ++i) {
        const auto field = TMultiField(i);
        auto *check = new QCheckBox(QString::fromUtf16(Rows[i].Caption), this);
        check->setObjectName(QString::fromUtf16(Rows[i].CheckName));
        SetTag(check, FirstRowTag + i);
        m_checks[i] = check;
        grid->addWidget(check, i, 0);

        QWidget *box = nullptr;
        if (Rows[i].Kind == TBoxKind::Choice) {
            auto *combo = new QComboBox(this);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            const QStringList &items = field == TMultiField::Quality       ? lists.Qualities
                                       : field == TMultiField::Translation ? lists.Translations
                                                                           : lists.MediaTypes;
            combo->addItems(items);
            combo->setCurrentIndex(-1);
            combo->setEditText(QString());
            // A value typed or chosen is one to write.
            connect(combo, &QComboBox::textActivated, check, [check] { check->setChecked(true); });
            connect(combo->lineEdit(), &QLineEdit::textEdited, check, [check] {
                check->setChecked(true);
            });
            m_combos[i] = combo;
            box = combo;
        } else {
            auto *edit = new QLineEdit(this);
            connect(edit, &QLineEdit::textEdited, check, [check] { check->setChecked(true); });
            m_edits[i] = edit;
            box = edit;
        }
        box->setObjectName(BoxName(Rows[i].CheckName));
        box->setMinimumWidth(220);
        connect(check, &QCheckBox::toggled, this, [this, field](bool on) {
            OnCheckToggled(field, on);
        });

        if (field == TMultiField::Genre) {
            m_genreButton = new QToolButton(this);
            m_genreButton->setObjectName(u"GenSelBtn"_s);
            m_genreButton->setText(u"..."_s);
            m_genreButton->setEnabled(!m_genres.isEmpty());
            connect(m_genreButton, &QToolButton::clicked, this, [this] { ShowGenreList(); });
            auto *row = new QHBoxLayout;
            row->setSpacing(0);
            row->addWidget(box, 1);
            row->addWidget(m_genreButton);
            grid->addLayout(row, i, 1);
        } else {
            grid->addWidget(box, i, 1);
        }
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    ok->setObjectName(u"OKBtn"_s);
    cancel->setObjectName(u"CancelBtn"_s);
    SetTag(ok, 1750);
    SetTag(cancel, 1751);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    // The pick list is a popup of its own: clicking elsewhere closes it, which is "leaving".
    m_genrePopup = new QFrame(this, Qt::Popup);
    m_genrePopup->setObjectName(u"GenrePopup"_s);
    m_genrePopup->setFrameShape(QFrame::Box);
    m_genreList = new QListWidget(m_genrePopup);
    m_genreList->setObjectName(u"GenreList"_s);
    auto *popupLayout = new QVBoxLayout(m_genrePopup);
    popupLayout->setContentsMargins(0, 0, 0, 0);
    popupLayout->addWidget(m_genreList);
    m_genrePopup->installEventFilter(this);
}

std::optional<TMultiEditAnswer> TMME::Ask(QWidget *parent,
                                          const TMultiCommon &common,
                                          const TMultiEditLists &lists,
                                          const TWideLanguage *language)
{
    // The parent may close while the dialog runs (a nested event loop).
    QPointer<TMME> dialog = new TMME(common, lists, parent);
    if (language)
        Translate(*language, dialog.data());
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    std::optional<TMultiEditAnswer> answer;
    if (accepted)
        answer = dialog->Answer();
    delete dialog.data();
    return answer;
}

TMultiEditAnswer TMME::Answer() const
{
    TMultiEditAnswer answer;
    for (int i = 0; i < MultiFieldCount; ++i) {
        answer.Checked[i] = m_checks[i]->isChecked();
        answer.Texts[i] = BoxText(TMultiField(i));
    }
    return answer;
}

QString TMME::BoxText(TMultiField field) const
{
    const int i = int(field);
    return m_combos[i] ? m_combos[i]->currentText() : m_edits[i]->text();
}

void TMME::SetBoxText(TMultiField field, const QString &text)
{
    const int i = int(field);
    if (m_combos[i])
        m_combos[i]->setEditText(text);
    else
        m_edits[i]->setText(text);
}

void TMME::OnCheckToggled(TMultiField field, bool on)
{
    if (on && BoxText(field).isEmpty())
        SetBoxText(field, m_common.Preset(field));
}

void TMME::ShowGenreList()
{
    if (m_genres.isEmpty())
        return;
    const QStringList inBox = SplitList(BoxText(TMultiField::Genre));
    m_genreList->clear();
    for (const QString &genre : std::as_const(m_genres)) {
        auto *item = new QListWidgetItem(genre, m_genreList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(inBox.contains(genre, Qt::CaseInsensitive) ? Qt::Checked
                                                                       : Qt::Unchecked);
    }
    QWidget *box = m_edits[int(TMultiField::Genre)];
    const QPoint below = box->mapToGlobal(QPoint(0, box->height()));
    const int width = m_genreButton->geometry().right() - box->geometry().left() + 1;
    m_genrePopup->setGeometry(below.x(), below.y(), qMax(width, box->width()), GenreListHeight);
    m_genrePopup->show();
    m_genreList->setFocus();
}

bool TMME::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_genrePopup && event->type() == QEvent::Hide)
        TakeGenreList();
    return QDialog::eventFilter(watched, event);
}

void TMME::TakeGenreList()
{
    QStringList checked;
    for (int row = 0; row < m_genreList->count(); ++row) {
        const QListWidgetItem *item = m_genreList->item(row);
        if (item->checkState() == Qt::Checked)
            checked.append(item->text());
    }
    const QString text = checked.join(", "_L1);
    if (text == BoxText(TMultiField::Genre))
        return;
    // Filled first, so turning the check box on does not put the common value back.
    SetBoxText(TMultiField::Genre, text);
    m_checks[int(TMultiField::Genre)]->setChecked(true);
}
