// The catalog lock between programs: a live holder keeps it and is named, a lock released
// during the wait is taken, a dead holder's lock is taken over.
#include <thread>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "catalog/cataloglock.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using TState = TCatalogLock::TState;

namespace {

class CatalogLockTest : public ::testing::Test
{
protected:
    QString Catalog() const { return dir.filePath(u"movies.rkd"_s); }
    QTemporaryDir dir;
};

TEST_F(CatalogLockTest, SecondLockIsRefusedAndNamesTheHolderUntilReleased)
{
    TCatalogLock first(Catalog());
    ASSERT_EQ(first.Lock(0ms), TState::Held);
    EXPECT_TRUE(QFile::exists(Catalog() + u".lock"_s));

    TCatalogLock second(Catalog());
    EXPECT_EQ(second.Lock(150ms), TState::Busy);
    EXPECT_EQ(second.HolderProcess(), QCoreApplication::applicationPid());
    EXPECT_TRUE(second.HolderHost().isEmpty()) << "the holder runs on this machine";
    EXPECT_TRUE(second.Holder().contains(u"(process %1)"_s.arg(QCoreApplication::applicationPid())))
        << qPrintable(second.Holder());

    // Released while the second one waits: it gets the lock within its wait.
    std::thread release([&first] {
        std::this_thread::sleep_for(200ms);
        first.Unlock();
    });
    EXPECT_EQ(second.Lock(5000ms), TState::Held);
    release.join();
    EXPECT_EQ(first.Lock(0ms), TState::Busy);

    second.Unlock();
    EXPECT_FALSE(QFile::exists(Catalog() + u".lock"_s));
}

TEST_F(CatalogLockTest, LockOfAProcessThatIsGoneIsTakenOver)
{
    // A finished child's process number stands for a program killed while it held the lock.
    QProcess child;
    child.start(u"true"_s, {});
    ASSERT_TRUE(child.waitForStarted());
    const qint64 deadPid = child.processId();
    ASSERT_TRUE(child.waitForFinished());

    QByteArray contents;
    {
        TCatalogLock model(Catalog());
        ASSERT_EQ(model.Lock(0ms), TState::Held);
        QFile file(Catalog() + u".lock"_s);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        contents = file.readAll();
    }
    contents = QByteArray::number(deadPid) + contents.mid(contents.indexOf('\n'));
    {
        QFile file(Catalog() + u".lock"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    TCatalogLock lock(Catalog());
    EXPECT_EQ(lock.Lock(0ms), TState::Held);
}

TEST_F(CatalogLockTest, MissingFolderIsMadeAndLockedButAFileInThePathCannotHoldALock)
{
    // The first start's catalog in a folder not made yet.
    TCatalogLock first(dir.filePath(u"new/folder/movies.rkd"_s));
    EXPECT_EQ(first.Lock(0ms), TState::Held);
    TCatalogLock second(dir.filePath(u"new/folder/movies.rkd"_s));
    EXPECT_EQ(second.Lock(0ms), TState::Busy);

    QFile file(dir.filePath(u"plain"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    TCatalogLock lock(dir.filePath(u"plain/movies.rkd"_s));
    EXPECT_EQ(lock.Lock(0ms), TState::NoLock);
}

} // namespace
