#include <functional>

#include <gtest/gtest.h>

#include "catalog/strongcipher.h"

using namespace Qt::StringLiterals;

namespace {

// Keys are derived with the cheap limits here; the catalog tests use the real ones.
std::shared_ptr<const TStrongKey> Key(const QString &password)
{
    auto key = TStrongKey::Derive(password, TKdfLimits::Interactive());
    EXPECT_TRUE(key.Ok()) << key.Error().toStdString();
    return key.Value();
}

QByteArray Text(qsizetype size)
{
    QByteArray text(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        text[i] = char('a' + i % 26);
    return text;
}

// Written in uneven pieces, as a save flushes them.
QByteArray Encrypt(const std::shared_ptr<const TStrongKey> &key, const QByteArray &text)
{
    TStrongWriter writer(key);
    QByteArray file;
    for (qsizetype at = 0; at < text.size(); at += 40000)
        file += writer.Push(
            QByteArrayView(text).sliced(at, std::min<qsizetype>(40000, text.size() - at)));
    return file + writer.Finish();
}

TEST(StrongCipher, RoundTripsAcrossChunkBoundaries)
{
    const auto key = Key(u"密码"_s);
    for (const qsizetype size : {0, 1, 65536, 65537, 200000}) {
        const QByteArray text = Text(size);
        const QByteArray file = Encrypt(key, text);
        EXPECT_TRUE(HasStrongMagic(file));
        EXPECT_TRUE(ParseStrongHeader(file).Ok());
        // The key is derived again from the password and the header, as a load does.
        const auto again = TStrongKey::DeriveFor(u"密码"_s, file);
        ASSERT_TRUE(again.Ok());
        const TStrongPlain plain = DecryptStrong(file, *again.Value());
        EXPECT_EQ(plain.failure, TStrongFailure::None) << size;
        EXPECT_EQ(plain.text, text) << size;
    }
}

TEST(StrongCipher, SameTextEncryptsDifferentlyEachTime)
{
    const auto key = Key(u"pw"_s);
    EXPECT_NE(Encrypt(key, Text(100)), Encrypt(key, Text(100)));
}

TEST(StrongCipher, WrongPasswordAndNormalisation)
{
    const QByteArray file = Encrypt(Key(u"Caf\u00e9"_s), Text(10));
    EXPECT_EQ(DecryptStrong(file, *TStrongKey::DeriveFor(u"cafe"_s, file).Value()).failure,
              TStrongFailure::WrongKey);
    // The decomposed form of the same password opens it.
    EXPECT_EQ(DecryptStrong(file, *TStrongKey::DeriveFor(u"Cafe\u0301"_s, file).Value()).failure,
              TStrongFailure::None);
}

TEST(StrongCipher, EveryAlterationIsRefused)
{
    const auto key = Key(u"pw"_s);
    const QByteArray good = Encrypt(key, Text(150000));
    const struct
    {
        const char *name;
        std::function<void(QByteArray &)> alter;
        TStrongFailure expected;
    } cases[] = {
        {"reserved header byte", [](QByteArray &f) { f[11] = 1; }, TStrongFailure::Altered},
        {"opslimit", [](QByteArray &f) { f[12] = char(f[12] + 1); }, TStrongFailure::WrongKey},
        {"salt", [](QByteArray &f) { f[30] = char(f[30] ^ 1); }, TStrongFailure::WrongKey},
        {"chunk size", [](QByteArray &f) { f[41] = char(f[41] ^ 1); }, TStrongFailure::WrongKey},
        {"stream header", [](QByteArray &f) { f[50] = char(f[50] ^ 1); }, TStrongFailure::WrongKey},
        {"first chunk", [](QByteArray &f) { f[120] = char(f[120] ^ 1); }, TStrongFailure::Altered},
        {"last byte",
         [](QByteArray &f) { f[f.size() - 1] = char(f.back() ^ 1); },
         TStrongFailure::Altered},
        {"cut short", [](QByteArray &f) { f.chop(1); }, TStrongFailure::Altered},
        {"cut at a chunk end",
         [](QByteArray &f) { f.truncate(68 + 17 + 65553); },
         TStrongFailure::Altered},
        {"byte appended", [](QByteArray &f) { f.append('x'); }, TStrongFailure::Altered},
        {"header only", [](QByteArray &f) { f.truncate(68); }, TStrongFailure::Altered},
        {"inside the header", [](QByteArray &f) { f.truncate(40); }, TStrongFailure::Altered},
    };
    for (const auto &c : cases) {
        QByteArray file = good;
        c.alter(file);
        const TStrongPlain plain = DecryptStrong(file, *key);
        EXPECT_EQ(plain.failure, c.expected) << c.name;
        EXPECT_TRUE(plain.text.isEmpty()) << c.name;
    }
}

TEST(StrongCipher, UnknownFormatsAreNamedBeforeAnyPassword)
{
    QByteArray file = Encrypt(Key(u"pw"_s), Text(10));
    file[8] = 2;
    EXPECT_TRUE(ParseStrongHeader(file).Error().contains(u"format 2"_s));
    EXPECT_FALSE(TStrongKey::DeriveFor(u"pw"_s, file).Ok());
    EXPECT_FALSE(ParseStrongHeader("<xml>\r\n<reelkeep>").Ok());
    EXPECT_FALSE(TStrongKey::Derive(QString(), TKdfLimits::Interactive()).Ok());
}

} // namespace
