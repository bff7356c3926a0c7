#include "app/prefsform.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/pluginsettings.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"
#include "host/pluginregistry.h"
#include "host/pluginsframe.h"
#include "logic/settingsfile.h"
#include "views/languagewide.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

// Text numbers of the window's captions in the language table. Widgets that show several
// texts (combo boxes, lists, the page tree) use consecutive numbers from their tag on.
constexpr int TextTitle = 600;
constexpr int TextPageTree = 601; // the 28 nodes in pre-order
constexpr int TextAdd = 630;
constexpr int TextChange = 631;
constexpr int TextDelete = 632;
constexpr int TextUp = 633;
constexpr int TextDown = 634;
constexpr int TextRename = 635;
constexpr int TextAddSeparator = 636;
constexpr int TextAll = 637;
constexpr int TextNone = 638;
constexpr int TextTitleFormat = 640;
constexpr int TextInsertField = 641;
constexpr int TextInsert = 642;
constexpr int TextArticles = 643;
constexpr int TextPrefixModes = 644; // 4 items
constexpr int TextArticleList = 648;
constexpr int TextAllCaps = 649;
constexpr int TextMovieTemplate = 650;  // 11 items
constexpr int TextPeopleTemplate = 661; // 6 items
constexpr int TextAvailable = 670;
constexpr int TextChosen = 671;
constexpr int TextUndefinedGroup = 672;
constexpr int TextMovieGroups = 680;  // 24 items
constexpr int TextPeopleGroups = 704; // 6 items
constexpr int TextColumns = 710;
constexpr int TextItems = 711;
constexpr int TextCustomFields = 712;
constexpr int TextCustomName = 713;
constexpr int TextCustomNote = 714;
constexpr int TextListItems = 715;
constexpr int TextDuration = 720;
constexpr int TextTransNames = 721;
constexpr int TextPosterWidth = 722;
constexpr int TextPosterHeight = 723;
constexpr int TextPicsInFolders = 724;
constexpr int TextDefSeen = 725;
constexpr int TextCollapse = 726;
constexpr int TextPhotoWidth = 727;
constexpr int TextPhotoHeight = 728;
constexpr int TextMovieItems = 730;  // 44 items
constexpr int TextPeopleItems = 780; // 13 items
constexpr int TextListColors = 800;
constexpr int TextMovieColors = 801;
constexpr int TextColorNames = 802; // 21 labels
constexpr int TextDialogChecks = 830;
constexpr int TextLanguage = 836;
constexpr int TextSameDir = 840;
constexpr int TextFileDialogs = 841;
constexpr int TextDialogNames = 842; // 6 labels
constexpr int TextDirTypes = 848;    // 2 items
constexpr int TextImageFolders = 850;
constexpr int TextFolderNames = 851; // 5 labels
constexpr int TextImgFolders = 856;
constexpr int TextImageNote = 857;
constexpr int TextWebHeader = 860; // 2 columns
constexpr int TextWebList = 862;
constexpr int TextPlugHeader = 865; // 4 columns
constexpr int TextOverwrite = 869;
constexpr int TextSetDefault = 870;
constexpr int TextConfigure = 871;
constexpr int TextUninstall = 872;
constexpr int TextSilent = 873;
constexpr int TextAutoAddPeople = 874;
constexpr int TextInternet = 875; // 10 captions
constexpr int TextMisc = 885;     // 7 check boxes
constexpr int TextIndexMode = 892;
constexpr int TextIndexModes = 893; // 3 items
constexpr int TextAutoSave = 896;
// The download limits: 2 captions, 2 tooltips.
constexpr int TextDownloadLimits = 3950;
constexpr int TextAutoSaveInterval = 897;
// Shared with the other dialogs.
constexpr int TextOk = 1750;
constexpr int TextCancel = 1751;
// The grid column captions of the list views.
constexpr int TextMovieColumns = 2200;
constexpr int TextPeopleColumns = 2300;

constexpr char ColorProperty[] = "windowsColor";

const char16_t *const PageNames[TPrefsForm::PageCount] = {u"Movies",
                                                          u"Title formatting",
                                                          u"Tree View Nodes",
                                                          u"Grid View columns",
                                                          u"Visible items",
                                                          u"Custom items",
                                                          u"Information card",
                                                          u"People",
                                                          u"Title formatting",
                                                          u"Tree View Nodes",
                                                          u"Grid View Columns",
                                                          u"Visible items",
                                                          u"Information card",
                                                          u"Lists",
                                                          u"Genres",
                                                          u"Media types",
                                                          u"Quality",
                                                          u"Video codecs",
                                                          u"Audio codecs",
                                                          u"Translation",
                                                          u"Career",
                                                          u"Colours",
                                                          u"Dialogs",
                                                          u"Folders",
                                                          u"Web search",
                                                          u"Plugins",
                                                          u"Internet Connection",
                                                          u"Miscellaneous"};

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

// Grouping fields by their number in the Groups key.
const char16_t *const MovieGroupFields[] = {u"ID",
                                            u"First letter of Title",
                                            u"First letter of Original Title",
                                            u"Year",
                                            u"Genre",
                                            u"Director",
                                            u"Producer",
                                            u"Scenario",
                                            u"Actors",
                                            u"Country",
                                            u"Studio",
                                            u"Release",
                                            u"Tags",
                                            u"Quality",
                                            u"Languages",
                                            u"Translation",
                                            u"Media type",
                                            u"Resolution",
                                            u"Subtitles",
                                            u"Borrower",
                                            u"IMDBRating",
                                            u"Rating",
                                            u"Media Label",
                                            u"Date added"};

const char16_t *const PeopleGroupFields[] = {u"First letter of Name",
                                             u"First letter of Translated name",
                                             u"Birthday",
                                             u"Genre",
                                             u"Career",
                                             u"Rating"};

const char16_t *const MovieColumnNames[] = {
    u"Poster",        u"ID",          u"Title",         u"Original Title", u"Also known as",
    u"Year",          u"Genre",       u"Director",      u"Producer",       u"Scenario",
    u"Music",         u"Actors",      u"Country",       u"Studio",         u"MPAA",
    u"Release",       u"URL",         u"IMDB Rating",   u"Other Rating",   u"Rating",
    u"Tags",          u"Date Added",  u"Borrower",      u"Tagline",        u"Description",
    u"Comments",      u"Local file",  u"Quality",       u"Duration",       u"Languages",
    u"Translation",   u"Subtitles",   u"File size",     u"Media type",     u"Video codec",
    u"Video Bitrate", u"Audio codec", u"Audio bitrate", u"Resolution",     u"Frame Rate",
    u"Media Label",   u"Features",    u"Loaned Date",   u"Viewed date"};

const char16_t *const PeopleColumnNames[] = {u"Photo",
                                             u"Name",
                                             u"Translated name",
                                             u"Alternative name",
                                             u"Birthday",
                                             u"Birthplace",
                                             u"Genre",
                                             u"Career",
                                             u"URL",
                                             u"Rating",
                                             u"Biography",
                                             u"Filmography",
                                             u"Awards",
                                             u"Comments"};

const char16_t *const MovieItemNames[] = {u"Poster",
                                          u"Original Title",
                                          u"Also known as",
                                          u"Year",
                                          u"Genre",
                                          u"Director",
                                          u"Producer",
                                          u"Scenario",
                                          u"Music",
                                          u"Actors",
                                          u"Country",
                                          u"Studio",
                                          u"MPAA",
                                          u"Release",
                                          u"URL",
                                          u"IMDB Rating",
                                          u"Additional rating",
                                          u"Rating",
                                          u"Tags",
                                          u"Date Added",
                                          u"Borrower",
                                          u"Tagline",
                                          u"Description",
                                          u"Comments",
                                          u"Awards",
                                          u"Movie Connections",
                                          u"Local file",
                                          u"Quality",
                                          u"Duration",
                                          u"Languages",
                                          u"Translation",
                                          u"Subtitles",
                                          u"File size",
                                          u"Media type",
                                          u"Video Codec",
                                          u"Video Bitrate",
                                          u"Audio Codec",
                                          u"Audio Bitrate",
                                          u"Resolution",
                                          u"Frame Rate",
                                          u"Media Label",
                                          u"Features",
                                          u"Screenshots",
                                          u"Covers"};

const char16_t *const PeopleItemNames[] = {u"Photo",
                                           u"Translated name",
                                           u"Alternative names",
                                           u"Birthday",
                                           u"Birthplace",
                                           u"Genre",
                                           u"Career",
                                           u"URL",
                                           u"Rating",
                                           u"Biography",
                                           u"Filmography",
                                           u"Awards",
                                           u"Comments"};

const char16_t *const ColorNames[] = {u"List background:",
                                      u"Bookmarked record:",
                                      u"Movie not seen:",
                                      u"Loaned movie:",
                                      u"Series that has episodes:",
                                      u"Episode:",
                                      u"Selected row:",
                                      u"Selected bookmarked record:",
                                      u"Selected movie not seen:",
                                      u"Selected loaned movie:",
                                      u"Selected series with episodes:",
                                      u"Selected episode:",
                                      u"Wished movie:",
                                      u"Selected wished movie:",
                                      u"List text:",
                                      u"Selected list text:",
                                      u"Card: main information:",
                                      u"Card: custom fields:",
                                      u"Card: file information:",
                                      u"Card: screenshots and covers:",
                                      u"Card: background:"};

const char16_t *const FileDialogNames[] = {
    u"Open catalog:", u"Media files:", u"Open poster:", u"Save poster:", u"Export:", u"Import:"};

struct TImageFolderRow
{
    TImageFolder folder;
    const char16_t *name;
    const char16_t *caption;
};

const TImageFolderRow ImageFolderRows[] = {
    {TImageFolder::Posters, u"PostersFolder", u"Posters:"},
    {TImageFolder::Photos, u"PhotosFolder", u"Photos:"},
    {TImageFolder::Covers, u"CoversFolder", u"Covers:"},
    {TImageFolder::Screenshots, u"ScreenshotsFolder", u"Screenshots:"},
    {TImageFolder::Thumbnails, u"ThumbnailsFolder", u"Thumbnails:"}};

