#include "logic/titleformat.h"

#include <array>

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

// The text of the second name's tag: the second name unless the template shows the same
// main name already; the main name when the second is missing and the template lacks it.
QString OtherName(const QString &other, const QString &name, bool nameShown)
{
    if (!other.isEmpty() && !(nameShown && other == name))
        return other;
    return nameShown ? QString() : name;
}

// `format` with each tag ("%" and one of `letters`, replaced in that order) replaced by
// `text(index of the letter)`, as replacing the tags one after the other would give.
// Captions are made for every row of a list, so the common case takes one pass and makes
// only the texts of the tags the template holds: with no "%%" in the template and no '%'
// in those texts, nothing inserted can form a tag.
template <typename TText>
QString FillTemplate(const QString &format, QStringView letters, const TText &text)
{
    std::array<QString, 16> texts;
    Q_ASSERT(letters.size() <= qsizetype(texts.size()));
    quint32 made = 0;
    bool onePass = true;
    const qsizetype size = format.size();
    for (qsizetype i = 0; onePass && i + 1 < size; ++i) {
        if (format[i] != u'%')
            continue;
        if (format[i + 1] == u'%') {
            onePass = false;
            continue;
        }
        const qsizetype index = letters.indexOf(format[i + 1]);
        if (index < 0 || (made & (1u << index)))
            continue;
        made |= 1u << index;
        texts[size_t(index)] = text(int(index));
        onePass = !texts[size_t(index)].contains(u'%');
    }
    if (!onePass) {
        QString result = format;
        for (qsizetype index = 0; index < letters.size(); ++index) {
            const bool known = made & (1u << index);
            result.replace(u'%' + letters[index], known ? texts[size_t(index)] : text(int(index)));
        }
        return result;
    }
    QString result;
    result.reserve(size + 32);
    for (qsizetype i = 0; i < size; ++i) {
        if (format[i] == u'%' && i + 1 < size) {
            const qsizetype index = letters.indexOf(format[i + 1]);
            if (index >= 0) {
                result += texts[size_t(index)];
                ++i;
                continue;
            }
        }
        result += format[i];
    }
    return result;
}

} // namespace

QString MovieCaption(const TBaseMovie &movie, const QString &format)
{
    const QString title = movie.DisplayTitle();
    if (format.isEmpty())
        return TidyCaption(title);

    const bool hasTitle = format.contains(u"%T"_s);
    return TidyCaption(FillTemplate(format, u"TOYGDQMRNSE", [&](int tag) -> QString {
        switch (tag) {
        case 0:
            return title;
        case 1:
            return OtherName(movie.Origtitle(), title, hasTitle);
        case 2:
            return NumberOrNothing(movie.Year(), movie.Year() > 0);
        case 3:
            return movie.Genre();
        case 4:
            return movie.Director();
        case 5:
            return movie.Rip();
        case 6:
            return movie.Label();
        case 7:
            return movie.Release();
        case 8:
            return NumberOrNothing(movie.Num(), movie.Num() >= 0);
        case 9:
            return movie.Scenario();
        default: {
            const bool episode = movie.Kind() == TRecordKind::Episode;
            return NumberOrNothing(episode ? static_cast<const TEpisode &>(movie).Epnum() : 0,
                                   episode);
        }
        }
    }));
}

QString PersonCaption(const TActor &person, const QString &format)
{
    const QString &name = person.Name();
    if (format.isEmpty())
        return name;

    const bool hasName = format.contains(u"%N"_s);
    return TidyCaption(FillTemplate(format, u"NTBGCP", [&](int tag) -> QString {
        switch (tag) {
        case 0:
            return name;
        case 1:
            return OtherName(person.Transname(), name, hasName);
        case 2: {
            // Only an unset birthday (0) is left out: days before 1899-12-30 are negative.
            const double birthday = person.Birthday();
            return birthday != 0 ? ShortDateText(birthday) : QString();
        }
        case 3:
            return person.Genre();
        case 4:
            return person.Category();
        default:
            return person.Birthplace();
        }
    }));
}
