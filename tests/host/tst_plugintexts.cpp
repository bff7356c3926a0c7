#include <gtest/gtest.h>

#include "host/plugintexts.h"

using namespace Qt::StringLiterals;

namespace {

TEST(PluginTextTest, FillsEitherPlaceAndFallsBackToEnglish)
{
    const TPluginTextSource table = [](int number) {
        return number == PluginTextSetDefault ? u"Als Standard für %1 setzen"_s : QString();
    };
    EXPECT_EQ(PluginText(table, PluginTextSetDefault, u"Export"_s),
              u"Als Standard für Export setzen"_s);
    // No text in the table: the built-in English one with its "%s".
    const QString english = PluginText({}, PluginTextRefusedVersion, u"old.so"_s);
    EXPECT_TRUE(english.contains(u"\"old.so\""_s)) << english.toStdString();
    EXPECT_FALSE(english.contains(u"%s"_s));
    // Only the first place is filled.
    const TPluginTextSource twice = [](int) { return u"%1 and %1"_s; };
    EXPECT_EQ(PluginText(twice, PluginTextSetDefault, u"X"_s), u"X and %1"_s);
}

} // namespace
