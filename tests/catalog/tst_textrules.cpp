#include <ostream>

#include <gtest/gtest.h>

#include "catalog/textrules.h"

using namespace Qt::StringLiterals;

namespace {

TTextRules TitleRules(int mode, const QStringList &articles, bool allCaps)
{
    return {{mode, articles, allCaps}, false};
}

const QStringList Articles{
    u"The"_s, u"A"_s, u"Der"_s, u"Die"_s, u"Das"_s, u"Le"_s, u"La"_s, u"L'"_s};

// ---- Stored titles ------------------------------------------------------------------

struct NormalizeCase
{
    int mode;
    QString text;
    QString stored;
};

void PrintTo(const NormalizeCase &c, std::ostream *os)
{
    *os << "mode " << c.mode << " \"" << c.text.toStdString() << '"';
}

class TitleRulesTest : public ::testing::TestWithParam<NormalizeCase>
{};

TEST_P(TitleRulesTest, HandlesTheArticle)
{
    const NormalizeCase &c = GetParam();
    EXPECT_EQ(TitleRules(c.mode, Articles, false).Title(c.text), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Modes,
    TitleRulesTest,
    ::testing::Values(NormalizeCase{0, u"The Matrix"_s, u"The Matrix"_s},
                      NormalizeCase{1, u"The Matrix"_s, u"Matrix, The"_s},
                      NormalizeCase{1, u"the  Matrix "_s, u"Matrix, the"_s},
                      NormalizeCase{1, u"Das Boot"_s, u"Boot, Das"_s},
                      NormalizeCase{1, u"Theatre"_s, u"Theatre"_s},
                      NormalizeCase{1, u"The"_s, u"The"_s},
                      // Nothing but blanks after the article: no title to move it behind.
                      NormalizeCase{1, u"The  "_s, u"The  "_s},
                      NormalizeCase{1, u"L'Avventura"_s, u"L'Avventura"_s},
                      NormalizeCase{2, u"Matrix, The"_s, u"The Matrix"_s},
                      NormalizeCase{2, u"Matrix The"_s, u"The Matrix"_s},
                      NormalizeCase{2, u"Matrix,The"_s, u"The Matrix"_s},
                      NormalizeCase{2, u"Matrix, the"_s, u"the Matrix"_s},
                      NormalizeCase{2, u"The"_s, u"The"_s},
                      NormalizeCase{2, u"Bathe"_s, u"Bathe"_s},
                      NormalizeCase{3, u"The Matrix"_s, u"Matrix"_s},
                      NormalizeCase{3, u"A Beautiful Mind"_s, u"Beautiful Mind"_s},
                      NormalizeCase{3, u"Theatre"_s, u"Theatre"_s},
                      NormalizeCase{3, u"The "_s, u"The "_s},
                      NormalizeCase{7, u"The Matrix"_s, u"The Matrix"_s}));

TEST(TextRules, FirstMatchingArticleWinsAndEmptyOnesAreIgnored)
{
    EXPECT_EQ(TitleRules(1, {u"La La"_s, u"La"_s}, false).Title(u"La La Land"_s), u"Land, La La"_s);
    EXPECT_EQ(TitleRules(2, {QString(), u"The"_s}, false).Title(u"Matrix,"_s), u"Matrix,"_s);
    EXPECT_EQ(TitleRules(1, {QString()}, false).Title(u" Matrix"_s), u" Matrix"_s);
}

TEST(TextRules, CapitalisesAfterMovingTheArticle)
{
    EXPECT_EQ(TitleRules(1, Articles, true).Title(u"the lord of the rings"_s),
              u"Lord Of The Rings, The"_s);
}

TEST(CapitalizeWords, UpperCasesWordStartsOnly)
{
    EXPECT_EQ(CapitalizeWords(u"the lord of the rings"_s), u"The Lord Of The Rings"_s);
    EXPECT_EQ(CapitalizeWords(u"o'brien/smith"_s), u"O'brien/Smith"_s);
    EXPECT_EQ(CapitalizeWords(u"a,b;c|d\\e x-men"_s), u"A,B;C|D\\E X-men"_s);
    EXPECT_EQ(CapitalizeWords(u"élan vital McQUEEN"_s), u"Élan Vital McQUEEN"_s);
    // A letter outside the basic plane is one character.
    EXPECT_EQ(CapitalizeWords(u"\U00010428\U00010428 \U00010428"_s),
              u"\U00010400\U00010428 \U00010400"_s);
    EXPECT_EQ(CapitalizeWords(QString()), QString());
    EXPECT_EQ(TTextRules{}.Name(u"ann o'neil"_s), u"ann o'neil"_s);
    EXPECT_EQ((TTextRules{{}, true}.Name(u"ann o'neil"_s)), u"Ann O'neil"_s);
}

} // namespace
