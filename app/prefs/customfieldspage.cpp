#include "app/prefs/customfieldspage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextRename = 635;
constexpr int TextCustomFields = 712;
constexpr int TextCustomName = 713;
constexpr int TextCustomNote = 714;

} // namespace

TCustomFieldsPage::TCustomFieldsPage(QWidget *parent)
    : TPrefsPageBase(u"MovieCustomPage"_s, parent)
{
    m_list = new QListWidget(this);
    m_list->setObjectName(u"CustomFields"_s);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(u"CustomNameEdit"_s);
    m_add = NewButton(this, u"CustomAddBtn"_s, TextAdd, u"&Add"_s);
    m_rename = NewButton(this, u"CustomRenameBtn"_s, TextRename, u"&Rename"_s);
    m_delete = NewButton(this, u"CustomDeleteBtn"_s, TextDelete, u"&Delete"_s);
    m_note =
        NewLabel(this,
                 TextCustomNote,
                 u"Custom fields can be changed only while a catalog is open and not read-only."_s);
    m_note->setObjectName(u"CustomNote"_s);
    m_note->setWordWrap(true);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {m_add, m_rename, m_delete})
        buttons->addWidget(button);
    buttons->addStretch();
    auto *grid = new QGridLayout;
    grid->addWidget(NewLabel(this, TextCustomFields, u"Custom fields of this catalog:"_s), 0, 0);
    grid->addWidget(m_list, 1, 0);
    grid->addLayout(buttons, 1, 1);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(NewLabel(this, TextCustomName, u"Name:"_s));
    nameRow->addWidget(m_edit, 1);
    grid->addLayout(nameRow, 2, 0);
    Layout()->addLayout(grid, 1);
    Layout()->addWidget(m_note);
    Connect();
}

void TCustomFieldsPage::Connect()
{
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            m_edit->setText(m_list->item(row)->text());
        UpdateButtons();
    });
    connect(m_edit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    connect(m_edit, &QLineEdit::returnPressed, this, [this] {
        if (m_add->isEnabled())
            m_add->click();
    });
    // Fields are only appended: the catalog can add a field at the end, not insert one.
    connect(m_add, &QPushButton::clicked, this, [this] {
        if (!m_add->isEnabled())
            return;
        auto *item = new QListWidgetItem(m_edit->text().trimmed(), m_list);
        item->setData(Qt::UserRole, -1);
        m_list->setCurrentItem(item);
    });
    connect(m_rename, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *item = m_list->currentItem(); item && m_rename->isEnabled())
            item->setText(m_edit->text().trimmed());
        UpdateButtons();
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        if (m_delete->isEnabled())
            delete m_list->takeItem(m_list->currentRow());
        UpdateButtons();
    });
}

bool TCustomFieldsPage::Editable() const
{
    return m_database && !m_readOnly;
}

void TCustomFieldsPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    m_database = context.database;
    m_readOnly = context.readOnly;
    LoadFields();
}

void TCustomFieldsPage::LoadFields()
{
    m_list->clear();
    m_edit->clear();
    if (const TVideoDatabase *db = m_database) {
        const QStringList &names = db->CustomFieldNames();
        for (int i = 0; i < names.size(); ++i) {
            auto *item = new QListWidgetItem(names[i], m_list);
            item->setData(Qt::UserRole, i);
        }
    }
    m_edit->setEnabled(Editable());
    m_note->setVisible(!Editable());
    UpdateButtons();
}

void TCustomFieldsPage::UpdateButtons()
{
    const QString name = m_edit->text().trimmed();
    const int row = m_list->currentRow();
    // Two fields of one name could not be told apart on the card or in the grid.
    auto taken = [this, &name](int except) {
        for (int i = 0; i < m_list->count(); ++i) {
            if (i != except && m_list->item(i)->text().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    };
    m_add->setEnabled(Editable() && !name.isEmpty() && !taken(-1));
    m_rename->setEnabled(Editable() && row >= 0 && !name.isEmpty() && !taken(row)
                         && name != m_list->item(row)->text());
    m_delete->setEnabled(Editable() && row >= 0);
}

void TCustomFieldsPage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    TVideoDatabase *db = m_database;
    if (!Editable())
        return;
    const int before = db->CustomFieldCount();
    QList<int> newIndex(before, -1);
    for (int i = 0; i < m_list->count(); ++i) {
        const int original = m_list->item(i)->data(Qt::UserRole).toInt();
        if (original >= 0 && original < before)
            newIndex[original] = 0;
    }
    // From the back, so the indices still to delete stay valid.
    for (int i = before - 1; i >= 0; --i) {
        if (newIndex[i] < 0)
            db->DeleteCustomField(i);
    }
    int kept = 0;
    for (int i = 0; i < before; ++i) {
        if (newIndex[i] >= 0)
            newIndex[i] = kept++;
    }
    for (int i = 0; i < m_list->count(); ++i) {
        const QString name = m_list->item(i)->text();
        const int original = m_list->item(i)->data(Qt::UserRole).toInt();
        if (original >= 0 && original < before) {
            if (db->CustomFieldName(newIndex[original]) != name) {
                db->RenameCustomField(newIndex[original], name);
                // The catalog does not count a rename as a change, but the new name is
                // part of its file and must not be lost when it is closed.
                db->SetModified(true);
            }
        } else {
            db->AddCustomField(name);
        }
    }
    // The list now mirrors the catalog again, so a second Store changes nothing.
    LoadFields();
}
