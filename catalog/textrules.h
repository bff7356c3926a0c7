#pragma once

#include <QString>
#include <QStringList>

// How stored titles are rewritten (the "Title formatting" preferences).
struct TTitleRules
{
    // 0 leave articles, 1 move a leading article to the end, 2 move a trailing article to
    // the beginning, 3 remove a leading article.
    int PrefixMode = 0;
    QStringList PrefixList;
    bool AllCaps = false;
};

// The catalog's rules for what the user types and makes: a catalog holds one and its
// records apply it (never while a file is read). The default stores every text as given
// and makes new movies seen.
struct TTextRules
{
    TTitleRules Titles;
    bool AllCapsNames = false;
    // Whether a movie made by the user, an import or a duplicate starts as seen.
    bool NewMoviesSeen = true;

    // The text a title or original title is stored as.
    QString Title(const QString &text) const;
    // The text a person's name or translated name is stored as.
    QString Name(const QString &text) const;
};

// Upper-cases the first character and every character that follows one of
// ",", "/", "\", ";", "|" or a space; the rest stays as it is.
QString CapitalizeWords(const QString &text);
