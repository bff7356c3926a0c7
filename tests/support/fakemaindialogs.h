#pragma once

// Main-window dialogs answered by a test: answers are queued up front, and every question,
// error and message is recorded.

#include <deque>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "app/maindialogs.h"
#include "app/widefiledialog.h"

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
    std::optional<TNewPassword> AskNewPassword(QWidget *, TProtection current) override
    {
        passwordKindsShown.push_back(current);
        return Next(passwordAnswers);
    }
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
    std::optional<QString> AskBorrower(QWidget *, const QStringList &recentBorrowers) override
    {
        borrowerLists.append(recentBorrowers);
        return Next(borrowerAnswers);
    }
    std::optional<QString> RunScreenMaker(QWidget *, const TScreenRequest &request) override
    {
        screenRequests.push_back(request);
        return Next(screenAnswers);
    }
    std::optional<TMasterChoice>
    RunMovieMaster(QWidget *,
                   const TMasterSetup &setup,
                   const std::function<QString()> &picker,
                   const std::function<void(int, const QString &)> &) override
    {
        masterSetups.push_back(setup);
        if (masterPicks && picker)
            masterPicked = picker();
        return Next(masterAnswers);
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
    std::optional<TDuplicateAction> AskDuplicateAction(QWidget *, TDuplicateAction preset) override
    {
        duplicatePresets.append(preset);
        return Next(duplicateAnswers);
    }
    std::optional<TBadFileOptions> AskBadFileOptions(QWidget *,
                                                     const TBadFileOptions &preset) override
    {
        badFilePresets.append(preset);
        return Next(badFileAnswers);
    }
    std::optional<TMultiEditAnswer>
    AskMultiEdit(QWidget *, const TMultiCommon &common, const TMultiEditLists &lists) override
    {
        multiEditCommons.append(common);
        multiEditLists.append(lists);
        return Next(multiEditAnswers);
    }
    bool OpenWithDesktop(const QString &fileOrUrl) override
    {
        opened.append(fileOrUrl);
        return true;
    }
    // No answer left means No, as closing the question does.
    bool AskOpenTarget(QWidget *, const TLinkDecision &decision) override
    {
        openQuestions.append(decision);
        if (openTargetAnswers.empty())
            return false;
        const bool answer = openTargetAnswers.front();
        openTargetAnswers.pop_front();
        return answer;
    }
    void ShowInFileManager(const QString &file) override { shownInFolder.append(file); }
    bool PickFiles(QWidget *,
                   const TPickerOptions &options,
                   bool allowAppend,
                   bool &append,
                   const QString &extensions,
                   QString &result,
                   QString &lastFolder) override
    {
        pickOptions.append(options);
        pickExtensions.append(extensions);
        result.clear();
        std::optional<TPickAnswer> answer = Next(pickAnswers);
        if (!answer)
            return false;
        result = answer->Result;
        append = allowAppend && answer->Append;
        lastFolder = answer->LastFolder;
        return true;
    }

    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<TNewPassword>> passwordAnswers;
    std::vector<TProtection> passwordKindsShown;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> textAnswers;
    std::deque<TFileDecision> fileAnswers;
    std::deque<std::optional<TNewEpisodeAnswer>> episodeAnswers;
    std::deque<std::optional<TIdSeries>> idAnswers;
    std::deque<std::optional<QDate>> dateAnswers;
    std::deque<std::optional<QStringList>> criteriaAnswers;
    std::deque<std::optional<QString>> borrowerAnswers;
    std::deque<std::optional<QString>> screenAnswers;
    std::deque<std::optional<TMasterChoice>> masterAnswers;
    bool masterPicks = false; // the movie master runs its picker once
    QString masterPicked;
    QStringList textQuestions;
    QStringList fileQuestions;
    QList<std::pair<int, bool>> episodeProposals;
    QList<TIdSeries> idPresets;
    QList<QDate> datePresets;
    QList<QStringList> criteriaShown;
    QList<QStringList> borrowerLists;
    std::vector<TScreenRequest> screenRequests;
    std::vector<TMasterSetup> masterSetups;
    std::deque<std::optional<int>> resultAnswers;
    QStringList resultCaptions;
    QList<int> resultCounts;
    std::deque<std::optional<TDuplicateAction>> duplicateAnswers;
    QList<TDuplicateAction> duplicatePresets;
    std::deque<std::optional<TBadFileOptions>> badFileAnswers;
    QList<TBadFileOptions> badFilePresets;
    std::deque<std::optional<TMultiEditAnswer>> multiEditAnswers;
    QList<TMultiCommon> multiEditCommons;
    QList<TMultiEditLists> multiEditLists;
    // The file picker's OK (nothing: Cancel); Append counts only when the box was enabled.
    struct TPickAnswer
    {
        QString Result;
        bool Append = false;
        QString LastFolder;
    };
    std::deque<std::optional<TPickAnswer>> pickAnswers;
    QList<TPickerOptions> pickOptions;
    QStringList pickExtensions;
    QStringList opened;
    QStringList shownInFolder;
    std::deque<bool> openTargetAnswers;
    QList<TLinkDecision> openQuestions;
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
