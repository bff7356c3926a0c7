#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include "catalog/actor.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

// One catalog folder per file format the reader upgrades, as that version wrote it.
struct TVersionCase
{
    const char *folder;
    int version;
    // Whether the person's photo and the movie's cover and screenshot files came along.
    bool allPictures;
    const char *password = nullptr;
};

class TFixedPrompt : public IPasswordPrompt
{
public:
    explicit TFixedPrompt(const char *password)
        : m_password(password)
    {}
    std::optional<QString> AskPassword(const QString &, bool first) override
    {
        // A wrong password must not make the test ask forever.
        if (!first || !m_password)
            return std::nullopt;
        return QString::fromLatin1(m_password);
    }

private:
    const char *m_password;
};

class FormatVersionTest : public ::testing::TestWithParam<TVersionCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString source =
            QStringLiteral(RK_TEST_DATA "/versions/") + QLatin1String(GetParam().folder);
        QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QString target = dir.filePath(QDir(source).relativeFilePath(file));
            QDir().mkpath(QFileInfo(target).path());
            ASSERT_TRUE(QFile::copy(file, target));
        }
    }
    // Every file below the catalog's folder with a digest of its bytes.
    QMap<QString, QByteArray> Tree() const
    {
        QMap<QString, QByteArray> tree;
        QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            tree.insert(file.fileName(),
                        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1));
        }
        return tree;
    }
    // Opens movies.rkd, checks what every version holds and that its pictures are found.
    std::unique_ptr<TVideoDatabase> OpenAndCheck(TOpenMode mode, int version)
    {
        auto db = std::make_unique<TVideoDatabase>(dir.filePath(u"movies.rkd"_s));
        TFixedPrompt prompt(GetParam().password);
        const TLoadResult result = db->Open(&prompt, mode);
        EXPECT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.version, version);
        EXPECT_EQ(db->MovieCount(), 2);
        EXPECT_EQ(db->PersonCount(), 1);
        if (db->MovieCount() < 2 || db->PersonCount() < 1)
            return db;
        const TMovie *heat = db->Movie(0);
        EXPECT_EQ(heat->Title(), u"Heat"_s);
        EXPECT_EQ(heat->Year(), 1995);
        EXPECT_EQ(heat->Description(), u"A thief and a detective."_s);
        EXPECT_EQ(db->Movie(1)->Title(), u"Ran"_s);
        EXPECT_EQ(db->Person(0)->Name(), u"Al Pacino"_s);
        EXPECT_TRUE(QFileInfo::exists(heat->PictureFile())) << heat->PictureFile().toStdString();
        if (GetParam().allPictures) {
            EXPECT_TRUE(QFileInfo::exists(heat->FrontCoverPath()));
            EXPECT_TRUE(QFileInfo::exists(heat->ScreenshotsBase() + heat->Screenshots()));
            EXPECT_TRUE(QFileInfo::exists(db->Person(0)->PictureFile()));
        }
        return db;
    }

    QTemporaryDir dir;
};

TEST_P(FormatVersionTest, ReadsUpgradesAndSavesInTheCurrentForm)
{
    // Only reading leaves every file as it was.
    const QMap<QString, QByteArray> before = Tree();
    OpenAndCheck(TOpenMode::Read, GetParam().version).reset();
    EXPECT_EQ(Tree(), before);

    auto db = OpenAndCheck(TOpenMode::Write, GetParam().version);
    ASSERT_TRUE(db->Save(true).Ok());
    db.reset();
    OpenAndCheck(TOpenMode::Write, 9006);
}

INSTANTIATE_TEST_SUITE_P(
    Versions,
    FormatVersionTest,
    ::testing::Values(TVersionCase{"0.9.4", 9004, false},
                      TVersionCase{"0.9.5", 9005, true},
                      TVersionCase{"0.9.6", 9006, true},
                      TVersionCase{"0.9.6-simple", 9006, true, "reel"},
                      TVersionCase{"0.9.6-strong", 9006, true, "reel"}),
    [](const auto &info) {
        return QString::fromLatin1(info.param.folder).remove(u'.').remove(u'-').toStdString();
    });

} // namespace
