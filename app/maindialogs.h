#pragma once

#include <optional>

#include <QString>

#include "host/messagesink.h"

class QWidget;

// The questions the main window asks the user. The window program shows Qt dialogs; tests
// answer them, so the file commands can be driven without a modal loop.
class IMainDialogs
{
public:
    virtual ~IMainDialogs() = default;

    // `filter` is in Qt's form ("Name (*.a *.b);;All files (*)"). Nothing on Cancel.
    virtual std::optional<QString> AskOpenFile(QWidget *parent,
                                               const QString &caption,
                                               const QString &folder,
                                               const QString &filter) = 0;
    // `suffix` is added when the typed name has none; an existing file asks before it is
    // chosen.
    virtual std::optional<QString> AskSaveFile(QWidget *parent,
                                               const QString &caption,
                                               const QString &folder,
                                               const QString &filter,
                                               const QString &suffix) = 0;
    // A Yes/No warning box; true for Yes.
    virtual bool AskYesNo(QWidget *parent, const QString &caption, const QString &text) = 0;
    virtual void ShowError(QWidget *parent, const QString &caption, const QString &text) = 0;
    // A message of the language loader or the plug-in registry.
    virtual void ShowMessage(QWidget *parent,
                             TMessageKind kind,
                             const QString &caption,
                             const QString &text) = 0;
    // The protect command's question: the new password, empty to remove it, nothing on Cancel.
    virtual std::optional<QString> AskNewPassword(QWidget *parent) = 0;
};

class TWideLanguage;

// The window program's answers: Qt's file dialogs, message boxes and the password dialog.
class TQtMainDialogs : public IMainDialogs
{
public:
    // `language` (may be null) gives the Yes/No and password captions; it must outlive this.
    explicit TQtMainDialogs(const TWideLanguage *language = nullptr)
        : m_language(language)
    {}

    std::optional<QString> AskOpenFile(QWidget *parent,
                                       const QString &caption,
                                       const QString &folder,
                                       const QString &filter) override;
    std::optional<QString> AskSaveFile(QWidget *parent,
                                       const QString &caption,
                                       const QString &folder,
                                       const QString &filter,
                                       const QString &suffix) override;
    bool AskYesNo(QWidget *parent, const QString &caption, const QString &text) override;
    void ShowError(QWidget *parent, const QString &caption, const QString &text) override;
    void ShowMessage(QWidget *parent,
                     TMessageKind kind,
                     const QString &caption,
                     const QString &text) override;
    std::optional<QString> AskNewPassword(QWidget *parent) override;

private:
    const TWideLanguage *m_language;
};
