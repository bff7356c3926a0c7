#include <gtest/gtest.h>

#include <QFile>

#include "host/pluginregistry.h"
#include "pluginfolder.h"

using namespace Qt::StringLiterals;

namespace {

QStringList FileNames(const TPluginRegistry &registry)
{
    QStringList names;
    for (const TPlugin &plugin : registry.Plugins())
        names.append(plugin.FileName);
    return names;
}

QList<int> DefaultFlags(const TPluginRegistry &registry)
{
    QList<int> flags;
    for (const TPlugin &plugin : registry.Plugins())
        flags.append(plugin.IsDefault ? 1 : 0);
    return flags;
}

TEST(PluginRegistryDiscovery, FillsEveryFieldAndFallsBackForMissingExports)
{
    TPluginFolder folder;
    ASSERT_TRUE(folder.AddType("infoen", u"a.so"_s));
    ASSERT_TRUE(folder.AddType("bare", u"b.so"_s));
    TPluginRegistry registry;
    registry.Discover(folder.Path(), RK_LANG_GERMAN);
    ASSERT_EQ(registry.Count(), 2);

    const TPlugin full = registry.Get(0);
    EXPECT_EQ(full.FileName, u"a.so"_s);
    EXPECT_EQ(full.PluginType, RK_PLUGIN_MOVIE_INFO);
    EXPECT_EQ(full.Name, u"Name infoen (de)"_s);
    EXPECT_EQ(full.Description, u"Description infoen (de)"_s);
    EXPECT_EQ(full.About, u"About infoen (de)"_s);
    EXPECT_EQ(full.Version, u"2.0.infoen"_s);
    EXPECT_EQ(full.Language, RK_LANG_ENGLISH);
    EXPECT_TRUE(full.CanConfig);
    EXPECT_FALSE(full.IsDefault);
    EXPECT_EQ(full.OverwriteMask, 0U);

    // Without the optional exports: language 9, version "0", no dialog, no about text.
    const TPlugin bare = registry.Get(1);
    EXPECT_EQ(bare.Language, RK_LANG_ENGLISH);
    EXPECT_EQ(bare.Version, u"0"_s);
    EXPECT_FALSE(bare.CanConfig);
    EXPECT_TRUE(bare.About.isEmpty());
    EXPECT_EQ(registry.LibraryPath(1), folder.FilePath(u"b.so"_s));
    EXPECT_TRUE(registry.Get(2).FileName.isEmpty());
}

TEST(PluginRegistryDiscovery, RealLibrariesOfTheProject)
{
    TPluginFolder folder;
    ASSERT_TRUE(folder.Add(QStringLiteral(RK_CATIMPORT_PATH), u"catimport.so"_s));
    ASSERT_TRUE(folder.Add(QStringLiteral(RK_WEBINFOA_PATH), u"webinfoa.so"_s));
    TPluginRegistry registry;
    registry.Discover(folder.Path(), RK_LANG_ENGLISH);
    ASSERT_EQ(FileNames(registry), QStringList({u"catimport.so"_s, u"webinfoa.so"_s}));
    EXPECT_EQ(registry.Get(0).PluginType, RK_PLUGIN_GENERAL_IMPORT);
    EXPECT_EQ(registry.Get(1).PluginType, RK_PLUGIN_MOVIE_INFO);
    EXPECT_FALSE(registry.Get(0).Description.isEmpty());
}

// Libraries that are no plug-in are skipped silently; each refused version warns once with
// the translated caption and text.
TEST(PluginRegistryDiscovery, SkipsSilentlyAndWarnsOncePerRefusedVersion)
{
    TPluginFolder folder;
    ASSERT_TRUE(folder.Add(TestPluginPath(u"version/testversion_old.so"_s), u"old.so"_s));
    ASSERT_TRUE(folder.Add(TestPluginPath(u"version/testversion_picky.so"_s), u"picky.so"_s));
    ASSERT_TRUE(folder.Add(TestPluginPath(u"version/testversion_partial.so"_s), u"partial.so"_s));
    ASSERT_TRUE(folder.AddType("noversion", u"noversion.so"_s));
    ASSERT_TRUE(folder.AddType("infoen", u"good.so"_s));
    ASSERT_TRUE(folder.AddType("infoen", u"good.txt"_s));
    QFile junk(folder.FilePath(u"junk.so"_s));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();

    TRecordingSink sink;
    const auto texts = [](int number) {
        if (number == 1801)
            return u"Achtung"_s;
        if (number == 1807)
            return u"%s passt nicht"_s;
        return QString();
    };
    TPluginRegistry registry(&sink, texts);
    registry.Discover(folder.Path(), RK_LANG_ENGLISH);
    EXPECT_EQ(FileNames(registry), QStringList({u"good.so"_s}));
    ASSERT_EQ(sink.messages.size(), 2);
    EXPECT_EQ(sink.messages[0].kind, TMessageKind::Warning);
    EXPECT_EQ(sink.messages[0].caption, u"Achtung"_s);
    EXPECT_EQ(sink.messages[0].text, u"old.so passt nicht"_s);
    EXPECT_EQ(sink.messages[1].text, u"picky.so passt nicht"_s);

    registry.RefreshTexts(RK_LANG_GERMAN);
    EXPECT_EQ(sink.messages.size(), 2);

    TRecordingSink englishSink;
    TPluginRegistry english(&englishSink);
    english.Discover(folder.Path(), RK_LANG_ENGLISH);
    ASSERT_EQ(englishSink.messages.size(), 2);
    EXPECT_EQ(englishSink.messages[0].caption, u"Warning"_s);
    EXPECT_TRUE(englishSink.messages[0].text.contains(u"\"old.so\""_s));
}

// Three type-2 plug-ins: a (German), b (English), c (German), and one type-3 plug-in.
class PluginDefaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.AddType("infode", u"a.so"_s));
        ASSERT_TRUE(folder.AddType("infoen", u"b.so"_s));
        ASSERT_TRUE(folder.AddType("infode2", u"c.so"_s));
        ASSERT_TRUE(folder.Add(TestPluginPath(u"testimport.so"_s), u"d.so"_s));
    }
    void Start(int language, const TMemoryPluginSettings &settings)
    {
        registry.Discover(folder.Path(), language);
        registry.ReadSettings(settings);
    }

    TPluginFolder folder;
    TPluginRegistry registry;
};

