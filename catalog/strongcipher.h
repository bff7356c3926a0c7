#pragma once

#include <array>
#include <memory>

#include <QByteArray>
#include <QString>

#include "catalog/result.h"

// Strong protection of a whole catalog file: the file is a small header followed by the
// catalog text encrypted with XChaCha20-Poly1305 (libsodium's secretstream) under a key
// that Argon2id derives from the password. docs/protection.md describes every byte.

// The first bytes of a strongly protected file. Like PNG's signature, the high byte and
// the CR LF / SUB / LF catch transfers that mangle binary files.
inline constexpr char StrongMagic[8] = {'\x89', 'R', 'K', 'C', '\r', '\n', '\x1a', '\n'};
// The header: magic, format, algorithm, reserved (2), opslimit (4), memlimit (8), salt (16),
// chunk size (4), secretstream header (24).
inline constexpr qsizetype StrongHeaderSize = 68;

// The cost of the key derivation. Files always get the documented Moderate limits (about
// one second here); tests of this module may ask for the cheaper Interactive ones.
struct TKdfLimits
{
    quint32 opsLimit = 0;
    quint64 memLimit = 0; // bytes
    static TKdfLimits Moderate();
    static TKdfLimits Interactive();
};

// A key derived from a password, with the salt and limits it was derived with: a catalog
// keeps it while open, so a save need not derive it again (each save still starts a new
// stream with a fresh random nonce). The key bytes are wiped when it goes.
class TStrongKey
{
public:
    // A new random salt. Fails for an empty password or when the memory the limits ask
    // for is not available.
    static Result<std::shared_ptr<const TStrongKey>> Derive(const QString &password,
                                                            TKdfLimits limits);
    // The salt and limits of the header of `file` (which must have passed ParseStrongHeader).
    static Result<std::shared_ptr<const TStrongKey>> DeriveFor(const QString &password,
                                                               QByteArrayView file);
    ~TStrongKey();
    TStrongKey(const TStrongKey &) = delete;
    TStrongKey &operator=(const TStrongKey &) = delete;

    const TKdfLimits &Limits() const { return m_limits; }
    const std::array<unsigned char, 16> &Salt() const { return m_salt; }
    const unsigned char *Bytes() const { return m_key.data(); }

private:
    TStrongKey() = default;
    static Result<std::shared_ptr<const TStrongKey>>
    Make(const QString &password, TKdfLimits limits, const std::array<unsigned char, 16> &salt);

    TKdfLimits m_limits;
    std::array<unsigned char, 16> m_salt{};
    std::array<unsigned char, 32> m_key{};
};

// Whether the bytes begin like a strongly protected file.
bool HasStrongMagic(QByteArrayView start);
// Whether the file begins like a strongly protected file (false when it cannot be read).
bool IsStrongFile(const QString &fileName);
// Checks the header of a strongly protected file before any password is asked: a format,
// algorithm or limits this version does not read, or a file too short, fails with a
// reason (without the file name).
Status ParseStrongHeader(QByteArrayView file);

// Encrypts one file: Push the catalog text in pieces of any size and write what each call
// returns; Finish returns the last bytes. The first call returns the header first.
class TStrongWriter
{
public:
    explicit TStrongWriter(std::shared_ptr<const TStrongKey> key);
    ~TStrongWriter();
    TStrongWriter(const TStrongWriter &) = delete;
    TStrongWriter &operator=(const TStrongWriter &) = delete;

    QByteArray Push(QByteArrayView plain);
    QByteArray Finish();

private:
    QByteArray Start();
    void Seal(QByteArray &out, QByteArrayView chunk, bool last);

    std::shared_ptr<const TStrongKey> m_key;
    struct TState;
    std::unique_ptr<TState> m_state;
    QByteArray m_header;
    QByteArray m_pending;
    bool m_started = false;
};

// Why a strongly protected file did not decrypt.
enum class TStrongFailure {
    None,
    WrongKey, // the header or first chunk does not authenticate: a wrong password (or an altered
              // header or first chunk, which cannot be told apart)
    Altered,  // a later chunk does not authenticate, the stream is cut short or has bytes after
              // its end
};

struct TStrongPlain
{
    QByteArray text;
    TStrongFailure failure = TStrongFailure::None;
    QString reason; // for Altered
};

// Decrypts a whole file, verifying every chunk before anything is returned.
TStrongPlain DecryptStrong(QByteArrayView file, const TStrongKey &key);

// The password bytes the key derivation takes: UTF-8 of the NFC form, so the same
// password typed through different input methods gives the same key.
QByteArray StrongPasswordBytes(const QString &password);