static_assert(std::size(MovieColumnNames) == TSettings::MovieColumnCount);
static_assert(std::size(PeopleColumnNames) == TSettings::PeopleColumnCount);
static_assert(std::size(MovieItemNames) == TSettings::MovieItemCount);
static_assert(std::size(PeopleItemNames) == TSettings::PeopleItemCount);
static_assert(std::size(ColorNames) == TSettings::ColorCount);
static_assert(std::size(FileDialogNames) == TSettings::FolderSlotCount);
static_assert(std::size(MovieGroupFields) == 24);
static_assert(std::size(PeopleGroupFields) == 6);

QString Str(const char16_t *text)
{
    return QString::fromUtf16(text);
}

template <size_t N> QStringList Strings(const char16_t *const (&texts)[N])
{
    QStringList list;
    for (const char16_t *text : texts)
        list.append(Str(text));
    return list;
}

void SetTag(QObject *object, int tag)
{
    object->setProperty(TagProperty, tag);
}

QLabel *NewLabel(QWidget *parent, int tag, const QString &text)
{
    auto *label = new QLabel(text, parent);
    SetTag(label, tag);
    return label;
}

QCheckBox *NewCheck(QWidget *parent, const QString &name, int tag, const QString &text)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    SetTag(box, tag);
    return box;
}

// Enter in an edit must not close the window, so no button is a default button.
QPushButton *NewButton(QWidget *parent, const QString &name, int tag, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (tag != 0)
        SetTag(button, tag);
    return button;
}

QPushButton *NewBrowseButton(QWidget *parent, const QString &name)
{
    QPushButton *button = NewButton(parent, name, 0, u"..."_s);
    button->setMaximumWidth(button->fontMetrics().horizontalAdvance(u"......"_s) + 16);
    return button;
}

QSpinBox *NewSpin(QWidget *parent, const QString &name, int minimum, int maximum)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(minimum, maximum);
    return spin;
}

QComboBox *NewCombo(QWidget *parent, const QString &name, int tag, const QStringList &items)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    SetTag(combo, tag);
    return combo;
}

QListWidget *NewCheckList(QWidget *parent, const QString &name, int tag, const QStringList &items)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    for (const QString &text : items) {
        auto *item = new QListWidgetItem(text, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    SetTag(list, tag);
    return list;
}

void SetChecked(QListWidgetItem *item, bool checked)
{
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool IsChecked(const QListWidgetItem *item)
{
    return item->checkState() == Qt::Checked;
}

void MoveCurrentRow(QListWidget *list, int delta)
{
    const int row = list->currentRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= list->count())
        return;
    QListWidgetItem *item = list->takeItem(row);
    list->insertItem(target, item);
    list->setCurrentRow(target);
}

void MoveCurrentRow(QTreeWidget *tree, int delta)
{
    QTreeWidgetItem *item = tree->currentItem();
    const int row = item ? tree->indexOfTopLevelItem(item) : -1;
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= tree->topLevelItemCount())
        return;
    tree->takeTopLevelItem(row);
    tree->insertTopLevelItem(target, item);
    tree->setCurrentItem(item);
}

// Stored colours are Windows colour values: red in the low byte, then green, then blue.
// The high byte (Windows system colours) cannot be shown and is kept until the user picks.
QColor FromWindowsColor(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int ToWindowsColor(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

void SetSwatch(QPushButton *button, int value)
{
    button->setProperty(ColorProperty, value);
    QPixmap swatch(48, 16);
    swatch.fill(FromWindowsColor(value));
    button->setIcon(swatch);
    button->setIconSize(swatch.size());
    button->setToolTip(FromWindowsColor(value).name().toUpper());
}

// A list of texts with an edit line to add, change, delete and move items.
class TListEditor : public QWidget
{
public:
    TListEditor(const QString &name, QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(name);
        m_list = new QListWidget(this);
        m_list->setObjectName(u"ItemList"_s);
        m_edit = new QLineEdit(this);
        m_edit->setObjectName(u"ItemEdit"_s);
        m_add = NewButton(this, u"AddBtn"_s, TextAdd, u"&Add"_s);
        m_change = NewButton(this, u"ChangeBtn"_s, TextChange, u"&Change"_s);
        m_delete = NewButton(this, u"DeleteBtn"_s, TextDelete, u"&Delete"_s);
        m_up = NewButton(this, u"UpBtn"_s, TextUp, u"Move &up"_s);
        m_down = NewButton(this, u"DownBtn"_s, TextDown, u"Move &down"_s);

        auto *buttons = new QVBoxLayout;
        for (QPushButton *button : {m_add, m_change, m_delete, m_up, m_down})
            buttons->addWidget(button);
        buttons->addStretch();
        auto *layout = new QGridLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_list, 0, 0);
        layout->addLayout(buttons, 0, 1);
        layout->addWidget(m_edit, 1, 0);

        connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0)
                m_edit->setText(m_list->item(row)->text());
            UpdateButtons();
        });
        connect(m_edit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
        connect(m_edit, &QLineEdit::returnPressed, this, [this] {
            if (m_add->isEnabled())
                Add();
        });
        connect(m_add, &QPushButton::clicked, this, [this] { Add(); });
        connect(m_change, &QPushButton::clicked, this, [this] {
            if (QListWidgetItem *item = m_list->currentItem(); item && !EditText().isEmpty())
                item->setText(EditText());
        });
        connect(m_delete, &QPushButton::clicked, this, [this] {
            delete m_list->takeItem(m_list->currentRow());
            UpdateButtons();
        });
        connect(m_up, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_list, -1); });
        connect(m_down, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_list, 1); });
        UpdateButtons();
    }

    void SetItems(const QStringList &items)
    {
        m_list->clear();
        m_list->addItems(items);
        m_edit->clear();
        UpdateButtons();
    }

    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < m_list->count(); ++i)
            items.append(m_list->item(i)->text());
        return items;
    }

private:
    QString EditText() const { return m_edit->text().trimmed(); }

    void Add()
    {
        if (EditText().isEmpty())
            return;
        m_list->addItem(EditText());
        m_list->setCurrentRow(m_list->count() - 1);
        m_edit->clear();
    }

    void UpdateButtons()
    {
        const int row = m_list->currentRow();
        const bool hasText = !EditText().isEmpty();
        m_add->setEnabled(hasText);
        m_change->setEnabled(row >= 0 && hasText);
        m_delete->setEnabled(row >= 0);
        m_up->setEnabled(row > 0);
        m_down->setEnabled(row >= 0 && row < m_list->count() - 1);
    }

    QListWidget *m_list = nullptr;
    QLineEdit *m_edit = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_change = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
};

// The grouping levels of a tree view: every field on the left (fixed order, so the language
// table can name them by position), the chosen levels in order on the right.
class TGroupEditor : public QWidget
{
public:
    TGroupEditor(const QString &name, int tag, const QStringList &fields, QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(name);
        m_available = new QListWidget(this);
        m_available->setObjectName(u"AvailableList"_s);
        m_available->addItems(fields);
        SetTag(m_available, tag);
        m_chosen = new QListWidget(this);
        m_chosen->setObjectName(u"GroupList"_s);
        m_add = NewButton(this, u"AddBtn"_s, TextAdd, u"&Add"_s);
        m_remove = NewButton(this, u"RemoveBtn"_s, TextDelete, u"&Delete"_s);
        m_up = NewButton(this, u"UpBtn"_s, TextUp, u"Move &up"_s);
        m_down = NewButton(this, u"DownBtn"_s, TextDown, u"Move &down"_s);

        auto *buttons = new QVBoxLayout;
        buttons->addStretch();
        for (QPushButton *button : {m_add, m_remove, m_up, m_down})
            buttons->addWidget(button);
        buttons->addStretch();
        auto *layout = new QGridLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(NewLabel(this, TextAvailable, u"Available fields:"_s), 0, 0);
        layout->addWidget(NewLabel(this, TextChosen, u"Grouping levels, in order:"_s), 0, 2);
        layout->addWidget(m_available, 1, 0);
        layout->addLayout(buttons, 1, 1);
        layout->addWidget(m_chosen, 1, 2);

        connect(m_add, &QPushButton::clicked, this, [this] { AddCurrent(); });
        connect(m_available, &QListWidget::itemDoubleClicked, this, [this] { AddCurrent(); });
        connect(m_remove, &QPushButton::clicked, this, [this] { RemoveCurrent(); });
        connect(m_chosen, &QListWidget::itemDoubleClicked, this, [this] { RemoveCurrent(); });
        connect(m_up, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_chosen, -1); });
        connect(m_down, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_chosen, 1); });
        connect(m_available, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
        connect(m_chosen, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
        UpdateButtons();
    }

    // Numbers outside the field table are dropped: no tree level could use them.
    void SetGroups(const QList<int> &groups)
    {
        m_chosen->clear();
        for (int i = 0; i < m_available->count(); ++i)
            m_available->item(i)->setHidden(false);
        for (const int field : groups) {
            if (field >= 0 && field < m_available->count())
                AddField(field);
        }
        m_available->setCurrentRow(-1);
        UpdateButtons();
    }

    QList<int> Groups() const
    {
        QList<int> groups;
        for (int i = 0; i < m_chosen->count(); ++i)
            groups.append(m_chosen->item(i)->data(Qt::UserRole).toInt());
        return groups;
    }

    // The chosen levels show the (possibly translated) names of the field list.
    void RefreshCaptions()
    {
        for (int i = 0; i < m_chosen->count(); ++i) {
            QListWidgetItem *item = m_chosen->item(i);
            item->setText(m_available->item(item->data(Qt::UserRole).toInt())->text());
        }
    }

private:
    void AddField(int field)
    {
        auto *item = new QListWidgetItem(m_available->item(field)->text(), m_chosen);
        item->setData(Qt::UserRole, field);
        m_available->item(field)->setHidden(true);
    }

    void AddCurrent()
    {
        const int field = m_available->currentRow();
        if (field < 0 || m_available->item(field)->isHidden())
            return;
        AddField(field);
        m_chosen->setCurrentRow(m_chosen->count() - 1);
        // The next visible field becomes current, so Add can be pressed repeatedly.
        int next = -1;
        for (int i = field + 1; i < m_available->count() && next < 0; ++i) {
            if (!m_available->item(i)->isHidden())
                next = i;
        }
        m_available->setCurrentRow(next);
        UpdateButtons();
    }

    void RemoveCurrent()
    {
        const int row = m_chosen->currentRow();
        if (row < 0)
            return;
        const int field = m_chosen->item(row)->data(Qt::UserRole).toInt();
        delete m_chosen->takeItem(row);
        if (!Groups().contains(field))
            m_available->item(field)->setHidden(false);
        UpdateButtons();
    }

    void UpdateButtons()
    {
        const int available = m_available->currentRow();
        const int chosen = m_chosen->currentRow();
        m_add->setEnabled(available >= 0 && !m_available->item(available)->isHidden());
        m_remove->setEnabled(chosen >= 0);
        m_up->setEnabled(chosen > 0);
        m_down->setEnabled(chosen >= 0 && chosen < m_chosen->count() - 1);
    }

    QListWidget *m_available = nullptr;
    QListWidget *m_chosen = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
};

