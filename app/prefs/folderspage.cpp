#include "app/prefs/folderspage.h"

#include <iterator>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextSameDir = 840;
constexpr int TextFileDialogs = 841;
constexpr int TextDialogNames = 842; // 6 labels
constexpr int TextDirTypes = 848;    // 2 items
constexpr int TextImageFolders = 850;
constexpr int TextFolderNames = 851; // 5 labels
constexpr int TextImgFolders = 856;
constexpr int TextImageNote = 857;

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

static_assert(std::size(FileDialogNames) == TSettings::FolderSlotCount);
static_assert(std::size(ImageFolderRows) == TFoldersPage::ImageFolderCount);

} // namespace

TFoldersPage::TFoldersPage(QWidget *parent)
    : TPrefsPageBase(u"FoldersPage"_s, parent)
{
    AddCheck(Layout(),
             u"SameDirOpts"_s,
             TextSameDir,
             u"All file dialogs follow the rule of the first one"_s,
             &TSettings::SameDirOpts);
    BuildFileDialogs();
    BuildImageFolders();
    Layout()->addStretch();
}

void TFoldersPage::BuildFileDialogs()
{
    auto *dialogs = new QGroupBox(u"File dialogs"_s, this);
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
        m_initDirType[size_t(n)] = type;
        m_initDir[size_t(n)] = edit;
        // The folder matters only when the dialog starts in it.
        connect(type, &QComboBox::currentIndexChanged, edit, [edit, browse](int index) {
            edit->setEnabled(index == 1);
            browse->setEnabled(index == 1);
        });
        connect(browse, &QPushButton::clicked, this, [this, edit] { Browse(edit, false); });
    }
    dialogGrid->setColumnStretch(2, 1);
    Layout()->addWidget(dialogs);
}

void TFoldersPage::BuildImageFolders()
{
    auto *images = new QGroupBox(u"Image folders of this catalog"_s, this);
    images->setObjectName(u"ImageFoldersGroup"_s);
    SetTag(images, TextImageFolders);
    auto *imageGrid = new QGridLayout(images);
    for (size_t f = 0; f < ImageFolderCount; ++f) {
        const TImageFolderRow &row = ImageFolderRows[f];
        auto *edit = new QLineEdit(images);
        edit->setObjectName(Str(row.name));
        QPushButton *browse = NewBrowseButton(images, Str(row.name) + u"Browse"_s);
        const int line = static_cast<int>(f);
        imageGrid->addWidget(NewLabel(images, TextFolderNames + line, Str(row.caption)), line, 0);
        imageGrid->addWidget(edit, line, 1);
        imageGrid->addWidget(browse, line, 2);
        m_imageFolders[f] = edit;
        m_imageBrowse[f] = browse;
        connect(browse, &QPushButton::clicked, this, [this, edit] { Browse(edit, true); });
    }
    m_imgFolders =
        NewCheck(images,
                 u"ImgFolders"_s,
                 TextImgFolders,
                 u"Keep the screenshots and covers of each movie in a folder of its own"_s);
    imageGrid->addWidget(m_imgFolders, int(ImageFolderCount), 0, 1, 3);
    m_imageNote = NewLabel(
        images,
        TextImageNote,
        u"The image folders can be changed only in a saved catalog that is not read-only."_s);
    m_imageNote->setObjectName(u"ImageFoldersNote"_s);
    m_imageNote->setWordWrap(true);
    imageGrid->addWidget(m_imageNote, int(ImageFolderCount) + 1, 0, 1, 3);
    imageGrid->setColumnStretch(1, 1);
    Layout()->addWidget(images);
}

void TFoldersPage::Browse(QLineEdit *edit, bool catalogRelative)
{
    if (!m_chooser)
        return;
    const TVideoDatabase *db = catalogRelative ? m_database : nullptr;
    QString start = edit->text().trimmed();
    if (db && !start.isEmpty() && QDir::isRelativePath(start))
        start = QDir(db->Folder()).filePath(start);
    QString chosen = m_chooser(start);
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

void TFoldersPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    m_database = context.database;
    m_readOnly = context.readOnly;
    for (int n = 0; n < TSettings::FolderSlotCount; ++n) {
        // Only 1 names a folder of its own; every other value means the last used one.
        m_initDirType[size_t(n)]->setCurrentIndex(settings.InitDirType[size_t(n)] == 1 ? 1 : 0);
        m_initDir[size_t(n)]->setText(settings.InitDir[size_t(n)]);
    }
    LoadImageFolders();
}

void TFoldersPage::LoadImageFolders()
{
    const TVideoDatabase *db = m_database;
    // A catalog that was never saved has no folder to put images in.
    const bool editable = db && !m_readOnly && !db->Folder().isEmpty();
    for (size_t f = 0; f < ImageFolderCount; ++f) {
        QString text;
        if (db && !db->Folder().isEmpty()) {
            const TImageFolder folder = ImageFolderRows[f].folder;
            text = db->ImageFolderRelative(folder);
            if (text.isEmpty())
                text = db->ImageFolder(folder);
        }
        m_imageFolders[f]->setText(text);
        m_imageFolders[f]->setEnabled(editable);
        m_imageBrowse[f]->setEnabled(editable);
    }
    m_imgFolders->setChecked(db && db->ImgFolders());
    m_imgFolders->setEnabled(editable);
    m_imageNote->setVisible(!editable);
}

void TFoldersPage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    for (int n = 0; n < TSettings::FolderSlotCount; ++n) {
        settings.InitDirType[size_t(n)] = m_initDirType[size_t(n)]->currentIndex();
        settings.InitDir[size_t(n)] = m_initDir[size_t(n)]->text();
    }
    StoreImageFolders();
}

void TFoldersPage::StoreImageFolders()
{
    TVideoDatabase *db = m_database;
    if (!db || m_readOnly || db->Folder().isEmpty())
        return;
    for (size_t f = 0; f < ImageFolderCount; ++f) {
        const QString text = m_imageFolders[f]->text().trimmed();
        if (text.isEmpty())
            continue;
        const TImageFolder folder = ImageFolderRows[f].folder;
        const QString absolute =
            QDir::cleanPath(QDir::isRelativePath(text) ? QDir(db->Folder()).filePath(text) : text);
        // Moving a folder moves its files: only a real change may do that.
        if (QDir::cleanPath(db->ImageFolder(folder)) != absolute)
            db->SetImageFolder(folder, absolute + u'/');
    }
    if (m_imgFolders->isChecked() != db->ImgFolders())
        db->SetImageFolders(m_imgFolders->isChecked());
    LoadImageFolders();
}
