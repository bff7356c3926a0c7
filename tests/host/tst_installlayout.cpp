#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "host/installlayout.h"

using namespace Qt::StringLiterals;

namespace {

struct TLayoutCase
{
    const char *name;
    QStringList files; // created under the temporary root
    QString program;   // the executable's folder, relative to the root
    QString plugins;   // expected, relative to the root
    QString share;     // expected, relative to the root
    bool installed;
};

TEST(InstallLayoutTest, FindsTheFilesOfBothLayouts)
{
    const QList<TLayoutCase> cases = {
        {"build tree",
         {u"build/bin/lang.txt"_s, u"build/bin/Plugins/catimport.so"_s},
         u"build/bin"_s,
         u"build/bin/Plugins/"_s,
         u"build/bin/"_s,
         false},
        {"installed",
         {u"usr/share/reelkeep/lang.txt"_s, u"usr/lib/reelkeep/Plugins/catimport.so"_s},
         u"usr/bin"_s,
         u"usr/lib/reelkeep/Plugins/"_s,
         u"usr/share/reelkeep/"_s,
         true},
        {"installed, folder named with a slash and a dot",
         {u"opt/rk/share/reelkeep/lang.txt"_s},
         u"opt/rk/./bin/"_s,
         u"opt/rk/lib/reelkeep/Plugins/"_s,
         u"opt/rk/share/reelkeep/"_s,
         true},
        // A copy beside the program wins, so a portable copy inside a prefix uses its own.
        {"both",
         {u"usr/bin/lang.txt"_s, u"usr/share/reelkeep/lang.txt"_s},
         u"usr/bin"_s,
         u"usr/bin/Plugins/"_s,
         u"usr/bin/"_s,
         false},
        {"share folder without its texts",
         {u"usr/share/reelkeep/help/index.html"_s},
         u"usr/bin"_s,
         u"usr/bin/Plugins/"_s,
         u"usr/bin/"_s,
         false},
        {"nothing at all", {}, u"bin"_s, u"bin/Plugins/"_s, u"bin/"_s, false},
    };
    for (const TLayoutCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QDir dir(root.path());
        for (const QString &file : c.files) {
            ASSERT_TRUE(dir.mkpath(QFileInfo(dir.filePath(file)).path()));
            QFile f(dir.filePath(file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        const QString base = QDir(root.path()).canonicalPath() + u'/';
        const TInstallLayout layout = TInstallLayout::ForProgram(base + c.program);
        EXPECT_EQ(layout.ProgramFolder, QDir::cleanPath(base + c.program) + u'/');
        EXPECT_EQ(layout.PluginFolder, base + c.plugins);
        EXPECT_EQ(layout.ShareFolder, base + c.share);
        EXPECT_EQ(layout.LangFile(), base + c.share + u"lang.txt"_s);
        EXPECT_EQ(layout.HelpFolder(), base + c.share + u"help/"_s);
        EXPECT_EQ(layout.Installed, c.installed);
    }
}

} // namespace
