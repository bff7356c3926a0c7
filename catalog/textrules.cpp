#include "catalog/textrules.h"

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

QString TTextRules::Title(const QString &text) const
{
    QString result = text;
    switch (Titles.PrefixMode) {
    case 1:
        result = MoveArticleToEnd(text, Titles.PrefixList);
        break;
    case 2:
        result = MoveArticleToFront(text, Titles.PrefixList);
        break;
    case 3:
        result = RemoveArticle(text, Titles.PrefixList);
        break;
    default:
        break;
    }
    return Titles.AllCaps ? CapitalizeWords(result) : result;
}

QString TTextRules::Name(const QString &text) const
{
    return AllCapsNames ? CapitalizeWords(text) : text;
}
