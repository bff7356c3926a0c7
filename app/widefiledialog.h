#pragma once

#include <memory>

#include <QDialog>
#include <QString>

#include "app/pickertree.h"

class QCheckBox;
class QFile;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QSocketNotifier;
class QTimer;
class QTreeView;
class TPickerModel;
class TWideLanguage;

struct TPickerOptions
{
    QString StartFolder;     // the initial folder of file dialog slot 1 (media files)
    bool ShowFloppy = false; // started with "-showfloppy"
    // Translates the window and the names of the virtual items; English without it.
    const TWideLanguage *Language = nullptr;
};

// Shows the picker modally. OK: result = the chosen paths joined with "|", append = box
// enabled and checked, lastFolder = the folder to remember; returns true. Cancel: result
// empty, append unchanged, returns false.
bool PickFiles(QWidget *parent,
               const TPickerOptions &options,
               bool allowAppend,
               bool &append,
               const QString &extensions,
               QString &result,
               QString &lastFolder);

// The program's own file picker: one tree from the desktop down, showing folders and the
// files the caller allows; several items of one folder may be selected, and a folder stands
// for the matching files in it and two levels below.
class TWideFileDialog : public QDialog
{
public:
    explicit TWideFileDialog(const TPickerOptions &options,
                             QWidget *parent = nullptr,
                             TPickerPlaces places = {});
    ~TWideFileDialog() override;

    // Applies to folders listed afterwards; set before the window is shown.
    void SetExtensions(const QString &extensions);
    // "Add to existing files": enabled when `allow`, checked from `append`.
    void SetAppend(bool allow, bool append);
    void SetClock(TTypeAhead::TClock clock);

    // After OK: the chosen paths joined with "|", the box's state (false when it was
    // disabled) and the folder to remember.
    QString Result() const { return m_result; }
    bool Append() const;
    QString LastFolder() const { return m_lastFolder; }

    TPickerTree &Tree() { return *m_tree; }
    QTreeView *View() const { return m_view; }
    // The view's index of a tree item; invalid for null.
    QModelIndex IndexOf(TPickerNode *node) const;
    TPickerNode *NodeAt(const QModelIndex &index) const;
    // Type-ahead with the text of a key press.
    void TypeAhead(const QString &typed);
    // The volume table may have changed (called by the mount watch).
    void CheckVolumes();
    // The path box's Enter: a typed or pasted folder opens in the tree, a file is taken
    // as the result; anything else is explained below the box.
    void GoToTypedPath();

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OpenAtStartFolder();
    // Opens the tree down to a folder item, selects it and scrolls to it.
    void ShowFolder(TPickerNode *node);
    void ShowPathError(int number, const QString &fallback, const QString &path);
    void FocusChanged();
    void SelectionChanged();
    void DoubleClicked(const QModelIndex &index);
    void SelectOnly(TPickerNode *node);
    void StartMountWatch();
    void StopMountWatch();

    const TWideLanguage *m_language = nullptr;
    QString m_startFolder;
    QString m_result;
    QString m_lastFolder;
    std::unique_ptr<TPickerTree> m_tree;
    TTypeAhead m_typeAhead;
    TPickerModel *m_model = nullptr;
    QTreeView *m_view = nullptr;
    QLineEdit *m_pathEdit = nullptr;
    QLabel *m_pathError = nullptr;
    QCheckBox *m_appendBox = nullptr;
    QPushButton *m_ok = nullptr;
    QFile *m_mounts = nullptr;
    QSocketNotifier *m_mountNotifier = nullptr;
    QTimer *m_mountTimer = nullptr;
    bool m_fixingSelection = false;
};