class TMessageBoxQuestion : public IYesNoQuestion
{
public:
    explicit TMessageBoxQuestion(QWidget *parent)
        : m_parent(parent)
    {}

    bool AskYesNo(const QString &caption, const QString &text) override
    {
        return QMessageBox::question(
                   m_parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               == QMessageBox::Yes;
    }

private:
    QWidget *m_parent;
};

template <typename TWidget, typename TValue> struct TBinding
{
    TWidget *widget;
    TValue TSettings::*key;
};

} // namespace

struct TPrefsForm::TWidgets
{
    QTreeWidget *pageTree = nullptr;
    std::vector<QTreeWidgetItem *> nodes; // pre-order
    QStackedWidget *stack = nullptr;
    QLabel *pageCaption = nullptr;

    // Plain keys.
    std::vector<TBinding<QCheckBox, bool>> checks;
    std::vector<TBinding<QSpinBox, int>> spins;
    std::vector<TBinding<QComboBox, int>> combos;
    std::vector<TBinding<QLineEdit, QString>> edits;
    std::vector<TBinding<TListEditor, QStringList>> lists;

    QLineEdit *prefixList = nullptr;
    TGroupEditor *movieGroups = nullptr;
    TGroupEditor *peopleGroups = nullptr;
    QListWidget *gridColumns = nullptr;
    QListWidget *peopleGridColumns = nullptr;
    QListWidget *items = nullptr;
    QListWidget *peopleItems = nullptr;

    QListWidget *customList = nullptr;
    QLineEdit *customEdit = nullptr;
    QPushButton *customAdd = nullptr;
    QPushButton *customRename = nullptr;
    QPushButton *customDelete = nullptr;
    QLabel *customNote = nullptr;

    std::array<QPushButton *, TSettings::ColorCount> colors{};
    std::array<QLabel *, TSettings::ColorCount> colorLabels{};

    QComboBox *languageCombo = nullptr;

    std::array<QComboBox *, TSettings::FolderSlotCount> initDirType{};
    std::array<QLineEdit *, TSettings::FolderSlotCount> initDir{};
    std::array<QLineEdit *, std::size(ImageFolderRows)> imageFolders{};
    std::array<QPushButton *, std::size(ImageFolderRows)> imageBrowse{};
    QCheckBox *imgFolders = nullptr;
    QLabel *imageNote = nullptr;

    QTreeWidget *webList = nullptr;

    QTreeWidget *plugsList = nullptr;
    QGroupBox *miGroup = nullptr;
    QGroupBox *piGroup = nullptr;
    QListWidget *overwriteList = nullptr;
    QListWidget *overwriteList2 = nullptr;
    QPushButton *defBtn = nullptr;
    QPushButton *configBtn = nullptr;
    QPushButton *delPlugBtn = nullptr;
    QCheckBox *silentCheck = nullptr;
    QCheckBox *addPeopleCheck = nullptr;

    // A new page on the stack for tree node `page`; its layout.
    QVBoxLayout *NewPage(TPrefsPage page, const QString &name)
    {
        auto *widget = new QWidget(stack);
        widget->setObjectName(name);
        const int index = stack->addWidget(widget);
        nodes[size_t(page)]->setData(0, Qt::UserRole, index);
        auto *layout = new QVBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        return layout;
    }

    QCheckBox *AddCheck(
        QBoxLayout *layout, const QString &name, int tag, const QString &text, bool TSettings::*key)
    {
        QCheckBox *box = NewCheck(layout->parentWidget(), name, tag, text);
        layout->addWidget(box);
        checks.push_back({box, key});
        return box;
    }

    QSpinBox *AddSpin(QFormLayout *form,
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
        spins.push_back({spin, key});
        return spin;
    }

    QLineEdit *AddEdit(QFormLayout *form,
                       const QString &name,
                       int tag,
                       const QString &caption,
                       QString TSettings::*key)
    {
        QWidget *parent = form->parentWidget();
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(name);
        form->addRow(NewLabel(parent, tag, caption), edit);
        edits.push_back({edit, key});
        return edit;
    }

    // A form inside `layout`'s page.
    static QFormLayout *AddForm(QVBoxLayout *layout)
    {
        auto *holder = new QWidget(layout->parentWidget());
        auto *form = new QFormLayout(holder);
        form->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(holder);
        return form;
    }
};

