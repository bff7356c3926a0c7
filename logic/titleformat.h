#pragma once

#include <QString>
#include <QStringList>

class TActor;
class TBaseMovie;

// How stored titles are rewritten (the "Title formatting" preferences).
struct TTitleRules
{
    // 0 leave articles, 1 move a leading article to the end, 2 move a trailing article to
    // the beginning, 3 remove a leading article.
    int PrefixMode = 0;
    QStringList PrefixList;
    bool AllCaps = false;
};

// Upper-cases the first character and every character that follows one of
// ",", "/", "\", ";", "|" or a space; the rest stays as it is.
QString CapitalizeWords(const QString &text);

// The text a title or original title is stored as.
QString NormalizeTitle(const QString &text, const TTitleRules &rules);
// The text a person's name or translated name is stored as.
QString NormalizeName(const QString &text, bool allCaps);

// The row text of a movie or episode in the plain and tree views, made from a movie title
// template ("%T", "%O", "%Y", "%G", "%D", "%Q", "%M", "%R", "%N", "%S", "%E").
QString MovieCaption(const TBaseMovie &movie, const QString &format);
// The row text of a person, made from a people title template ("%N", "%T", "%B", "%G",
// "%C", "%P").
QString PersonCaption(const TActor &person, const QString &format);
