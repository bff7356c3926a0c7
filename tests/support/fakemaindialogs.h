#pragma once

// Main-window dialogs answered by a test: answers are queued up front, and every question,
// error and message is recorded.

#include <deque>
#include <optional>

#include <QString>
#include <QStringList>

#include "app/maindialogs.h"

class TFakeDialogs : public IMainDialogs
{
public:
    std::optional<QString>
    AskOpenFile(QWidget *, const QString &, const QString &folder, const QString &) override
    {
        openFolders.append(folder);
        return Next(openAnswers);
    }
    std::optional<QString> AskSaveFile(QWidget *,
                                       const QString &,
                                       const QString &folder,
                                       const QString &,
                                       const QString &) override
    {
        saveFolders.append(folder);
        return Next(saveAnswers);
    }
    bool AskYesNo(QWidget *, const QString &caption, const QString &text) override
    {
        questions.append(caption + QStringLiteral(": ") + text);
        if (yesNoAnswers.empty())
            return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    void ShowError(QWidget *, const QString &, const QString &text) override
    {
        errors.append(text);
    }
    void ShowMessage(QWidget *, TMessageKind, const QString &, const QString &text) override
    {
        messages.append(text);
    }
    std::optional<QString> AskNewPassword(QWidget *) override { return Next(passwordAnswers); }

    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QString>> passwordAnswers;
    std::deque<bool> yesNoAnswers;
    QStringList openFolders;
    QStringList saveFolders;
    QStringList questions;
    QStringList errors;
    QStringList messages;

private:
    static std::optional<QString> Next(std::deque<std::optional<QString>> &answers)
    {
        if (answers.empty())
            return std::nullopt;
        std::optional<QString> answer;
        answer.swap(answers.front());
        answers.pop_front();
        return answer;
    }
};
