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
    std::optional<QString>
    AskText(QWidget *, const QString &caption, const QString &prompt, const QString &text) override
    {
        textQuestions.append(caption + QStringLiteral(": ") + prompt + QStringLiteral(" [") + text
                             + QStringLiteral("]"));
        return Next(textAnswers);
    }
    TFileDecision AskDeleteFile(QWidget *, const QString &, const QString &text) override
    {
        fileQuestions.append(text);
        if (fileAnswers.empty())
            return TFileDecision::No;
        const TFileDecision answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
    std::optional<TNewEpisodeAnswer> AskNewEpisode(QWidget *, int proposal, bool copy) override
    {
        episodeProposals.append({proposal, copy});
        return Next(episodeAnswers);
    }
    std::optional<TIdSeries> AskIdSeries(QWidget *, const TIdSeries &preset) override
    {
        idPresets.append(preset);
        return Next(idAnswers);
    }
    std::optional<QDate> AskDate(QWidget *, QDate day) override
    {
        datePresets.append(day);
        return Next(dateAnswers);
    }
    std::optional<QStringList> AskAdvancedSearch(QWidget *, const QStringList &criteria) override
    {
        criteriaShown.append(criteria);
        return Next(criteriaAnswers);
    }
    TResultChoice ChooseWebResult(QWidget *,
                                  const QString &caption,
                                  const QList<TWebResultEntry> &entries,
                                  const QByteArray &) override
    {
        resultCaptions.append(caption);
        resultCounts.append(int(entries.size()));
        TResultChoice choice;
        if (!resultAnswers.empty()) {
            choice.chosen = resultAnswers.front();
            resultAnswers.pop_front();
        }
        return choice;
    }
    bool OpenWithDesktop(const QString &fileOrUrl) override
    {
        opened.append(fileOrUrl);
        return true;
    }
    void ShowInFileManager(const QString &file) override { shownInFolder.append(file); }

    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QString>> passwordAnswers;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> textAnswers;
    std::deque<TFileDecision> fileAnswers;
    std::deque<std::optional<TNewEpisodeAnswer>> episodeAnswers;
    std::deque<std::optional<TIdSeries>> idAnswers;
    std::deque<std::optional<QDate>> dateAnswers;
    std::deque<std::optional<QStringList>> criteriaAnswers;
    QStringList textQuestions;
    QStringList fileQuestions;
    QList<std::pair<int, bool>> episodeProposals;
    QList<TIdSeries> idPresets;
    QList<QDate> datePresets;
    QList<QStringList> criteriaShown;
    std::deque<std::optional<int>> resultAnswers;
    QStringList resultCaptions;
    QList<int> resultCounts;
    QStringList opened;
    QStringList shownInFolder;
    QStringList openFolders;
    QStringList saveFolders;
    QStringList questions;
    QStringList errors;
    QStringList messages;

private:
    template <typename T> static std::optional<T> Next(std::deque<std::optional<T>> &answers)
    {
        if (answers.empty())
            return std::nullopt;
        std::optional<T> answer;
        answer.swap(answers.front());
        answers.pop_front();
        return answer;
    }
};
