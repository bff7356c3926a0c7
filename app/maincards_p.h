#pragma once

#include "app/mainwindow_p.h"
#include "views/cardhost.h"

// The window's side of the movie and person cards (maincards.cpp): each request goes to the
// controller that owns it, so the frame itself answers none of them.
class TMainPrivate::TCardLink : public ICardHost
{
public:
    explicit TCardLink(TMainPrivate &window)
        : m_window(window)
    {}

    void GoToMovieById(const QString &text) override;
    void GoToMovieByTitle(const QString &text, bool byOriginalTitle) override;
    void GoToPersonByName(const QString &text, bool asTranslatedName) override;
    void SetSearchField(TRecordKind kind, int field, const QString &text) override;
    void SortByItem(TRecordKind kind, int item) override;
    QString SearchFieldCaption(TRecordKind kind, int field) const override;
    QString SortColumnCaption(TRecordKind kind, int item) const override;
    QString Text(int number, const QString &fallback) const override;
    void OpenAddress(const QString &address) override;
    QString AskPictureFile(bool save, const QString &proposedName) override;
    QString PickFiles(const QString &extensions) override;
    void FetchPicture(int kind) override;
    std::optional<QString> MakeScreenshots(const TScreenRequest &request) override;
    void ShowCardError(const QString &text) override;
    bool TakeDroppedFiles(const QStringList &files, bool drop) override;

private:
    TMainPrivate &m_window;
};