struct DefaultCase
{
    const char *what;
    int language;
    const char16_t *defaultType2; // the settings' DefaultType2, nullptr: absent
    QList<int> defaults;          // IsDefault of a, b, c, d
    int defaultIndex;             // DefaultIndex(2)
    int cardIndex;                // the card buttons' choice for type 2
};

void PrintTo(const DefaultCase &c, std::ostream *os)
{
    *os << c.what;
}

class PluginDefaultCases : public PluginDefaults, public ::testing::WithParamInterface<DefaultCase>
{};

TEST_P(PluginDefaultCases, ChoosesTheDefault)
{
    const DefaultCase &c = GetParam();
    TMemoryPluginSettings settings;
    if (c.defaultType2)
        settings.values[u"DefaultType2"_s] = QString::fromUtf16(c.defaultType2);
    Start(c.language, settings);
    EXPECT_EQ(DefaultFlags(registry), c.defaults);
    EXPECT_EQ(registry.DefaultIndex(RK_PLUGIN_MOVIE_INFO), c.defaultIndex);
    EXPECT_EQ(registry.DefaultOrLastIndex(RK_PLUGIN_MOVIE_INFO), c.cardIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Settings,
    PluginDefaultCases,
    ::testing::Values(
        // The type-3 plug-in is English, so it is chosen by language in English only.
        DefaultCase{
            "German user, first German plug-in", RK_LANG_GERMAN, nullptr, {1, 0, 0, 0}, 0, 0},
        DefaultCase{"English user, the English one", RK_LANG_ENGLISH, nullptr, {0, 1, 0, 1}, 1, 1},
        // No language matches: the menu falls back to the first, the card to the last.
        DefaultCase{"Italian user, none", RK_LANG_ITALIAN, nullptr, {0, 0, 0, 0}, 0, 2},
        DefaultCase{"named in the settings", RK_LANG_GERMAN, u"c.so", {0, 0, 1, 0}, 2, 2},
        DefaultCase{"empty key chooses by language", RK_LANG_GERMAN, u"", {1, 0, 0, 0}, 0, 0},
        DefaultCase{"named file gone", RK_LANG_GERMAN, u"gone.so", {0, 0, 0, 0}, 0, 2},
        DefaultCase{"comparison is exact", RK_LANG_GERMAN, u"C.so", {0, 0, 0, 0}, 0, 2},
        // A file of another type must not move that type's default.
        DefaultCase{"names a type-3 file", RK_LANG_ENGLISH, u"d.so", {0, 0, 0, 1}, 0, 2}));

TEST_F(PluginDefaults, SetDefaultKeepsOnePerTypeAndLeavesOtherTypes)
{
    Start(RK_LANG_ENGLISH, {});
    ASSERT_EQ(DefaultFlags(registry), QList<int>({0, 1, 0, 1}));
    int changes = 0;
    registry.SetChangedHandler([&changes] { ++changes; });
    registry.SetDefault(2);
    EXPECT_EQ(DefaultFlags(registry), QList<int>({0, 0, 1, 1}));
    EXPECT_EQ(changes, 1);
    registry.SetDefault(4);
    registry.SetDefault(-1);
    EXPECT_EQ(DefaultFlags(registry), QList<int>({0, 0, 1, 1}));
    EXPECT_TRUE(registry.HasType(RK_PLUGIN_GENERAL_IMPORT));
    EXPECT_FALSE(registry.HasType(RK_PLUGIN_EXPORT_TYPE));
    EXPECT_EQ(registry.DefaultIndex(RK_PLUGIN_EXPORT_TYPE), -1);
    EXPECT_EQ(registry.DefaultOrLastIndex(RK_PLUGIN_EXPORT_TYPE), -1);
}

TEST_F(PluginDefaults, UninstallDeletesTheFileAndRenumbers)
{
    Start(RK_LANG_ENGLISH, {});
    QString error;
    EXPECT_TRUE(registry.Uninstall(1, &error));
    EXPECT_FALSE(QFile::exists(folder.FilePath(u"b.so"_s)));
    EXPECT_EQ(FileNames(registry), QStringList({u"a.so"_s, u"c.so"_s, u"d.so"_s}));
    // The default went with it: the type falls back to the first again.
    EXPECT_EQ(registry.DefaultIndex(RK_PLUGIN_MOVIE_INFO), 0);
    EXPECT_FALSE(registry.Uninstall(3, &error));
    EXPECT_EQ(registry.Count(), 3);
}

TEST_F(PluginDefaults, UninstallOfAFileThatCannotBeDeletedStillLeavesTheList)
{
    Start(RK_LANG_ENGLISH, {});
    ASSERT_TRUE(QFile::remove(folder.FilePath(u"a.so"_s)));
    QString error;
    EXPECT_FALSE(registry.Uninstall(0, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(FileNames(registry), QStringList({u"b.so"_s, u"c.so"_s, u"d.so"_s}));
}

TEST_F(PluginDefaults, RefreshTextsAsksAgainInTheNewLanguage)
{
    Start(RK_LANG_ENGLISH, {});
    ASSERT_TRUE(QFile::remove(folder.FilePath(u"c.so"_s)));
    registry.RefreshTexts(RK_LANG_GERMAN);
    EXPECT_EQ(registry.Language(), RK_LANG_GERMAN);
    EXPECT_EQ(registry.Get(0).Name, u"Name infode (de)"_s);
    EXPECT_EQ(registry.Get(0).Description, u"Description infode (de)"_s);
    EXPECT_EQ(registry.Get(0).About, u"About infode (de)"_s);
    // A library gone from the folder keeps the texts it had.
    EXPECT_EQ(registry.Get(2).Name, u"Name infode2 (en)"_s);
    // testimport answers the same in every language and has no GetAbout.
    EXPECT_EQ(registry.Get(3).Name, u"Test import"_s);
    EXPECT_TRUE(registry.Get(3).About.isEmpty());
}

TEST_F(PluginDefaults, ConfigureRunsOnlyADialogThePluginHas)
{
    Start(RK_LANG_GERMAN, {});
    QTemporaryDir dir;
    const QString marker = dir.filePath(u"configured"_s);
    qputenv("RK_TEST_CONFIGURE_FILE", QFile::encodeName(marker));
    EXPECT_FALSE(registry.Configure(0, nullptr));
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_TRUE(registry.Configure(1, nullptr));
    QFile file(marker);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("7"));
    qunsetenv("RK_TEST_CONFIGURE_FILE");
}

// Types 0 to 7 (testimport is type 3) and the settings keys of each.
class PluginSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.AddType("unknown", u"t0.so"_s));
        ASSERT_TRUE(folder.AddType("genrel", u"t1.so"_s));
        ASSERT_TRUE(folder.AddType("infoen", u"t2.so"_s));
        ASSERT_TRUE(folder.Add(TestPluginPath(u"testimport.so"_s), u"t3.so"_s));
        ASSERT_TRUE(folder.AddType("poster", u"t4.so"_s));
        ASSERT_TRUE(folder.AddType("cover", u"t5.so"_s));
        ASSERT_TRUE(folder.AddType("people", u"t6.so"_s));
        ASSERT_TRUE(folder.AddType("export", u"t7.so"_s));
        registry.Discover(folder.Path(), RK_LANG_ITALIAN);
        ASSERT_EQ(registry.Count(), 8);
    }

    TPluginFolder folder;
    TPluginRegistry registry;
};

