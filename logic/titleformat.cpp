#include "logic/titleformat.h"

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/episode.h"
#include "catalog/localetext.h"
#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

namespace {

bool IsWordSeparator(char32_t c)
{
    return c == u',' || c == u'/' || c == u'\\' || c == u';' || c == u'|' || c == u' ';
}

// Only spaces: other blanks in a title are the user's.
QString TrimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

// A leading article followed by a space, with something after it; its length, or -1.
qsizetype LeadingArticle(const QString &text, const QString &article)
{
    const qsizetype length = article.size();
    if (length == 0 || text.size() <= length || text[length] != u' '
        || !text.startsWith(article, Qt::CaseInsensitive)) {
        return -1;
    }
    // "The " alone is no title with an article: moving or removing it would leave nothing.
    return TrimSpaces(text.sliced(length)).isEmpty() ? -1 : length;
}

QString MoveArticleToEnd(const QString &text, const QStringList &articles)
{
    for (const QString &article : articles) {
        const qsizetype length = LeadingArticle(text, article);
        if (length >= 0)
            return TrimSpaces(text.sliced(length)) + u", "_s + text.first(length);
    }
    return text;
}

QString MoveArticleToFront(const QString &text, const QStringList &articles)
{
    for (const QString &article : articles) {
        const qsizetype length = article.size();
        if (length == 0 || length >= text.size() || !text.endsWith(article, Qt::CaseInsensitive))
            continue;
        qsizetype cut = text.size() - length - 1;
        const QChar before = text[cut];
        if (before != u' ' && before != u',')
            continue;
        // "Matrix, The": the comma goes with the space.
        if (before == u' ' && cut > 0 && text[cut - 1] == u',')
            --cut;
        return text.last(length) + u' ' + TrimSpaces(text.first(cut));
    }
    return text;
}

QString RemoveArticle(const QString &text, const QStringList &articles)
{
    for (const QString &article : articles) {
        const qsizetype length = LeadingArticle(text, article);
        if (length >= 0)
            return TrimSpaces(text.sliced(length));
    }
    return text;
}

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

QString CapitalizeWords(const QString &text)
{
    QString result;
    result.reserve(text.size());
    bool wordStart = true;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        const char32_t shown = wordStart ? QChar::toUpper(c) : c;
        if (QChar::requiresSurrogates(shown)) {
            result.append(QChar(QChar::highSurrogate(shown)));
            result.append(QChar(QChar::lowSurrogate(shown)));
        } else {
            result.append(QChar(shown));
        }
        wordStart = IsWordSeparator(c);
        i += width;
    }
    return result;
}

QString NormalizeTitle(const QString &text, const TTitleRules &rules)
{
    QString result = text;
    switch (rules.PrefixMode) {
    case 1:
        result = MoveArticleToEnd(text, rules.PrefixList);
        break;
    case 2:
        result = MoveArticleToFront(text, rules.PrefixList);
        break;
    case 3:
        result = RemoveArticle(text, rules.PrefixList);
        break;
    default:
        break;
    }
    return rules.AllCaps ? CapitalizeWords(result) : result;
}

QString NormalizeName(const QString &text, bool allCaps)
{
    return allCaps ? CapitalizeWords(text) : text;
}

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
