#include "logic/titleformat.h"

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/episode.h"
#include "catalog/localetext.h"
#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

namespace {

// Steps common to both templates once the tags are replaced.
QString TidyCaption(const QString &text)
{
    QString result = TrimSeparators(text);
    qsizetype out = 0;
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (result[i] == u' ' && out > 0 && result[out - 1] == u' ')
            continue;
        result[out++] = result[i];
    }
    result.truncate(out);
    return result;
}

QString NumberOrNothing(int value, bool present)
{
    return present ? QString::number(value) : QString();
}

} // namespace

QString MovieCaption(const TBaseMovie &movie, const QString &format)
{
    const QString title = movie.DisplayTitle();
    if (format.isEmpty())
        return TidyCaption(title);

    QString text = format;
    const bool hasTitle = format.contains(u"%T"_s);
    text.replace(u"%T"_s, title);
    const QString &original = movie.Origtitle();
    if (!original.isEmpty() && !(hasTitle && original == title))
        text.replace(u"%O"_s, original);
    else
        text.replace(u"%O"_s, hasTitle ? QString() : title);

    // Order matters: text put in by one tag is searched by the later ones.
    text.replace(u"%Y"_s, NumberOrNothing(movie.Year(), movie.Year() > 0));
    text.replace(u"%G"_s, movie.Genre());
    text.replace(u"%D"_s, movie.Director());
    text.replace(u"%Q"_s, movie.Rip());
    text.replace(u"%M"_s, movie.Label());
    text.replace(u"%R"_s, movie.Release());
    text.replace(u"%N"_s, NumberOrNothing(movie.Num(), movie.Num() >= 0));
    text.replace(u"%S"_s, movie.Scenario());
    const bool episode = movie.Kind() == TRecordKind::Episode;
    text.replace(
        u"%E"_s,
        NumberOrNothing(episode ? static_cast<const TEpisode &>(movie).Epnum() : 0, episode));
    return TidyCaption(text);
}

QString PersonCaption(const TActor &person, const QString &format)
{
    const QString &name = person.Name();
    if (format.isEmpty())
        return name;

    QString text = format;
    const bool hasName = format.contains(u"%N"_s);
    text.replace(u"%N"_s, name);
    const QString &translated = person.Transname();
    if (!translated.isEmpty() && !(hasName && translated == name))
        text.replace(u"%T"_s, translated);
    else
        text.replace(u"%T"_s, hasName ? QString() : name);

    // Only an unset birthday (0) is left out: days before 1899-12-30 are negative.
    const double birthday = person.Birthday();
    text.replace(u"%B"_s, birthday != 0 ? ShortDateText(birthday) : QString());
    text.replace(u"%G"_s, person.Genre());
    text.replace(u"%C"_s, person.Category());
    text.replace(u"%P"_s, person.Birthplace());
    return TidyCaption(text);
}
