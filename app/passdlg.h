#pragma once

#include <optional>

#include <QDialog>
#include <QString>

#include "catalog/videodatabase.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TWideLanguage;

// The password dialog: one masked edit for opening a protected catalog, or two (password
// and confirmation) for protecting one. Both edits are emptied every time it is shown.
class TPassDlg : public QDialog
{
public:
    enum class TMode {
        Single,  // OK only while the password is not empty
        Confirm, // OK while both texts are equal, so two empty texts remove the password
    };

    explicit TPassDlg(TMode mode = TMode::Single, QWidget *parent = nullptr);

    TMode Mode() const { return m_mode; }
    QString Password() const;
    // Runs the dialog modally with `caption`; the typed password on OK, nothing on Cancel.
    std::optional<QString> Ask(const QString &caption);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void UpdateOk();

    TMode m_mode;
    QLineEdit *m_pEdit = nullptr;
    // Only in confirmation mode.
    QLineEdit *m_confEdit = nullptr;
    QPushButton *m_okButton = nullptr;
};

// Answers a catalog's password question with the dialog in single mode. The captions come
// from `language` (it may be null: English texts then) and must outlive the prompt.
class TPasswordPrompt : public IPasswordPrompt
{
public:
    static const QString DefaultFirstCaption; // "Enter Password"
    static const QString DefaultRetryCaption; // "Wrong password, try again"

    explicit TPasswordPrompt(QWidget *parent = nullptr, const TWideLanguage *language = nullptr);

    std::optional<QString> AskPassword(bool first) override;

    // The protect command's question: confirmation mode, caption text 1872. An empty
    // answer removes the protection; nothing means the user cancelled.
    static std::optional<QString> AskNewPassword(QWidget *parent, const TWideLanguage *language);

private:
    QWidget *m_parent;
    const TWideLanguage *m_language;
};
