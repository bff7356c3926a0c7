#pragma once

// Repeatable random text for the benchmarks' generated catalogs.

#include <random>

#include <QString>
#include <QStringList>

class TRandomText
{
public:
    TRandomText(unsigned seed, QStringList words)
        : m_random(seed)
        , m_words(std::move(words))
    {}

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    bool Chance(int oneIn) { return Pick(oneIn) == 0; }

    // `count` words of the list separated by blanks, the first letters capitals on request.
    QString Words(int count, bool capital)
    {
        QString out;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += u' ';
            QString word = m_words[Pick(int(m_words.size()))];
            if (capital)
                word[0] = word[0].toUpper();
            out += word;
        }
        return out;
    }

    // Sentences of minWords to minWords + spread - 1 words, one per line (CR LF).
    QString Paragraphs(int count, int minWords, int spread)
    {
        QString out;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += QStringLiteral("\r\n");
            out += Words(minWords + Pick(spread), false) + u'.';
        }
        return out;
    }

private:
    std::mt19937 m_random;
    QStringList m_words;
};
