#include <gtest/gtest.h>

#include <QStringList>

#include "catalog/ansi.h"
#include "catalog/cipher.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray Bytes(const QString &base64)
{
    return QByteArray::fromBase64(base64.toLatin1());
}

TEST(Cipher, XorsTheValueAndAppendsItsLength)
{
    // "abcd" with "xy": four XOR bytes, the digit "4" and the digit count 1.
    const QString encrypted = EncryptValue(u"abcd"_s, u"xy"_s);
    const QByteArray expected{"\x19\x1b\x1b\x1d"
                              "4\x01"};
    EXPECT_EQ(Bytes(encrypted), expected);
    EXPECT_EQ(encrypted, QString::fromLatin1(expected.toBase64()));
    EXPECT_EQ(DecryptValue(encrypted, u"xy"_s), u"abcd"_s);
}

TEST(Cipher, KeyLongerThanTheValuePadsButDecryptsToTheValue)
{
    const QString encrypted = EncryptValue(u"ab"_s, u"longpassword"_s);
    const QByteArray bytes = Bytes(encrypted);
    EXPECT_EQ(bytes.size(), 12 + 2);
    EXPECT_EQ(bytes.at(2), char('a' ^ 'n')) << "padding uses the value's first byte";
    EXPECT_EQ(DecryptValue(encrypted, u"longpassword"_s), u"ab"_s);
}

TEST(Cipher, EmptyValueOrPasswordGivesEmptyText)
{
    EXPECT_TRUE(EncryptValue(QString(), u"pw"_s).isEmpty());
    EXPECT_TRUE(EncryptValue(u"v"_s, QString()).isEmpty());
    EXPECT_TRUE(DecryptValue(QString(), u"pw"_s).isEmpty());
    EXPECT_TRUE(DecryptValue(u"YWJj"_s, QString()).isEmpty());
}

TEST(Cipher, LongValuesBreakLinesEvery76CharactersAndReadBack)
{
    const QString value = QString(200, u'x') + u"é✓𝄞\r\nnext line"_s;
    const QString encrypted = EncryptValue(value, u"pw"_s);
    const QStringList lines = encrypted.split(u"\r\n"_s);
    ASSERT_GT(lines.size(), 2);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        EXPECT_EQ(lines[i].size(), 76);
    EXPECT_EQ(DecryptValue(encrypted, u"pw"_s), value);
    // Stray characters outside the alphabet do not matter.
    EXPECT_EQ(DecryptValue(u" \t"_s + encrypted + u"\n*"_s, u"pw"_s), value);
}

TEST(Cipher, ExactlyOneLineGetsItsLineBreakToo)
{
    // 57 bytes make exactly 76 Base64 characters: value 54 bytes + "54" + count.
    const QString encrypted = EncryptValue(QString(54, u'v'), u"k"_s);
    EXPECT_TRUE(encrypted.endsWith(u"\r\n"_s));
    EXPECT_EQ(encrypted.size(), 78);
}

TEST(Cipher, KeyIsTheWindows1252FormOfThePassword)
{
    EXPECT_EQ(ToAnsi(u"é€x"_s), QByteArray("\xE9\x80x"));
    EXPECT_EQ(ToAnsi(u"✓𝄞"_s), QByteArray("??"));
    EXPECT_EQ(FromAnsi("\xE9\x80\x81"), u"é€\u0081"_s);
    const QString encrypted = EncryptValue(u"secret"_s, u"pässwörd€"_s);
    EXPECT_EQ(DecryptValue(encrypted, u"pässwörd€"_s), u"secret"_s);
    EXPECT_NE(DecryptValue(encrypted, u"passwords"_s), u"secret"_s);
}

TEST(Cipher, BrokenValuesDecryptToNothing)
{
    const QString digitCountTooLarge = QString::fromLatin1(QByteArray("ab\x09").toBase64());
    const QString lengthTooLarge = QString::fromLatin1(QByteArray("ab99\x02").toBase64());
    const QString lengthNotANumber = QString::fromLatin1(QByteArray("abx\x01").toBase64());
    const QString zeroDigits = QString::fromLatin1(QByteArray("ab\x00", 3).toBase64());
    for (const QString &value :
         {digitCountTooLarge, lengthTooLarge, lengthNotANumber, zeroDigits, u"!!!!"_s}) {
        EXPECT_TRUE(DecryptValue(value, u"pw"_s).isEmpty()) << value.toStdString();
    }
}

} // namespace
