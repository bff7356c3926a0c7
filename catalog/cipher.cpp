#include "catalog/cipher.h"

#include "catalog/ansi.h"

QString EncryptValue(const QString &value, const QString &password)
{
    const QByteArray data = value.toUtf8();
    const QByteArray key = ToAnsi(password);
    if (data.isEmpty() || key.isEmpty())
        return {};
    const qsizetype n = std::max(data.size(), key.size());
    QByteArray bytes(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i) {
        // A key longer than the value pads the output with the first byte.
        const char plain = i < data.size() ? data[i] : data[0];
        bytes[i] = static_cast<char>(plain ^ key[i % key.size()]);
    }
    const QByteArray digits = QByteArray::number(data.size());
    bytes += digits;
    bytes += static_cast<char>(digits.size());
    const QByteArray base64 = bytes.toBase64();
    QString out;
    out.reserve(base64.size() + base64.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < base64.size(); i += 76) {
        out += QLatin1StringView(base64.mid(i, 76));
        if (i + 76 <= base64.size())
            out += u"\r\n";
    }
    return out;
}

QString DecryptValue(const QString &value, const QString &password)
{
    const QByteArray key = ToAnsi(password);
    if (value.isEmpty() || key.isEmpty())
        return {};
    // The default decoder skips characters outside the alphabet (line breaks included).
    const QByteArray bytes = QByteArray::fromBase64(value.toLatin1());
    if (bytes.isEmpty())
        return {};
    const int digitCount = static_cast<uchar>(bytes.back());
    if (digitCount < 1 || digitCount > 10 || digitCount > bytes.size() - 1)
        return {};
    bool ok = false;
    const qint64 length =
        QByteArrayView(bytes).sliced(bytes.size() - 1 - digitCount, digitCount).toLongLong(&ok);
    // The value's bytes come before the digits; a length that does not fit is no value.
    if (!ok || length <= 0 || length > bytes.size() - 1 - digitCount)
        return {};
    QByteArray plain(length, Qt::Uninitialized);
    for (qsizetype j = 0; j < length; ++j)
        plain[j] = static_cast<char>(bytes[j] ^ key[j % key.size()]);
    return QString::fromUtf8(plain);
}

bool SimpleCipherAccepts(QStringView password)
{
    return FromAnsi(ToAnsi(password)) == password;
}
