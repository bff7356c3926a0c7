#pragma once

#include <optional>

#include <QDialog>
#include <QString>

#include "catalog/videodatabase.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;
class TWideLanguage;

// The answer of the protect command: the new password (empty removes the protection) and
// the kind of protection it is for.
struct TNewPassword
{
    TNewPassword(QString text = {}, TProtection kind = TProtection::Strong)
        : password(std::move(text))
        , protection(kind)
    {}
    QString password;
    TProtection protection = TProtection::Strong;
    friend bool operator==(const TNewPassword &, const TNewPassword &) = default;
};

// The password dialog: one masked edit for opening a protected catalog, or two (password
// and confirmation) for protecting one. Both edits are emptied every time it is shown.
// Protecting offers strong and simple protection, each with what it does and does not do.
class TPassDlg : public QDialog
{
public:
    enum class TMode {
        Single,  // OK only while the password is not empty
        Confirm, // OK while both texts are equal, so two empty texts remove the password; a
                 // simple protection also needs a password it can hold
    };

    // `current`: the catalog's protection, preselected when it is simple (strong otherwise).
    explicit TPassDlg(TMode mode = TMode::Single,
                      QWidget *parent = nullptr,
                      const TWideLanguage *language = nullptr,
                      TProtection current = TProtection::None);

    TMode Mode() const { return m_mode; }
    QString Password() const;
    // The chosen protection (confirmation mode; Strong in single mode).
    TProtection Protection() const;
    // Runs the dialog modally with `caption`; the typed password on OK, nothing on Cancel.
    // `message`, when given, is shown above the password field (the catalog's name and,
    // after a wrong password, why the question comes again).
    std::optional<QString> Ask(const QString &caption, const QString &message = {});

protected:
    void showEvent(QShowEvent *event) override;

private:
    void UpdateOk();
    QString Tr(int number, const QString &english) const;

    TMode m_mode;
    const TWideLanguage *m_language;
    QLineEdit *m_pEdit = nullptr;
    // Only in confirmation mode.
    QLineEdit *m_confEdit = nullptr;
    QRadioButton *m_strongRadio = nullptr;
    QRadioButton *m_simpleRadio = nullptr;
    QLabel *m_noteLabel = nullptr;
    QLabel *m_messageLabel = nullptr;
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

    std::optional<QString> AskPassword(const QString &fileName, bool first) override;

    // The protect command's question: confirmation mode, caption text 1872. An empty
    // password removes the protection; nothing means the user cancelled.
    static std::optional<TNewPassword> AskNewPassword(QWidget *parent,
                                                      const TWideLanguage *language,
                                                      TProtection current = TProtection::None);

private:
    QWidget *m_parent;
    const TWideLanguage *m_language;
};