TPrefsForm::TPrefsForm(QWidget *parent)
    : QDialog(parent)
    , m_w(std::make_unique<TWidgets>())
    , m_boxQuestion(std::make_unique<TMessageBoxQuestion>(this))
{
    setObjectName(u"PrefsForm"_s);
    setWindowTitle(u"Preferences"_s);
    SetTag(this, TextTitle);

    m_colorChooser = [this](const QColor &initial, const QString &title) {
        return QColorDialog::getColor(initial, this, title);
    };
    m_folderChooser = [this](const QString &start) {
        return QFileDialog::getExistingDirectory(this, QString(), start);
    };

    BuildPageTree();
    BuildTitlePages();
    BuildTreePages();
    BuildColumnAndItemPages();
    BuildCustomPage();
    BuildCardPages();
    BuildListPages();
    BuildColourPage();
    BuildDialogsPage();
    BuildFoldersPage();
    BuildWebPage();
    BuildPluginsPage();
    BuildInternetPage();
    BuildMiscPage();

    QPushButton *ok = NewButton(this, u"OKBtn"_s, TextOk, u"&OK"_s);
    QPushButton *cancel = NewButton(this, u"CancelBtn"_s, TextCancel, u"&Cancel"_s);
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    auto *right = new QVBoxLayout;
    QFont captionFont = m_w->pageCaption->font();
    captionFont.setBold(true);
    m_w->pageCaption->setFont(captionFont);
    right->addWidget(m_w->pageCaption);
    right->addWidget(m_w->stack, 1);
    auto *panes = new QHBoxLayout;
    panes->addWidget(m_w->pageTree);
    panes->addLayout(right, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(panes, 1);
    layout->addLayout(buttons);

    ShowPage(TPrefsPage::MovieTitle);
}

TPrefsForm::~TPrefsForm() = default;

QString TPrefsForm::TextOr(int number, const QString &builtIn) const
{
    return m_context.language ? m_context.language->Caption(number, builtIn) : builtIn;
}

void TPrefsForm::BuildPageTree()
{
    TWidgets &w = *m_w;
    w.pageTree = new QTreeWidget(this);
    w.pageTree->setObjectName(u"PageTree"_s);
    w.pageTree->setHeaderHidden(true);
    w.pageTree->setColumnCount(1);
    w.pageTree->setFixedWidth(230);
    SetTag(w.pageTree, TextPageTree);

    // Group nodes and the number of pages under each, in pre-order.
    const int childCounts[TPrefsForm::PageCount] = {6, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 7,
                                                    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTreeWidgetItem *group = nullptr;
    int remaining = 0;
    for (int i = 0; i < PageCount; ++i) {
        QTreeWidgetItem *item = nullptr;
        if (remaining > 0) {
            item = new QTreeWidgetItem(group, {Str(PageNames[i])});
            --remaining;
        } else {
            item = new QTreeWidgetItem(w.pageTree, {Str(PageNames[i])});
            group = item;
            remaining = childCounts[i];
        }
        item->setData(0, Qt::UserRole, -1);
        w.nodes.push_back(item);
    }
    w.pageTree->expandAll();

    w.stack = new QStackedWidget(this);
    w.stack->setObjectName(u"PageStack"_s);
    w.pageCaption = new QLabel(this);
    w.pageCaption->setObjectName(u"PageCaption"_s);
    connect(w.pageTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        OnPageChanged(item);
    });
}

void TPrefsForm::BuildTitlePages()
{
    TWidgets &w = *m_w;
    // The format edit with a list of the template's fields to insert at the cursor.
    auto addFormat = [&w](QVBoxLayout *layout,
                          const QString &prefix,
                          QString TSettings::*key,
                          int fieldTag,
                          std::span<const TTemplateField> fields) {
        QWidget *page = layout->parentWidget();
        auto *grid = new QGridLayout;
        layout->addLayout(grid);
        auto *format = new QLineEdit(page);
        format->setObjectName(prefix + u"TitleFormat"_s);
        w.edits.push_back({format, key});
        auto *combo = new QComboBox(page);
        combo->setObjectName(prefix + u"TitleFieldCombo"_s);
        for (const TTemplateField &field : fields)
            combo->addItem(Str(field.caption), Str(field.code));
        SetTag(combo, fieldTag);
        QPushButton *insert =
            NewButton(page, prefix + u"TitleInsertBtn"_s, TextInsert, u"&Insert"_s);
        QObject::connect(insert, &QPushButton::clicked, page, [format, combo] {
            format->insert(combo->currentData().toString());
            format->setFocus();
        });
        grid->addWidget(NewLabel(page, TextTitleFormat, u"Title format:"_s), 0, 0);
        grid->addWidget(format, 0, 1, 1, 2);
        grid->addWidget(NewLabel(page, TextInsertField, u"Field to insert:"_s), 1, 0);
        grid->addWidget(combo, 1, 1);
        grid->addWidget(insert, 1, 2);
    };

    QVBoxLayout *movies = w.NewPage(TPrefsPage::MovieTitle, u"MovieTitlePage"_s);
    addFormat(movies, QString(), &TSettings::TitleFormat, TextMovieTemplate, MovieTemplateFields);
    QWidget *page = movies->parentWidget();
    auto *articles = new QGridLayout;
    movies->addLayout(articles);
    QComboBox *mode = NewCombo(
        page,
        u"PrefixMode"_s,
        TextPrefixModes,
        {u"Leave as they are"_s, u"Move to the end"_s, u"Move to the beginning"_s, u"Remove"_s});
    w.combos.push_back({mode, &TSettings::PrefixMode});
    w.prefixList = new QLineEdit(page);
    w.prefixList->setObjectName(u"PrefixList"_s);
    articles->addWidget(NewLabel(page, TextArticles, u"Leading articles:"_s), 0, 0);
    articles->addWidget(mode, 0, 1);
    articles->addWidget(
        NewLabel(page, TextArticleList, u"Articles (separated by commas):"_s), 1, 0);
    articles->addWidget(w.prefixList, 1, 1);
    w.AddCheck(movies,
               u"AllCapsTitle"_s,
               TextAllCaps,
               u"Capitalise the first letter of every word"_s,
               &TSettings::AllCapsTitle);
    movies->addStretch();

    QVBoxLayout *people = w.NewPage(TPrefsPage::PeopleTitle, u"PeopleTitlePage"_s);
    addFormat(people,
              u"People"_s,
              &TSettings::PeopleTitleFormat,
              TextPeopleTemplate,
              PeopleTemplateFields);
    w.AddCheck(people,
               u"PeopleAllCapsTitle"_s,
               TextAllCaps,
               u"Capitalise the first letter of every word"_s,
               &TSettings::PeopleAllCapsTitle);
    people->addStretch();
}

void TPrefsForm::BuildTreePages()
{
    TWidgets &w = *m_w;
    QVBoxLayout *movies = w.NewPage(TPrefsPage::MovieTree, u"MovieTreePage"_s);
    w.movieGroups = new TGroupEditor(
        u"MovieGroups"_s, TextMovieGroups, Strings(MovieGroupFields), movies->parentWidget());
    movies->addWidget(w.movieGroups, 1);
    const QString undefined = u"Put records with an empty value into an \"Undefined\" group"_s;
    w.AddCheck(movies,
               u"DoUndefinedGroup"_s,
               TextUndefinedGroup,
               undefined,
               &TSettings::MovieUndefinedGroup);

    QVBoxLayout *people = w.NewPage(TPrefsPage::PeopleTree, u"PeopleTreePage"_s);
    w.peopleGroups = new TGroupEditor(
        u"PeopleGroups"_s, TextPeopleGroups, Strings(PeopleGroupFields), people->parentWidget());
    people->addWidget(w.peopleGroups, 1);
    w.AddCheck(people,
               u"PeopleDoUndefinedGroup"_s,
               TextUndefinedGroup,
               undefined,
               &TSettings::PeopleUndefinedGroup);
}

void TPrefsForm::BuildColumnAndItemPages()
{
    TWidgets &w = *m_w;
    auto addList = [&w](TPrefsPage pageId,
                        const QString &pageName,
                        int labelTag,
                        const QString &label,
                        const QString &name,
                        int tag,
                        const QStringList &captions) {
        QVBoxLayout *layout = w.NewPage(pageId, pageName);
        layout->addWidget(NewLabel(layout->parentWidget(), labelTag, label));
        QListWidget *list = NewCheckList(layout->parentWidget(), name, tag, captions);
        layout->addWidget(list, 1);
        return list;
    };
    const QString columns = u"Columns shown in the grid view:"_s;
    const QString items = u"Items shown on the card:"_s;
    w.gridColumns = addList(TPrefsPage::MovieGrid,
                            u"MovieGridPage"_s,
                            TextColumns,
                            columns,
                            u"GridColumns"_s,
                            TextMovieColumns,
                            Strings(MovieColumnNames));
    w.items = addList(TPrefsPage::MovieItems,
                      u"MovieItemsPage"_s,
                      TextItems,
                      items,
                      u"ItemsVisible"_s,
                      TextMovieItems,
                      Strings(MovieItemNames));
    w.peopleGridColumns = addList(TPrefsPage::PeopleGrid,
                                  u"PeopleGridPage"_s,
                                  TextColumns,
                                  columns,
                                  u"PeopleGridColumns"_s,
                                  TextPeopleColumns,
                                  Strings(PeopleColumnNames));
    w.peopleItems = addList(TPrefsPage::PeopleItems,
                            u"PeopleItemsPage"_s,
                            TextItems,
                            items,
                            u"PeopleItemsVisible"_s,
                            TextPeopleItems,
                            Strings(PeopleItemNames));
}

void TPrefsForm::BuildCustomPage()
{
    TWidgets &w = *m_w;
    QVBoxLayout *layout = w.NewPage(TPrefsPage::MovieCustom, u"MovieCustomPage"_s);
    QWidget *page = layout->parentWidget();
    w.customList = new QListWidget(page);
    w.customList->setObjectName(u"CustomFields"_s);
    w.customEdit = new QLineEdit(page);
    w.customEdit->setObjectName(u"CustomNameEdit"_s);
    w.customAdd = NewButton(page, u"CustomAddBtn"_s, TextAdd, u"&Add"_s);
    w.customRename = NewButton(page, u"CustomRenameBtn"_s, TextRename, u"&Rename"_s);
    w.customDelete = NewButton(page, u"CustomDeleteBtn"_s, TextDelete, u"&Delete"_s);
    w.customNote =
        NewLabel(page,
                 TextCustomNote,
                 u"Custom fields can be changed only while a catalog is open and not read-only."_s);
    w.customNote->setObjectName(u"CustomNote"_s);
    w.customNote->setWordWrap(true);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {w.customAdd, w.customRename, w.customDelete})
        buttons->addWidget(button);
    buttons->addStretch();
    auto *grid = new QGridLayout;
    grid->addWidget(NewLabel(page, TextCustomFields, u"Custom fields of this catalog:"_s), 0, 0);
    grid->addWidget(w.customList, 1, 0);
    grid->addLayout(buttons, 1, 1);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(NewLabel(page, TextCustomName, u"Name:"_s));
    nameRow->addWidget(w.customEdit, 1);
    grid->addLayout(nameRow, 2, 0);
    layout->addLayout(grid, 1);
    layout->addWidget(w.customNote);

    connect(w.customList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            m_w->customEdit->setText(m_w->customList->item(row)->text());
        UpdateCustomButtons();
    });
    connect(w.customEdit, &QLineEdit::textChanged, this, [this] { UpdateCustomButtons(); });
    connect(w.customEdit, &QLineEdit::returnPressed, this, [this] {
        if (m_w->customAdd->isEnabled())
            m_w->customAdd->click();
    });
    // Fields are only appended: the catalog can add a field at the end, not insert one.
    connect(w.customAdd, &QPushButton::clicked, this, [this] {
        if (!m_w->customAdd->isEnabled())
            return;
        auto *item = new QListWidgetItem(m_w->customEdit->text().trimmed(), m_w->customList);
        item->setData(Qt::UserRole, -1);
        m_w->customList->setCurrentItem(item);
    });
    connect(w.customRename, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *item = m_w->customList->currentItem();
            item && m_w->customRename->isEnabled()) {
            item->setText(m_w->customEdit->text().trimmed());
        }
        UpdateCustomButtons();
    });
    connect(w.customDelete, &QPushButton::clicked, this, [this] {
        if (m_w->customDelete->isEnabled())
            delete m_w->customList->takeItem(m_w->customList->currentRow());
        UpdateCustomButtons();
    });
}

void TPrefsForm::BuildCardPages()
{
    TWidgets &w = *m_w;
    QVBoxLayout *movies = w.NewPage(TPrefsPage::MovieCard, u"MovieCardPage"_s);
    w.AddCheck(movies,
               u"DurationInMinutes"_s,
               TextDuration,
               u"Show the duration in minutes"_s,
               &TSettings::DurationInMinutes);
    w.AddCheck(movies,
               u"TransNames"_s,
               TextTransNames,
               u"Links to people use translated names"_s,
               &TSettings::TransNames);
    QFormLayout *sizes = TWidgets::AddForm(movies);
    w.AddSpin(sizes,
              u"MaxPosterWidth"_s,
              TextPosterWidth,
              u"Largest poster width (% of the card):"_s,
              1,
              100,
              &TSettings::MaxPosterWidth);
    w.AddSpin(sizes,
              u"MaxPosterHeight"_s,
              TextPosterHeight,
              u"Largest poster height (% of the card):"_s,
              1,
              100,
              &TSettings::MaxPosterHeight);
    w.AddCheck(movies,
               u"PicsInFolders"_s,
               TextPicsInFolders,
               u"Screenshots and covers in one folder per movie (older catalogs)"_s,
               &TSettings::PicsInFolders);
    w.AddCheck(movies,
               u"DefSeenState"_s,
               TextDefSeen,
               u"New movies start as seen"_s,
               &TSettings::DefSeenState);
    w.AddCheck(
        movies, u"Collapse"_s, TextCollapse, u"Collapse large fields"_s, &TSettings::Collapse);
    movies->addStretch();

    QVBoxLayout *people = w.NewPage(TPrefsPage::PeopleCard, u"PeopleCardPage"_s);
    QFormLayout *photo = TWidgets::AddForm(people);
    w.AddSpin(photo,
              u"MaxPhotoWidth"_s,
              TextPhotoWidth,
              u"Largest photo width (% of the card):"_s,
              1,
              100,
              &TSettings::MaxPhotoWidth);
    w.AddSpin(photo,
              u"MaxPhotoHeight"_s,
              TextPhotoHeight,
              u"Largest photo height (% of the card):"_s,
              1,
              100,
              &TSettings::MaxPhotoHeight);
    w.AddCheck(people,
               u"PeopleCollapse"_s,
               TextCollapse,
               u"Collapse large fields"_s,
               &TSettings::PeopleCollapse);
    people->addStretch();
}

