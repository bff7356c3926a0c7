#include "catalog/strongcipher.h"

#include <cstring>

#include <sodium.h>

#include <QFile>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

constexpr quint8 FormatVersion = 1;
// Argon2id v1.3 for the key, XChaCha20-Poly1305 secretstream for the text.
constexpr quint8 AlgorithmArgon2idXChaCha = 1;
constexpr quint32 WriteChunkSize = 64 * 1024;
constexpr quint32 MinChunkSize = 1024;
constexpr quint32 MaxChunkSize = 16 * 1024 * 1024;
// What a reader accepts: enough for stronger settings later, not so much that a forged
// header can take the machine's memory.
constexpr quint32 MaxOpsLimit = 16;
constexpr quint64 MaxMemLimit = quint64(1) << 30;

// Offsets of the header fields (docs/protection.md).
constexpr qsizetype FormatAt = 8;
constexpr qsizetype AlgorithmAt = 9;
constexpr qsizetype ReservedAt = 10;
constexpr qsizetype OpsAt = 12;
constexpr qsizetype MemAt = 16;
constexpr qsizetype SaltAt = 24;
constexpr qsizetype ChunkAt = 40;
constexpr qsizetype StreamHeaderAt = 44;
constexpr qsizetype Abytes = crypto_secretstream_xchacha20poly1305_ABYTES;

static_assert(crypto_pwhash_SALTBYTES == 16);
static_assert(crypto_secretstream_xchacha20poly1305_KEYBYTES == 32);
static_assert(StreamHeaderAt + crypto_secretstream_xchacha20poly1305_HEADERBYTES
              == StrongHeaderSize);

const uchar *Bytes(QByteArrayView view)
{
    return reinterpret_cast<const uchar *>(view.data());
}

bool SodiumReady()
{
    // Thread-safe and cheap after the first call.
    return sodium_init() >= 0;
}

} // namespace

struct TStrongWriter::TState
{
    crypto_secretstream_xchacha20poly1305_state stream;
};

TKdfLimits TKdfLimits::Moderate()
{
    return {crypto_pwhash_OPSLIMIT_MODERATE, crypto_pwhash_MEMLIMIT_MODERATE};
}

TKdfLimits TKdfLimits::Interactive()
{
    return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

QByteArray StrongPasswordBytes(const QString &password)
{
    return password.normalized(QString::NormalizationForm_C).toUtf8();
}

Result<std::shared_ptr<const TStrongKey>>
TStrongKey::Make(const QString &password, TKdfLimits limits, const std::array<uchar, 16> &salt)
{
    using R = Result<std::shared_ptr<const TStrongKey>>;
    if (password.isEmpty())
        return R::Failure(u"An empty password protects nothing"_s);
    if (!SodiumReady())
        return R::Failure(u"The encryption library could not be started"_s);
    std::shared_ptr<TStrongKey> key(new TStrongKey);
    key->m_limits = limits;
    key->m_salt = salt;
    QByteArray bytes = StrongPasswordBytes(password);
    const int failed = crypto_pwhash(key->m_key.data(),
                                     key->m_key.size(),
                                     bytes.constData(),
                                     quint64(bytes.size()),
                                     salt.data(),
                                     limits.opsLimit,
                                     size_t(limits.memLimit),
                                     crypto_pwhash_ALG_ARGON2ID13);
    sodium_memzero(bytes.data(), size_t(bytes.size()));
    if (failed != 0) {
        return R::Failure(
            u"The key could not be derived from the password: %1 MiB of memory are needed"_s.arg(
                limits.memLimit >> 20));
    }
    return std::shared_ptr<const TStrongKey>(std::move(key));
}

Result<std::shared_ptr<const TStrongKey>> TStrongKey::Derive(const QString &password,
                                                             TKdfLimits limits)
{
    if (!SodiumReady())
        return Result<std::shared_ptr<const TStrongKey>>::Failure(
            u"The encryption library could not be started"_s);
    std::array<uchar, 16> salt;
    randombytes_buf(salt.data(), salt.size());
    return Make(password, limits, salt);
}

Result<std::shared_ptr<const TStrongKey>> TStrongKey::DeriveFor(const QString &password,
                                                                QByteArrayView file)
{
    if (Status header = ParseStrongHeader(file); !header)
        return Result<std::shared_ptr<const TStrongKey>>::Failure(header.Error());
    TKdfLimits limits;
    limits.opsLimit = qFromLittleEndian<quint32>(file.data() + OpsAt);
    limits.memLimit = qFromLittleEndian<quint64>(file.data() + MemAt);
    std::array<uchar, 16> salt;
    std::memcpy(salt.data(), file.data() + SaltAt, salt.size());
    return Make(password, limits, salt);
}

TStrongKey::~TStrongKey()
{
    sodium_memzero(m_key.data(), m_key.size());
}

bool HasStrongMagic(QByteArrayView start)
{
    return start.startsWith(QByteArrayView(StrongMagic, sizeof StrongMagic));
}

bool IsStrongFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return HasStrongMagic(file.read(sizeof StrongMagic));
}