struct MaskCase
{
    const char16_t *text;
    uint32_t mask;
};

class PluginMaskCases : public PluginSettings, public ::testing::WithParamInterface<MaskCase>
{};

// Masks are taken as they are, meaningless bits included; the written text reads back.
TEST_P(PluginMaskCases, ReadsAndWritesTheMaskOfTypes2And6Only)
{
    TMemoryPluginSettings settings;
    for (int type = 0; type < 8; ++type)
        settings.values[u"t%1.so"_s.arg(type)] = QString::fromUtf16(GetParam().text);
    registry.ReadSettings(settings);
    for (int type = 0; type < 8; ++type) {
        const bool hasMask = type == 2 || type == 6;
        EXPECT_EQ(registry.Get(type).OverwriteMask, hasMask ? GetParam().mask : 0U) << type;
    }

    TMemoryPluginSettings written;
    registry.WriteSettings(written);
    EXPECT_EQ(written.values.contains(u"t2.so"_s), true);
    EXPECT_EQ(written.values.contains(u"t3.so"_s), false);
    TPluginRegistry again;
    again.Discover(folder.Path(), RK_LANG_ITALIAN);
    again.ReadSettings(written);
    EXPECT_EQ(again.Get(2).OverwriteMask, GetParam().mask);
    EXPECT_EQ(again.Get(6).OverwriteMask, GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(Settings,
                         PluginMaskCases,
                         ::testing::Values(MaskCase{u"0", 0},
                                           MaskCase{u"2097151", 0x1FFFFF}, // all 21 fields
                                           MaskCase{u"2097152", 0x200000}, // no field's bit
                                           MaskCase{u"-1", 0xFFFFFFFF},
                                           MaskCase{u"-2147483648", 0x80000000},
                                           MaskCase{u"4294967295", 0xFFFFFFFF},
                                           MaskCase{u"4294967296", 0},
                                           MaskCase{u" 5 ", 5},
                                           MaskCase{u"five", 0},
                                           MaskCase{u"", 0}));

TEST_F(PluginSettings, DefaultsAndBooleansRoundTrip)
{
    TMemoryPluginSettings settings;
    settings.values[u"DefaultType4"_s] = u"t4.so"_s;
    settings.values[u"DefaultType7"_s] = u"t7.so"_s;
    settings.values[u"SilentMode"_s] = u"1"_s;
    registry.ReadSettings(settings);
    EXPECT_TRUE(registry.SilentMode());
    EXPECT_FALSE(registry.AutoAddPeople());
    EXPECT_EQ(DefaultFlags(registry), QList<int>({0, 0, 0, 0, 1, 0, 0, 1}));

    registry.SetAutoAddPeople(true);
    registry.SetSilentMode(false);
    TMemoryPluginSettings written;
    registry.WriteSettings(written);
    EXPECT_EQ(written.Value(u"DefaultType4"_s), u"t4.so"_s);
    EXPECT_EQ(written.Value(u"DefaultType7"_s), u"t7.so"_s);
    EXPECT_EQ(written.Value(u"DefaultType2"_s), QString());
    EXPECT_EQ(written.Value(u"SilentMode"_s), u"0"_s);
    EXPECT_EQ(written.Value(u"AutoAddPeople"_s), u"1"_s);

    // Uninstalling a default empties its key, so the next start chooses by language again.
    ASSERT_TRUE(registry.Uninstall(4));
    registry.WriteSettings(written);
    EXPECT_EQ(written.Value(u"DefaultType4"_s), QString());
}

TEST_F(PluginSettings, AllowsOverwriteReadsOneBit)
{
    registry.SetOverwriteMask(2, 0x80100001);
    const QList<std::pair<int, bool>> cases = {
        {-1, false}, {0, true}, {1, false}, {20, true}, {31, true}, {32, false}};
    for (const auto &[field, allowed] : cases)
        EXPECT_EQ(registry.AllowsOverwrite(2, field), allowed) << field;
    EXPECT_FALSE(registry.AllowsOverwrite(8, 0));
}

} // namespace
