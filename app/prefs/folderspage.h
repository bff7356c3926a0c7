#pragma once

#include <array>
#include <functional>

#include <QString>

#include "app/prefs/prefspagebase.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Folders: where each file dialog starts, and the catalog's image folders. The image folders
// reach the catalog only in Store, and only in a saved catalog that is not read-only.
class TFoldersPage : public TPrefsPageBase
{
public:
    // An empty folder means the user cancelled.
    using TFolderChooser = std::function<QString(const QString &start)>;
    static constexpr size_t ImageFolderCount = 5;

    explicit TFoldersPage(QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;

    void SetFolderChooser(TFolderChooser chooser) { m_chooser = std::move(chooser); }

private:
    void BuildFileDialogs();
    void BuildImageFolders();
    void Browse(QLineEdit *edit, bool catalogRelative);
    void LoadImageFolders();
    void StoreImageFolders();

    TVideoDatabase *m_database = nullptr;
    bool m_readOnly = false;
    TFolderChooser m_chooser;
    std::array<QComboBox *, TSettings::FolderSlotCount> m_initDirType{};
    std::array<QLineEdit *, TSettings::FolderSlotCount> m_initDir{};
    std::array<QLineEdit *, ImageFolderCount> m_imageFolders{};
    std::array<QPushButton *, ImageFolderCount> m_imageBrowse{};
    QCheckBox *m_imgFolders = nullptr;
    QLabel *m_imageNote = nullptr;
};