Status ParseStrongHeader(QByteArrayView file)
{
    if (!HasStrongMagic(file))
        return Status::Failure(u"it is not a strongly protected catalog"_s);
    if (file.size() < StrongHeaderSize)
        return Status::Failure(u"it ends inside its header"_s);
    const auto format = quint8(file[FormatAt]);
    const auto algorithm = quint8(file[AlgorithmAt]);
    if (format != FormatVersion || algorithm != AlgorithmArgon2idXChaCha) {
        return Status::Failure(
            u"it uses protection format %1, algorithm %2; this version reads format 1, algorithm 1"_s
                .arg(format)
                .arg(algorithm));
    }
    const auto ops = qFromLittleEndian<quint32>(file.data() + OpsAt);
    const auto mem = qFromLittleEndian<quint64>(file.data() + MemAt);
    const auto chunk = qFromLittleEndian<quint32>(file.data() + ChunkAt);
    if (qFromLittleEndian<quint16>(file.data() + ReservedAt) != 0 || ops < 1 || ops > MaxOpsLimit
        || mem < crypto_pwhash_MEMLIMIT_MIN || mem > MaxMemLimit || chunk < MinChunkSize
        || chunk > MaxChunkSize) {
        return Status::Failure(u"its header holds values this version does not accept"_s);
    }
    return {};
}

TStrongWriter::TStrongWriter(std::shared_ptr<const TStrongKey> key)
    : m_key(std::move(key))
    , m_state(std::make_unique<TState>())
{}

TStrongWriter::~TStrongWriter()
{
    sodium_memzero(&m_state->stream, sizeof m_state->stream);
    if (!m_pending.isEmpty())
        sodium_memzero(m_pending.data(), size_t(m_pending.size()));
}

// The header and the empty key-check chunk, which carries the header fields as
// additional data: a wrong password or an altered header fails there, before any text.
QByteArray TStrongWriter::Start()
{
    m_started = true;
    QByteArray out(StrongHeaderSize, '\0');
    char *p = out.data();
    std::memcpy(p, StrongMagic, sizeof StrongMagic);
    p[FormatAt] = char(FormatVersion);
    p[AlgorithmAt] = char(AlgorithmArgon2idXChaCha);
    qToLittleEndian<quint32>(m_key->Limits().opsLimit, p + OpsAt);
    qToLittleEndian<quint64>(m_key->Limits().memLimit, p + MemAt);
    std::memcpy(p + SaltAt, m_key->Salt().data(), m_key->Salt().size());
    qToLittleEndian<quint32>(WriteChunkSize, p + ChunkAt);
    crypto_secretstream_xchacha20poly1305_init_push(
        &m_state->stream, reinterpret_cast<uchar *>(p + StreamHeaderAt), m_key->Bytes());
    m_header = out.left(StreamHeaderAt);
    Seal(out, {}, false);
    return out;
}

