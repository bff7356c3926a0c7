#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include "catalog/tagtext.h"

// Decodes bytes that should be UTF-8 without losing any: valid UTF-8 sequences are read
// as UTF-8, every other byte as Windows-1252. A catalog edited by another tool may hold
// stray Windows-1252 bytes; reading it must not drop text a later save would then lose.
QString DecodeUtf8Lenient(QByteArrayView bytes);
// The same into `out`, whose allocation is reused when it is large enough and not shared.
void DecodeUtf8Lenient(QByteArrayView bytes, QString &out);
// Appends `prefix` and the decoded `bytes` to `out`, growing it at most by doubling.
void AppendUtf8Lenient(QByteArrayView bytes, QString &out, QStringView prefix);

// Hands out the lines of a catalog file one at a time, read in chunks and decoded with
// DecodeUtf8Lenient, so that a large catalog is never held whole as text. Lines end at
// CR LF, CR or LF; a leading UTF-8 byte-order mark is skipped. From the first AppendLines
// on, the file is read and decoded on a thread of its own, ahead of the caller.
class TCatalogLineReader : public ITagLineSource
{
public:
    explicit TCatalogLineReader(const QString &fileName);
    // Reads text already in memory (a decrypted catalog).
    explicit TCatalogLineReader(QByteArray contents);
    ~TCatalogLineReader() override;

    // Opens the file; false (with ErrorString) when it cannot be read.
    bool Open();
    QString ErrorString() const { return m_file->errorString(); }
    // Starts again at the first line.
    bool Rewind();
    // True when a read error cut the text short.
    bool Failed() const;

    bool NextLine(QString &line) override;
    bool AppendNextLine(QString &text) override;
    qsizetype AppendLines(QString &text, std::vector<qsizetype> &lineEnds) override;
    qint64 RemainingBound() const override;

private:
    class TDecoder;
    // Lines decoded ahead, as AppendLines appends them: each after CR LF, ending at `Ends`.
    struct TBatch
    {
        QString Text;
        std::vector<qsizetype> Ends;
        // Where in the file the bytes of these lines start.
        qint64 FirstByte = 0;
    };

    qsizetype DecodeLines(QString &text, std::vector<qsizetype> &lineEnds);
    // The next line decoded ahead, valid until the next call; false at the end.
    bool TakeLine(QStringView &line);
    bool NextBatch();
    void StopDecoder();
    bool Fill();
    // The next line's bytes, valid until the next call.
    bool NextLineBytes(QByteArrayView &bytes);
    const char *FindLineBreak(const char *from);

    std::unique_ptr<QIODevice> m_file;
    // Taken when opened: asking the file system for every long value costs a system call.
    qint64 m_fileSize = 0;
    // The bytes read and not yet handed out are m_chunk[m_pos, m_end). The buffer is
    // allocated once and reused, not replaced per chunk.
    std::vector<char> m_chunk;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    // Where the next LF is, or m_end when there is none; -1 when unknown. Remembered so that
    // a file of lone CRs is not searched to the end of the chunk for every line.
    qsizetype m_nextLf = -1;
    bool m_eof = false;
    std::atomic<bool> m_failed = false;
    qint64 m_bytesRead = 0;
    // While the decoder runs, it alone uses the file and the members above, and lines come
    // from m_batch (from m_batchPos, the next line being m_batch.Ends[m_batchLine]).
    std::unique_ptr<TDecoder> m_decoder;
    TBatch m_batch;
    qsizetype m_batchPos = 0;
    size_t m_batchLine = 0;
    bool m_decodeHere = false;
};