void TPrefsForm::BuildListPages()
{
    TWidgets &w = *m_w;
    struct TListPage
    {
        TPrefsPage page;
        const char16_t *name;
        QStringList TSettings::*key;
    };
    const TListPage pages[] = {
        {TPrefsPage::Genres, u"GenresList", &TSettings::GenresList},
        {TPrefsPage::MediaTypes, u"MediaTypeList", &TSettings::MediaTypeList},
        {TPrefsPage::Quality, u"QualityList", &TSettings::QualityList},
        {TPrefsPage::VideoCodecs, u"VideoCodecsList", &TSettings::VideoCodecsList},
        {TPrefsPage::AudioCodecs, u"AudioCodecsList", &TSettings::AudioCodecsList},
        {TPrefsPage::Translation, u"TranslationList", &TSettings::TranslationList},
        {TPrefsPage::Career, u"CareerList", &TSettings::CareerList}};
    for (const TListPage &list : pages) {
        QVBoxLayout *layout = w.NewPage(list.page, Str(list.name) + u"Page"_s);
        layout->addWidget(
            NewLabel(layout->parentWidget(), TextListItems, u"Choices offered on the cards:"_s));
        auto *editor = new TListEditor(Str(list.name), layout->parentWidget());
        layout->addWidget(editor, 1);
        w.lists.push_back({editor, list.key});
    }
}

void TPrefsForm::BuildColourPage()
{
    TWidgets &w = *m_w;
    QVBoxLayout *layout = w.NewPage(TPrefsPage::Colours, u"ColoursPage"_s);
    QWidget *page = layout->parentWidget();
    w.AddCheck(layout,
               u"DoListColors"_s,
               TextListColors,
               u"Colour the list rows by their state"_s,
               &TSettings::DoListColors);
    w.AddCheck(layout,
               u"DoMovieColors"_s,
               TextMovieColors,
               u"Colour the panes of the cards"_s,
               &TSettings::DoMovieColors);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    constexpr int rows = (TSettings::ColorCount + 1) / 2;
    for (int n = 0; n < TSettings::ColorCount; ++n) {
        QLabel *label = NewLabel(page, TextColorNames + n, Str(ColorNames[n]));
        label->setObjectName(u"ColorLabel%1"_s.arg(n));
        QPushButton *button = NewButton(page, u"Color%1"_s.arg(n), 0, QString());
        label->setBuddy(button);
        SetSwatch(button, 0);
        w.colors[size_t(n)] = button;
        w.colorLabels[size_t(n)] = label;
        grid->addWidget(label, n % rows, (n / rows) * 2);
        grid->addWidget(button, n % rows, (n / rows) * 2 + 1);
        connect(button, &QPushButton::clicked, this, [this, n] { ChooseColour(n); });
    }
    layout->addStretch();
}

void TPrefsForm::ChooseColour(int index)
{
    QPushButton *button = m_w->colors[size_t(index)];
    if (!m_colorChooser)
        return;
    QString title = m_w->colorLabels[size_t(index)]->text();
    title.remove(u'&');
    if (title.endsWith(u':'))
        title.chop(1);
    const QColor chosen =
        m_colorChooser(FromWindowsColor(button->property(ColorProperty).toInt()), title);
    if (chosen.isValid())
        SetSwatch(button, ToWindowsColor(chosen));
}

void TPrefsForm::BuildDialogsPage()
{
    TWidgets &w = *m_w;
    QVBoxLayout *layout = w.NewPage(TPrefsPage::Dialogs, u"DialogsPage"_s);
    struct TQuestion
    {
        const char16_t *name;
        const char16_t *text;
        bool TSettings::*key;
    };
    const TQuestion questions[] = {
        {u"DeleteMovieConfirm", u"Ask before deleting records", &TSettings::DeleteMovieConfirm},
        {u"DeleteMovieFilesConfirm",
         u"Ask before deleting media files",
         &TSettings::DeleteMovieFilesConfirm},
        {u"ClearMovieConfirm", u"Ask before clearing a record", &TSettings::ClearMovieConfirm},
        {u"RemoveDuplicatesConfirm",
         u"Ask about each duplicate when removing duplicates",
         &TSettings::RemoveDuplicatesConfirm},
        {u"NewEpisodeDlg", u"Show the new-episode dialog", &TSettings::NewEpisodeDlg},
        {u"CopyDataToNewEpisode",
         u"Copy the series' data into a new episode",
         &TSettings::CopyDataToNewEpisode}};
    int tag = TextDialogChecks;
    for (const TQuestion &question : questions)
        w.AddCheck(layout, Str(question.name), tag++, Str(question.text), question.key);

    QWidget *page = layout->parentWidget();
    w.languageCombo = new QComboBox(page);
    w.languageCombo->setObjectName(u"LanguageCombo"_s);
    auto *row = new QHBoxLayout;
    row->addWidget(NewLabel(page, TextLanguage, u"Interface language:"_s));
    row->addWidget(w.languageCombo, 1);
    layout->addLayout(row);
    layout->addStretch();
    connect(w.languageCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        OnLanguageChosen(index);
    });
}

void TPrefsForm::BuildFoldersPage()
{
    TWidgets &w = *m_w;
    QVBoxLayout *layout = w.NewPage(TPrefsPage::Folders, u"FoldersPage"_s);
    QWidget *page = layout->parentWidget();
    w.AddCheck(layout,
               u"SameDirOpts"_s,
               TextSameDir,
               u"All file dialogs follow the rule of the first one"_s,
               &TSettings::SameDirOpts);

    auto *dialogs = new QGroupBox(u"File dialogs"_s, page);
    dialogs->setObjectName(u"FileDialogsGroup"_s);
    SetTag(dialogs, TextFileDialogs);
    auto *dialogGrid = new QGridLayout(dialogs);
    for (int n = 0; n < TSettings::FolderSlotCount; ++n) {
        QComboBox *type = NewCombo(dialogs,
                                   u"InitDirType%1"_s.arg(n),
                                   TextDirTypes,
                                   {u"Last used folder"_s, u"This folder"_s});
        auto *edit = new QLineEdit(dialogs);
        edit->setObjectName(u"InitDir%1"_s.arg(n));
        edit->setEnabled(false);
        QPushButton *browse = NewBrowseButton(dialogs, u"InitDirBrowse%1"_s.arg(n));
        browse->setEnabled(false);
        dialogGrid->addWidget(
            NewLabel(dialogs, TextDialogNames + n, Str(FileDialogNames[n])), n, 0);
        dialogGrid->addWidget(type, n, 1);
        dialogGrid->addWidget(edit, n, 2);
        dialogGrid->addWidget(browse, n, 3);
        w.initDirType[size_t(n)] = type;
        w.initDir[size_t(n)] = edit;
        // The folder matters only when the dialog starts in it.
        connect(type, &QComboBox::currentIndexChanged, edit, [edit, browse](int index) {
            edit->setEnabled(index == 1);
            browse->setEnabled(index == 1);
        });
        connect(browse, &QPushButton::clicked, this, [this, edit] { BrowseFolder(edit, false); });
    }
    dialogGrid->setColumnStretch(2, 1);
    layout->addWidget(dialogs);

    auto *images = new QGroupBox(u"Image folders of this catalog"_s, page);
    images->setObjectName(u"ImageFoldersGroup"_s);
    SetTag(images, TextImageFolders);
    auto *imageGrid = new QGridLayout(images);
    for (size_t f = 0; f < std::size(ImageFolderRows); ++f) {
        const TImageFolderRow &row = ImageFolderRows[f];
        auto *edit = new QLineEdit(images);
        edit->setObjectName(Str(row.name));
        QPushButton *browse = NewBrowseButton(images, Str(row.name) + u"Browse"_s);
        const int line = static_cast<int>(f);
        imageGrid->addWidget(NewLabel(images, TextFolderNames + line, Str(row.caption)), line, 0);
        imageGrid->addWidget(edit, line, 1);
        imageGrid->addWidget(browse, line, 2);
        w.imageFolders[f] = edit;
        w.imageBrowse[f] = browse;
        connect(browse, &QPushButton::clicked, this, [this, edit] { BrowseFolder(edit, true); });
    }
    w.imgFolders =
        NewCheck(images,
                 u"ImgFolders"_s,
                 TextImgFolders,
                 u"Keep the screenshots and covers of each movie in a folder of its own"_s);
    imageGrid->addWidget(w.imgFolders, int(std::size(ImageFolderRows)), 0, 1, 3);
    w.imageNote = NewLabel(
        images,
        TextImageNote,
        u"The image folders can be changed only in a saved catalog that is not read-only."_s);
    w.imageNote->setObjectName(u"ImageFoldersNote"_s);
    w.imageNote->setWordWrap(true);
    imageGrid->addWidget(w.imageNote, int(std::size(ImageFolderRows)) + 1, 0, 1, 3);
    imageGrid->setColumnStretch(1, 1);
    layout->addWidget(images);
    layout->addStretch();
}

void TPrefsForm::BrowseFolder(QLineEdit *edit, bool catalogRelative)
{
    if (!m_folderChooser)
        return;
    const TVideoDatabase *db = catalogRelative ? m_context.database : nullptr;
    QString start = edit->text().trimmed();
    if (db && !start.isEmpty() && QDir::isRelativePath(start))
        start = QDir(db->Folder()).filePath(start);
    QString chosen = m_folderChooser(start);
    if (chosen.isEmpty())
        return;
    if (!chosen.endsWith(u'/'))
        chosen += u'/';
    // Folders inside the catalog's folder stay relative, so the catalog can move with them.
    if (db && !db->Folder().isEmpty()) {
        const QString relative = RelativePath(db->Folder(), chosen);
        if (!relative.startsWith(".."_L1) && QDir::isRelativePath(relative))
            chosen = relative;
    }
    edit->setText(chosen);
}