void TStrongWriter::Seal(QByteArray &out, QByteArrayView chunk, bool last)
{
    const qsizetype at = out.size();
    out.resize(at + chunk.size() + Abytes);
    const bool check = !m_header.isEmpty();
    crypto_secretstream_xchacha20poly1305_push(
        &m_state->stream,
        reinterpret_cast<uchar *>(out.data() + at),
        nullptr,
        Bytes(chunk),
        quint64(chunk.size()),
        check ? Bytes(m_header) : nullptr,
        check ? quint64(m_header.size()) : 0,
        last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
             : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
    m_header.clear();
}

QByteArray TStrongWriter::Push(QByteArrayView plain)
{
    QByteArray out = m_started ? QByteArray() : Start();
    m_pending.append(plain);
    // Strictly more than a chunk: the text's last piece always goes into the final chunk.
    qsizetype used = 0;
    while (m_pending.size() - used > qsizetype(WriteChunkSize)) {
        Seal(out, QByteArrayView(m_pending).sliced(used, WriteChunkSize), false);
        used += WriteChunkSize;
    }
    if (used > 0) {
        sodium_memzero(m_pending.data(), size_t(used));
        m_pending.remove(0, used);
    }
    return out;
}

QByteArray TStrongWriter::Finish()
{
    QByteArray out = m_started ? QByteArray() : Start();
    Seal(out, m_pending, true);
    if (!m_pending.isEmpty())
        sodium_memzero(m_pending.data(), size_t(m_pending.size()));
    m_pending.clear();
    return out;
}

TStrongPlain DecryptStrong(QByteArrayView file, const TStrongKey &key)
{
    TStrongPlain result;
    auto altered = [&result](const QString &reason) {
        result.text.clear();
        result.failure = TStrongFailure::Altered;
        result.reason = reason;
        return result;
    };
    if (Status header = ParseStrongHeader(file); !header)
        return altered(header.Error());
    if (file.size() < StrongHeaderSize + Abytes)
        return altered(u"it ends inside its header"_s);
    const qsizetype chunk = qFromLittleEndian<quint32>(file.data() + ChunkAt) + Abytes;
    crypto_secretstream_xchacha20poly1305_state stream;
    if (crypto_secretstream_xchacha20poly1305_init_pull(
            &stream, Bytes(file.sliced(StreamHeaderAt)), key.Bytes())
        != 0) {
        result.failure = TStrongFailure::WrongKey;
        return result;
    }
    // The key check: an empty chunk with the header fields as additional data.
    const QByteArrayView header = file.first(StreamHeaderAt);
    uchar tag = 0;
    if (crypto_secretstream_xchacha20poly1305_pull(&stream,
                                                   nullptr,
                                                   nullptr,
                                                   &tag,
                                                   Bytes(file.sliced(StrongHeaderSize)),
                                                   Abytes,
                                                   Bytes(header),
                                                   quint64(header.size()))
            != 0
        || tag != crypto_secretstream_xchacha20poly1305_TAG_MESSAGE) {
        sodium_memzero(&stream, sizeof stream);
        result.failure = TStrongFailure::WrongKey;
        return result;
    }
    // The text is never longer than the file.
    result.text.reserve(file.size());
    qsizetype pos = StrongHeaderSize + Abytes;
    for (qsizetype index = 1;; ++index) {
        const qsizetype left = file.size() - pos;
        if (left < Abytes) {
            sodium_memzero(&stream, sizeof stream);
            return altered(left == 0 ? u"it ends before its last part"_s
                                     : u"it ends inside part %1"_s.arg(index));
        }
        const qsizetype n = std::min(left, chunk);
        const qsizetype at = result.text.size();
        result.text.resize(at + n - Abytes);
        unsigned long long length = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(
                &stream,
                reinterpret_cast<uchar *>(result.text.data() + at),
                &length,
                &tag,
                Bytes(file.sliced(pos, n)),
                quint64(n),
                nullptr,
                0)
            != 0) {
            sodium_memzero(&stream, sizeof stream);
            return altered(u"part %1 does not match its authentication tag"_s.arg(index));
        }
        pos += n;
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
            sodium_memzero(&stream, sizeof stream);
            if (pos != file.size())
                return altered(u"%1 bytes follow its end"_s.arg(file.size() - pos));
            return result;
        }
        if (tag != crypto_secretstream_xchacha20poly1305_TAG_MESSAGE) {
            sodium_memzero(&stream, sizeof stream);
            return altered(u"part %1 has an unknown tag"_s.arg(index));
        }
    }
}
