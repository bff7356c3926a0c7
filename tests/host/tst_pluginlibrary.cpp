#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "catalog/version.h"
#include "host/pluginlibrary.h"

using namespace Qt::StringLiterals;

namespace {

QString VersionPlugin(const char *name)
{
    return QStringLiteral(RK_TEST_PLUGINS_DIR "/version/testversion_") + QLatin1StringView(name)
           + u".so"_s;
}

struct HandshakeCase
{
    const char *name;
    int host;
    TDiscovery expected;
};

void PrintTo(const HandshakeCase &c, std::ostream *os)
{
    *os << c.name << " on " << c.host;
}

class HandshakeTest : public ::testing::TestWithParam<HandshakeCase>
{};

TEST_P(HandshakeTest, AcceptsOrRefuses)
{
    TPluginInfo info;
    EXPECT_EQ(
        DiscoverPlugin(VersionPlugin(GetParam().name), RK_LANG_ENGLISH, GetParam().host, info),
        GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Plugins,
                         HandshakeTest,
                         ::testing::Values(
                             // 0 says nothing and skips the first check.
                             HandshakeCase{"zero", ProgramVersionNumber, TDiscovery::Accepted},
                             HandshakeCase{"old", ProgramVersionNumber, TDiscovery::Refused},
                             HandshakeCase{"edge", ProgramVersionNumber, TDiscovery::Accepted},
                             HandshakeCase{"picky", ProgramVersionNumber, TDiscovery::Refused},
                             HandshakeCase{"picky", 9007, TDiscovery::Accepted},
                             HandshakeCase{"current", 9006, TDiscovery::Accepted},
                             HandshakeCase{"current", 9004, TDiscovery::Refused},
                             HandshakeCase{
                                 "partial", ProgramVersionNumber, TDiscovery::NotAPlugin}));

TEST(PluginDiscovery, ReadsWhatThePluginSays)
{
    TPluginInfo info;
    ASSERT_EQ(DiscoverPlugin(VersionPlugin("current"), RK_LANG_GERMAN, 9006, info),
              TDiscovery::Accepted);
    EXPECT_EQ(info.fileName, u"testversion_current.so"_s);
    EXPECT_EQ(info.type, RK_PLUGIN_MOVIE_INFO);
    EXPECT_EQ(PluginTypeName(info.type), u"Movie Information"_s);
    EXPECT_EQ(info.name, u"Versionstest"_s);
    EXPECT_EQ(info.description, u"Answers the handshake"_s);
    EXPECT_EQ(info.pluginVersion, u"1.2.3"_s);
    EXPECT_EQ(info.language, RK_LANG_GERMAN);
    EXPECT_FALSE(info.canConfig);
    EXPECT_EQ(PluginTypeName(42), u"Unknown"_s);
}

TEST(PluginDiscovery, FolderListsPluginsAndSkipsTheRest)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char *name : {"current", "old", "partial"})
        QFile::copy(VersionPlugin(name), dir.filePath(QLatin1StringView(name) + u".so"_s));
    QFile junk(dir.filePath(u"junk.so"_s));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    QList<TPluginInfo> refused;
    const QList<TPluginInfo> found =
        DiscoverPlugins(dir.path(), RK_LANG_ENGLISH, ProgramVersionNumber, &refused);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].fileName, u"current.so"_s);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0].versionSupported, 3999);
    EXPECT_TRUE(DiscoverPlugins(dir.filePath(u"missing"_s), 9, 9006).isEmpty());
}

TEST(PluginLibrary, LoadsResolvesAndUnloads)
{
    TPluginLibrary library;
    EXPECT_FALSE(library.Load(u"/nonexistent/plugin.so"_s));
    EXPECT_FALSE(library.ErrorString().isEmpty());
    EXPECT_EQ(library.Resolve<TGetTypeFunc>("GetType"), nullptr);
    ASSERT_TRUE(library.Load(VersionPlugin("edge")));
    const auto getType = library.Resolve<TGetTypeFunc>("GetType");
    ASSERT_NE(getType, nullptr);
    EXPECT_EQ(getType(), RK_PLUGIN_MOVIE_INFO);
    EXPECT_EQ(library.Resolve<TCheckRKDVerionFunc>("CheckRKDVerion"), nullptr);
    library.Unload();
    EXPECT_FALSE(library.IsLoaded());
}

TEST(PluginApi, VersionNumbersAndExtendedFloats)
{
    EXPECT_EQ(RkVersionNumber("0.9.6"), 9006);
    EXPECT_EQ(RkVersionNumber("0.9.12"), 9012);
    EXPECT_EQ(RkVersionNumber("1.2.3"), 1002003);
    EXPECT_EQ(RkVersionNumber("0.9.4"), 9004);
    EXPECT_EQ(RkVersionNumber("1..2"), 0);
    EXPECT_EQ(RkVersionNumber("1.2000"), 0);
    EXPECT_EQ(RkVersionNumber(""), 0);
    EXPECT_EQ(RkVersionNumber(nullptr), 0);
    // The x87 image of 1.0: mantissa with the explicit integer bit, exponent 16383.
    TExtended one;
    RkDoubleToExtended(1.0, &one);
    const uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(0, memcmp(one.bytes, expected, 10));
    for (double value : {0.0, -2.5, 7.5, 45000.123456789, 1e-300, 1e300, 4.9e-324}) {
        TExtended e;
        RkDoubleToExtended(value, &e);
        EXPECT_EQ(RkExtendedToDouble(&e), value);
    }
}

} // namespace