void TPrefsForm::BuildWebPage()
{
    TWidgets &w = *m_w;
    QVBoxLayout *layout = w.NewPage(TPrefsPage::WebSearch, u"WebSearchPage"_s);
    QWidget *page = layout->parentWidget();
    layout->addWidget(
        NewLabel(page, TextWebList, u"Search engines (a name \"-\" makes a separator line):"_s));
    w.webList = new QTreeWidget(page);
    w.webList->setObjectName(u"WebSearchList"_s);
    w.webList->setColumnCount(2);
    w.webList->setHeaderLabels({u"Name"_s, u"URL"_s});
    w.webList->setRootIsDecorated(false);
    w.webList->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                               | QAbstractItemView::SelectedClicked);
    SetTag(w.webList, TextWebHeader);

    QPushButton *add = NewButton(page, u"WebAddBtn"_s, TextAdd, u"&Add"_s);
    QPushButton *separator =
        NewButton(page, u"WebSeparatorBtn"_s, TextAddSeparator, u"Add &separator"_s);
    QPushButton *remove = NewButton(page, u"WebDeleteBtn"_s, TextDelete, u"&Delete"_s);
    QPushButton *up = NewButton(page, u"WebUpBtn"_s, TextUp, u"Move &up"_s);
    QPushButton *down = NewButton(page, u"WebDownBtn"_s, TextDown, u"Move &down"_s);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {add, separator, remove, up, down})
        buttons->addWidget(button);
    buttons->addStretch();
    auto *row = new QHBoxLayout;
    row->addWidget(w.webList, 1);
    row->addLayout(buttons);
    layout->addLayout(row, 1);

    auto addRow = [this](const QString &name, const QString &url) {
        auto *item = new QTreeWidgetItem(m_w->webList, {name, url});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        m_w->webList->setCurrentItem(item);
        return item;
    };
    connect(add, &QPushButton::clicked, this, [this, addRow] {
        m_w->webList->editItem(addRow(QString(), QString()), 0);
    });
    connect(separator, &QPushButton::clicked, this, [addRow] { addRow(u"-"_s, QString()); });
    connect(remove, &QPushButton::clicked, this, [this] { delete m_w->webList->currentItem(); });
    connect(up, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_w->webList, -1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveCurrentRow(m_w->webList, 1); });
}

void TPrefsForm::BuildPluginsPage()
{
    TWidgets &w = *m_w;
    QVBoxLayout *layout = w.NewPage(TPrefsPage::Plugins, u"PluginsPage"_s);
    QWidget *page = layout->parentWidget();
    w.plugsList = new QTreeWidget(page);
    w.plugsList->setObjectName(u"PlugsList"_s);
    w.plugsList->setColumnCount(4);
    w.plugsList->setHeaderLabels({u"Name"_s, u"Type"_s, u"Description"_s, u"Version"_s});
    w.plugsList->setRootIsDecorated(false);
    SetTag(w.plugsList, TextPlugHeader);
    layout->addWidget(w.plugsList, 1);

    w.defBtn = NewButton(page, u"DefBtn"_s, TextSetDefault, u"Set as &default"_s);
    w.configBtn = NewButton(page, u"ConfigBtn"_s, TextConfigure, u"&Configure"_s);
    w.delPlugBtn = NewButton(page, u"DelPlugBtn"_s, TextUninstall, u"&Uninstall"_s);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(w.defBtn);
    buttons->addWidget(w.configBtn);
    buttons->addWidget(w.delPlugBtn);
    buttons->addStretch();
    layout->addLayout(buttons);

    auto addGroup = [this, page, layout](const QString &name,
                                         const QString &listName,
                                         const QString &suffix,
                                         QListWidget *&list) {
        auto *group = new QGroupBox(u"Fields the plug-in may overwrite"_s, page);
        group->setObjectName(name);
        SetTag(group, TextOverwrite);
        list = new QListWidget(group);
        list->setObjectName(listName);
        QPushButton *all = NewButton(group, u"AllBtn"_s + suffix, TextAll, u"&All"_s);
        QPushButton *none = NewButton(group, u"NoneBtn"_s + suffix, TextNone, u"&None"_s);
        auto *groupButtons = new QVBoxLayout;
        groupButtons->addWidget(all);
        groupButtons->addWidget(none);
        groupButtons->addStretch();
        auto *groupLayout = new QHBoxLayout(group);
        groupLayout->addWidget(list, 1);
        groupLayout->addLayout(groupButtons);
        group->setVisible(false);
        layout->addWidget(group, 1);
        connect(list, &QListWidget::itemChanged, this, [this, list](QListWidgetItem *item) {
            if (m_filling || !m_plugins)
                return;
            m_plugins->SetOverwriteChecked(list->row(item), IsChecked(item));
        });
        auto checkAll = [this](bool checked) {
            if (!m_plugins)
                return;
            m_plugins->CheckAll(checked);
            ShowPluginSelection();
        };
        connect(all, &QPushButton::clicked, this, [checkAll] { checkAll(true); });
        connect(none, &QPushButton::clicked, this, [checkAll] { checkAll(false); });
        return group;
    };
    w.miGroup = addGroup(u"MIGroup"_s, u"OverwriteList"_s, QString(), w.overwriteList);
    w.piGroup = addGroup(u"PIGroup"_s, u"OverwriteList2"_s, u"2"_s, w.overwriteList2);

    w.silentCheck = NewCheck(page, u"SilentCheck"_s, TextSilent, u"Run plug-ins without asking"_s);
    w.addPeopleCheck = NewCheck(page,
                                u"AddPeopleCheck"_s,
                                TextAutoAddPeople,
                                u"Add the people of fetched movies to the catalog"_s);
    layout->addWidget(w.silentCheck);
    layout->addWidget(w.addPeopleCheck);

    connect(w.plugsList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (m_filling || !m_plugins)
            return;
        m_plugins->Select(item ? m_w->plugsList->indexOfTopLevelItem(item) : -1);
        ShowPluginSelection();
    });
    connect(w.defBtn, &QPushButton::clicked, this, [this] {
        if (!m_plugins)
            return;
        m_plugins->SetDefault();
        RefreshPluginFonts();
    });
    connect(w.configBtn, &QPushButton::clicked, this, [this] {
        if (m_plugins)
            m_plugins->Configure(reinterpret_cast<void *>(window()->winId()));
    });
    connect(w.delPlugBtn, &QPushButton::clicked, this, [this] {
        if (m_plugins && m_plugins->Uninstall())
            FillPluginRows();
    });
}

void TPrefsForm::FillPluginRows()
{
    TWidgets &w = *m_w;
    const bool wasFilling = m_filling;
    m_filling = true;
    w.plugsList->clear();
    if (m_plugins) {
        for (const TPluginsFrameRow &row : m_plugins->Rows())
            new QTreeWidgetItem(w.plugsList,
                                {row.name, row.typeName, row.description, row.version});
        if (QTreeWidgetItem *item = w.plugsList->topLevelItem(m_plugins->Selected()))
            w.plugsList->setCurrentItem(item);
    }
    m_filling = wasFilling;
    RefreshPluginFonts();
    ShowPluginSelection();
}

void TPrefsForm::RefreshPluginFonts()
{
    if (!m_plugins)
        return;
    const QList<TPluginsFrameRow> &rows = m_plugins->Rows();
    for (int i = 0; i < rows.size() && i < m_w->plugsList->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_w->plugsList->topLevelItem(i);
        QFont font = item->font(0);
        font.setBold(rows[i].bold);
        item->setFont(0, font);
    }
}

void TPrefsForm::ShowPluginSelection()
{
    TWidgets &w = *m_w;
    const QString caption = m_plugins ? m_plugins->DefaultButtonCaption() : QString();
    w.defBtn->setText(caption.isEmpty() ? TextOr(TextSetDefault, u"Set as &default"_s) : caption);
    w.defBtn->setEnabled(m_plugins && m_plugins->DefaultButtonEnabled());
    w.configBtn->setEnabled(m_plugins && m_plugins->ConfigureEnabled());
    w.delPlugBtn->setEnabled(m_plugins && m_plugins->UninstallEnabled());

    const TOverwriteGroup group = m_plugins ? m_plugins->VisibleGroup() : TOverwriteGroup::None;
    w.miGroup->setVisible(group == TOverwriteGroup::Movie);
    w.piGroup->setVisible(group == TOverwriteGroup::Person);
    QListWidget *list = group == TOverwriteGroup::Movie    ? w.overwriteList
                        : group == TOverwriteGroup::Person ? w.overwriteList2
                                                           : nullptr;
    if (!list)
        return;
    const bool wasFilling = m_filling;
    m_filling = true;
    list->clear();
    const QStringList items = m_plugins->OverwriteItems();
    const QList<bool> checks = m_plugins->OverwriteChecks();
    for (int i = 0; i < items.size(); ++i) {
        auto *item = new QListWidgetItem(items[i], list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        SetChecked(item, i < checks.size() && checks[i]);
    }
    m_filling = wasFilling;
}

void TPrefsForm::BuildInternetPage()
{
    TWidgets &w = *m_w;
    QVBoxLayout *layout = w.NewPage(TPrefsPage::Internet, u"InternetPage"_s);
    QCheckBox *useProxy = w.AddCheck(
        layout, u"UseProxy"_s, TextInternet, u"Use a proxy server"_s, &TSettings::UseProxy);
    QFormLayout *form = TWidgets::AddForm(layout);
    QLineEdit *server = w.AddEdit(
        form, u"ProxyServer"_s, TextInternet + 1, u"Proxy server:"_s, &TSettings::ProxyServer);
    QSpinBox *port = w.AddSpin(
        form, u"ProxyPort"_s, TextInternet + 2, u"Port:"_s, 0, 65535, &TSettings::ProxyPort);
    QLineEdit *user = w.AddEdit(
        form, u"ProxyUserName"_s, TextInternet + 3, u"User name:"_s, &TSettings::ProxyUserName);
    QLineEdit *password = w.AddEdit(
        form, u"ProxyPassword"_s, TextInternet + 4, u"Password:"_s, &TSettings::ProxyPassword);
    password->setEchoMode(QLineEdit::Password);
    for (QWidget *proxyPart : std::initializer_list<QWidget *>{server, port, user, password}) {
        proxyPart->setEnabled(false);
        connect(useProxy, &QCheckBox::toggled, proxyPart, &QWidget::setEnabled);
    }

    w.AddEdit(form, u"UserAgent"_s, TextInternet + 5, u"User agent:"_s, &TSettings::UserAgent);
    // One hour is far beyond any useful time-out; -1 leaves the choice to the library.
    constexpr int timeoutLimit = 3600000;
    w.AddSpin(form,
              u"ConnectTimeout"_s,
              TextInternet + 6,
              u"Connect time-out in ms (-1: default):"_s,
              -1,
              timeoutLimit,
              &TSettings::ConnectTimeout);
    w.AddSpin(form,
              u"ReadTimeout"_s,
              TextInternet + 7,
              u"Read time-out in ms (-1: default):"_s,
              -1,
              timeoutLimit,
              &TSettings::ReadTimeout);
    w.AddSpin(form,
              u"Retries"_s,
              TextInternet + 8,
              u"Retries after a failed download:"_s,
              0,
              100,
              &TSettings::Retries);
    // Both limits start at one second: a download that may run forever is not offered.
    QSpinBox *totalLimit = w.AddSpin(form,
                                     u"DownloadTimeLimit"_s,
                                     TextDownloadLimits,
                                     u"Stop a download after (seconds):"_s,
                                     1,
                                     TSettings::MaxDownloadLimit,
                                     &TSettings::DownloadTimeLimit);
    QSpinBox *stallLimit = w.AddSpin(form,
                                     u"StallTimeLimit"_s,
                                     TextDownloadLimits + 1,
                                     u"Stop a download when no data came for (seconds):"_s,
                                     1,
                                     TSettings::MaxStallLimit,
                                     &TSettings::StallTimeLimit);
    totalLimit->setToolTip(TextOr(TextDownloadLimits + 2,
                                  u"The longest time any download may take in all, retries "
                                  "included: web information, pictures and the version check."_s));
    stallLimit->setToolTip(
        TextOr(TextDownloadLimits + 3,
               u"Also the connect and read time-outs while those are -1 (default)."_s));
    w.AddCheck(layout,
               u"DoUpdates"_s,
               TextInternet + 9,
               u"Check for new versions of the program and the plug-ins"_s,
               &TSettings::DoUpdates);
    // A check on demand; its outcome is written beside the button.
    auto *row = new QHBoxLayout;
    auto *checkNow = new QPushButton(u"Check &now"_s, layout->parentWidget());
    checkNow->setObjectName(u"CheckNowBtn"_s);
    m_updateStatus = new QLabel(layout->parentWidget());
    m_updateStatus->setObjectName(u"UpdateStatus"_s);
    m_updateStatus->setWordWrap(true);
    row->addWidget(checkNow);
    row->addWidget(m_updateStatus, 1);
    layout->addLayout(row);
    connect(checkNow, &QPushButton::clicked, this, [this] {
        if (m_updateChecker) {
            ShowUpdateStatus(u"Checking..."_s);
            m_updateChecker();
        }
    });
    layout->addStretch();
}

void TPrefsForm::BuildMiscPage()
{
    TWidgets &w = *m_w;
    QVBoxLayout *layout = w.NewPage(TPrefsPage::Misc, u"MiscPage"_s);
    QWidget *page = layout->parentWidget();
    struct TOption
    {
        const char16_t *name;
        const char16_t *text;
        bool TSettings::*key;
    };
    const TOption options[] = {
        {u"ExternalPosters",
         u"Keep posters as image files beside the catalog",
         &TSettings::ExternalPosters},
        {u"DeleteMovieFiles",
         u"Deleting a movie also deletes its media files",
         &TSettings::DeleteMovieFiles},
        {u"LoanMediaLabel",
         u"Lending a movie lends all movies with the same media label",
         &TSettings::LoanMediaLabel},
        {u"LoanID", u"Lending a movie lends all movies with the same ID", &TSettings::LoanID},
        {u"SpaceJump",
         u"The space key at the end of the card moves to the next movie",
         &TSettings::SpaceJump},
        {u"LabelOnlyRemovable",
         u"Take media labels only from removable media",
         &TSettings::LabelOnlyRemovable}};
    int tag = TextMisc;
    for (const TOption &option : options)
        w.AddCheck(layout, Str(option.name), tag++, Str(option.text), option.key);

    QCheckBox *autoId = w.AddCheck(
        layout, u"DoAutoID"_s, tag, u"Give new movies an ID automatically"_s, &TSettings::DoAutoID);
    QComboBox *mode =
        NewCombo(page,
                 u"AutoIndexMode"_s,
                 TextIndexModes,
                 {u"First free number"_s, u"Highest number plus one"_s, u"Ask for the ID"_s});
    mode->setEnabled(false);
    w.combos.push_back({mode, &TSettings::AutoIndexMode});
    auto *idRow = new QHBoxLayout;
    idRow->addWidget(NewLabel(page, TextIndexMode, u"ID of a new movie:"_s));
    idRow->addWidget(mode, 1);
    layout->addLayout(idRow);
    connect(autoId, &QCheckBox::toggled, mode, &QWidget::setEnabled);

    QCheckBox *autoSave = w.AddCheck(layout,
                                     u"AutoSave"_s,
                                     TextAutoSave,
                                     u"Save a changed catalog automatically"_s,
                                     &TSettings::AutoSave);
    QSpinBox *interval = NewSpin(page, u"AutoSaveInterval"_s, 3, 120);
    interval->setEnabled(false);
    w.spins.push_back({interval, &TSettings::AutoSaveInterval});
    auto *saveRow = new QHBoxLayout;
    saveRow->addWidget(NewLabel(page, TextAutoSaveInterval, u"Save after (minutes):"_s));
    saveRow->addWidget(interval);
    saveRow->addStretch();
    layout->addLayout(saveRow);
    connect(autoSave, &QCheckBox::toggled, interval, &QWidget::setEnabled);
    layout->addStretch();
}

void TPrefsForm::Load(const TSettings &settings, const TPrefsContext &context)
{
    TWidgets &w = *m_w;
    m_filling = true;
    m_context = context;

    for (const auto &binding : w.checks)
        binding.widget->setChecked(settings.*binding.key);
    for (const auto &binding : w.spins)
        binding.widget->setValue(settings.*binding.key);
    for (const auto &binding : w.combos) {
        const int value = settings.*binding.key;
        binding.widget->setCurrentIndex(value >= 0 && value < binding.widget->count() ? value : 0);
    }
    for (const auto &binding : w.edits)
        binding.widget->setText(settings.*binding.key);
    for (const auto &binding : w.lists)
        binding.widget->SetItems(settings.*binding.key);

    m_loadedPrefixList = settings.PrefixList;
    m_loadedPrefixText = JoinQuotedList(settings.PrefixList, u',');
    w.prefixList->setText(m_loadedPrefixText);

    w.movieGroups->SetGroups(settings.MovieGroups);
    w.peopleGroups->SetGroups(settings.PeopleGroups);

    auto loadColumns = [](QListWidget *list, const QList<TColumnSettings> &columns) {
        for (int i = 0; i < list->count(); ++i)
            SetChecked(list->item(i), i < columns.size() ? columns[i].Visible : true);
    };
    loadColumns(w.gridColumns, settings.GridColumns);
    loadColumns(w.peopleGridColumns, settings.PeopleGridColumns);
    for (int i = 0; i < TSettings::MovieItemCount; ++i)
        SetChecked(w.items->item(i), settings.ItemVisible[size_t(i)]);
    for (int i = 0; i < TSettings::PeopleItemCount; ++i)
        SetChecked(w.peopleItems->item(i), settings.PeopleItemVisible[size_t(i)]);

    for (int n = 0; n < TSettings::ColorCount; ++n)
        SetSwatch(w.colors[size_t(n)], settings.Colors[size_t(n)]);

    w.languageCombo->clear();
    if (TWideLanguage *language = context.language) {
        for (int i = 0; i < language->LanguageCount(); ++i)
            w.languageCombo->addItem(language->LanguageName(i));
        w.languageCombo->setCurrentIndex(language->LanguageIndex());
    }
    w.languageCombo->setEnabled(w.languageCombo->count() > 0);
    m_initialLanguage = context.language ? context.language->LanguageIndex() : -1;

    for (int n = 0; n < TSettings::FolderSlotCount; ++n) {
        // Only 1 names a folder of its own; every other value means the last used one.
        w.initDirType[size_t(n)]->setCurrentIndex(settings.InitDirType[size_t(n)] == 1 ? 1 : 0);
        w.initDir[size_t(n)]->setText(settings.InitDir[size_t(n)]);
    }

    w.webList->clear();
    const qsizetype engines = std::max(settings.SearchNames.size(), settings.SearchUrls.size());
    for (qsizetype i = 0; i < engines; ++i) {
        auto *item = new QTreeWidgetItem(
            w.webList, {settings.SearchNames.value(i), settings.SearchUrls.value(i)});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }

    m_plugins.reset();
    if (context.registry) {
        TWideLanguage *language = context.language;
        TPluginTextSource texts = [language](int number) {
            return language ? language->Text(number) : QString();
        };
        IYesNoQuestion &question = context.question ? *context.question : *m_boxQuestion;
        m_plugins = std::make_unique<TPluginsFrame>(
            *context.registry, question, context.messages, std::move(texts));
        m_plugins->Load();
        w.silentCheck->setChecked(m_plugins->SilentMode());
        w.addPeopleCheck->setChecked(m_plugins->AutoAddPeople());
    } else {
        w.silentCheck->setChecked(settings.SilentMode);
        w.addPeopleCheck->setChecked(settings.AutoAddPeople);
    }
    FillPluginRows();

    LoadCustomFields();
    LoadImageFolders();
    m_filling = false;
    ApplyTranslation();
}

void TPrefsForm::LoadCustomFields()
{
    TWidgets &w = *m_w;
    w.customList->clear();
    w.customEdit->clear();
    if (const TVideoDatabase *db = m_context.database) {
        const QStringList &names = db->CustomFieldNames();
        for (int i = 0; i < names.size(); ++i) {
            auto *item = new QListWidgetItem(names[i], w.customList);
            item->setData(Qt::UserRole, i);
        }
    }
    const bool editable = m_context.database && !m_context.readOnly;
    w.customEdit->setEnabled(editable);
    w.customNote->setVisible(!editable);
    UpdateCustomButtons();
}

void TPrefsForm::UpdateCustomButtons()
{
    TWidgets &w = *m_w;
    const bool editable = m_context.database && !m_context.readOnly;
    const QString name = w.customEdit->text().trimmed();
    const int row = w.customList->currentRow();
    // Two fields of one name could not be told apart on the card or in the grid.
    auto taken = [&w, &name](int except) {
        for (int i = 0; i < w.customList->count(); ++i) {
            if (i != except
                && w.customList->item(i)->text().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    };
    w.customAdd->setEnabled(editable && !name.isEmpty() && !taken(-1));
    w.customRename->setEnabled(editable && row >= 0 && !name.isEmpty() && !taken(row)
                               && name != w.customList->item(row)->text());
    w.customDelete->setEnabled(editable && row >= 0);
}

void TPrefsForm::LoadImageFolders()
{
    TWidgets &w = *m_w;
    const TVideoDatabase *db = m_context.database;
    // A catalog that was never saved has no folder to put images in.
    const bool editable = db && !m_context.readOnly && !db->Folder().isEmpty();
    for (size_t f = 0; f < std::size(ImageFolderRows); ++f) {
        QString text;
        if (db && !db->Folder().isEmpty()) {
            const TImageFolder folder = ImageFolderRows[f].folder;
            text = db->ImageFolderRelative(folder);
            if (text.isEmpty())
                text = db->ImageFolder(folder);
        }
        w.imageFolders[f]->setText(text);
        w.imageFolders[f]->setEnabled(editable);
        w.imageBrowse[f]->setEnabled(editable);
    }
    w.imgFolders->setChecked(db && db->ImgFolders());
    w.imgFolders->setEnabled(editable);
    w.imageNote->setVisible(!editable);
}

void TPrefsForm::Store(TSettings &settings)
{
    TWidgets &w = *m_w;
    for (const auto &binding : w.checks)
        settings.*binding.key = binding.widget->isChecked();
    for (const auto &binding : w.spins)
        settings.*binding.key = binding.widget->value();
    for (const auto &binding : w.combos)
        settings.*binding.key = binding.widget->currentIndex();
    for (const auto &binding : w.edits)
        settings.*binding.key = binding.widget->text();
    for (const auto &binding : w.lists)
        settings.*binding.key = binding.widget->Items();

    const QString prefixText = w.prefixList->text();
    if (prefixText == m_loadedPrefixText) {
        settings.PrefixList = m_loadedPrefixList;
    } else {
        QStringList articles;
        for (const QString &item : SplitQuotedList(prefixText, u',')) {
            if (!item.trimmed().isEmpty())
                articles.append(item.trimmed());
        }
        settings.PrefixList = articles;
    }

    settings.MovieGroups = w.movieGroups->Groups();
    settings.PeopleGroups = w.peopleGroups->Groups();

    // Only the fixed columns are listed; the custom-field columns behind them are kept.
    auto storeColumns = [](const QListWidget *list, QList<TColumnSettings> &columns) {
        for (int i = 0; i < list->count(); ++i) {
            if (i >= columns.size())
                columns.append(TColumnSettings{true, i, 80});
            columns[i].Visible = IsChecked(list->item(i));
        }
    };
    storeColumns(w.gridColumns, settings.GridColumns);
    storeColumns(w.peopleGridColumns, settings.PeopleGridColumns);
    for (int i = 0; i < TSettings::MovieItemCount; ++i)
        settings.ItemVisible[size_t(i)] = IsChecked(w.items->item(i));
    for (int i = 0; i < TSettings::PeopleItemCount; ++i)
        settings.PeopleItemVisible[size_t(i)] = IsChecked(w.peopleItems->item(i));

    for (int n = 0; n < TSettings::ColorCount; ++n)
        settings.Colors[size_t(n)] = w.colors[size_t(n)]->property(ColorProperty).toInt();

    if (TWideLanguage *language = m_context.language; language && ChosenLanguage() >= 0) {
        if (language->LanguageIndex() != ChosenLanguage())
            language->SetLanguage(ChosenLanguage());
        settings.Language = language->LanguageId();
        // Accepted: a later Cancel has nothing to restore.
        m_initialLanguage = language->LanguageIndex();
    }

    for (int n = 0; n < TSettings::FolderSlotCount; ++n) {
        settings.InitDirType[size_t(n)] = w.initDirType[size_t(n)]->currentIndex();
        settings.InitDir[size_t(n)] = w.initDir[size_t(n)]->text();
    }

    settings.SearchNames.clear();
    settings.SearchUrls.clear();
    for (int i = 0; i < w.webList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = w.webList->topLevelItem(i);
        settings.SearchNames.append(item->text(0));
        settings.SearchUrls.append(item->text(1));
    }

    if (m_plugins && m_context.registry) {
        m_plugins->SetSilentMode(w.silentCheck->isChecked());
        m_plugins->SetAutoAddPeople(w.addPeopleCheck->isChecked());
        m_plugins->Accept();
        // Defaults set and plug-ins uninstalled on the page count as well.
        TSettingsPluginKeys keys(settings);
        m_context.registry->WriteSettings(keys);
    } else {
        settings.SilentMode = w.silentCheck->isChecked();
        settings.AutoAddPeople = w.addPeopleCheck->isChecked();
    }

    StoreCustomFields();
    StoreImageFolders();
}

void TPrefsForm::StoreCustomFields()
{
    TVideoDatabase *db = m_context.database;
    if (!db || m_context.readOnly)
        return;
    const QListWidget *list = m_w->customList;
    const int before = db->CustomFieldCount();
    QList<int> newIndex(before, -1);
    for (int i = 0; i < list->count(); ++i) {
        const int original = list->item(i)->data(Qt::UserRole).toInt();
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
    for (int i = 0; i < list->count(); ++i) {
        const QString name = list->item(i)->text();
        const int original = list->item(i)->data(Qt::UserRole).toInt();
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
    LoadCustomFields();
}

void TPrefsForm::StoreImageFolders()
{
    TVideoDatabase *db = m_context.database;
    if (!db || m_context.readOnly || db->Folder().isEmpty())
        return;
    for (size_t f = 0; f < std::size(ImageFolderRows); ++f) {
        const QString text = m_w->imageFolders[f]->text().trimmed();
        if (text.isEmpty())
            continue;
        const TImageFolder folder = ImageFolderRows[f].folder;
        const QString absolute =
            QDir::cleanPath(QDir::isRelativePath(text) ? QDir(db->Folder()).filePath(text) : text);
        // Moving a folder moves its files: only a real change may do that.
        if (QDir::cleanPath(db->ImageFolder(folder)) != absolute)
            db->SetImageFolder(folder, absolute + u'/');
    }
    if (m_w->imgFolders->isChecked() != db->ImgFolders())
        db->SetImageFolders(m_w->imgFolders->isChecked());
    LoadImageFolders();
}

bool TPrefsForm::Execute(TSettings &settings, const TPrefsContext &context)
{
    Load(settings, context);
    if (exec() != QDialog::Accepted)
        return false;
    Store(settings);
    return true;
}

void TPrefsForm::reject()
{
    RestoreLanguage();
    QDialog::reject();
}

void TPrefsForm::ShowPage(int index)
{
    if (index < 0 || index >= static_cast<int>(m_w->nodes.size()))
        return;
    m_w->pageTree->setCurrentItem(m_w->nodes[size_t(index)]);
}

int TPrefsForm::CurrentPage() const
{
    const auto &nodes = m_w->nodes;
    const auto it = std::find(nodes.begin(), nodes.end(), m_w->pageTree->currentItem());
    return it == nodes.end() ? -1 : static_cast<int>(it - nodes.begin());
}

int TPrefsForm::ChosenLanguage() const
{
    return m_w->languageCombo->count() > 0 ? m_w->languageCombo->currentIndex() : -1;
}

void TPrefsForm::OnPageChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    QTreeWidgetItem *leaf = item;
    while (leaf->childCount() > 0)
        leaf = leaf->child(0);
    m_w->stack->setCurrentIndex(leaf->data(0, Qt::UserRole).toInt());
    QString caption = leaf->text(0);
    caption.remove(u'&');
    m_w->pageCaption->setText(caption);
}

void TPrefsForm::OnLanguageChosen(int index)
{
    TWideLanguage *language = m_context.language;
    if (m_filling || !language || index < 0 || index == language->LanguageIndex())
        return;
    language->SetLanguage(index);
    ApplyTranslation();
}

void TPrefsForm::RestoreLanguage()
{
    TWideLanguage *language = m_context.language;
    if (!language || m_initialLanguage < 0 || language->LanguageIndex() == m_initialLanguage)
        return;
    language->SetLanguage(m_initialLanguage);
    const bool wasFilling = m_filling;
    m_filling = true;
    m_w->languageCombo->setCurrentIndex(m_initialLanguage);
    m_filling = wasFilling;
    ApplyTranslation();
}

void TPrefsForm::ApplyTranslation()
{
    if (m_context.language)
        Translate(*m_context.language, this);
    // Texts that follow from others or from the plug-in page's state.
    m_w->movieGroups->RefreshCaptions();
    m_w->peopleGroups->RefreshCaptions();
    OnPageChanged(m_w->pageTree->currentItem());
    ShowPluginSelection();
}

void TPrefsForm::ShowUpdateStatus(const QString &text)
{
    if (m_updateStatus)
        m_updateStatus->setText(text);
}
