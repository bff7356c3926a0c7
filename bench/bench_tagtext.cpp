// Throughput of the tag text writer and reader on a catalog-shaped text of 20,000 movies
// (a few with episodes) and 5,000 people. Bytes are counted as the UTF-8 size of the
// file the writer produces.
#include <vector>

#include <benchmark/benchmark.h>

#include <QStringList>

#include "bench/randomtext.h"
#include "catalog/tagtext.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// One FormatTag call of the catalog writer.
struct TWriteOp
{
    QString Name;
    QString Value;
    bool HasValue;
    bool Mode;
    bool Close;
};

class TCatalogGenerator
{
public:
    std::vector<TWriteOp> Generate(int movies, int people)
    {
        Open(u"reelkeep"_s);
        Number(u"version"_s, u"0.9.6"_s);
        Number(u"movies"_s, QString::number(movies));
        Number(u"people"_s, QString::number(people));
        for (const QString &folder : {u"pf"_s, u"phf"_s, u"cf"_s, u"sf"_s, u"tf"_s})
            Text(folder, u"/home/user/Movies/movies/Posters/|movies/Posters/"_s);
        Number(u"img_folders"_s, u"0"_s);
        Text(u"customname"_s, u"Shelf"_s);
        for (int i = 0; i < movies; ++i) {
            Open(u"movie"_s);
            MoviePart(i);
            if (Chance(20)) {
                const int episodes = 2 + Pick(5);
                for (int e = 1; e <= episodes; ++e) {
                    Open(u"episode"_s);
                    Text(u"epnum"_s, QString::number(e));
                    MoviePart(i * 10 + e);
                    Close(u"episode"_s);
                }
            }
            Close(u"movie"_s);
        }
        for (int i = 0; i < people; ++i) {
            Open(u"human"_s);
            Text(u"name"_s, Words(2, true));
            if (Chance(2))
                Text(u"transname"_s, Words(2, true));
            Number(u"birthday"_s, u"%1,5"_s.arg(15000 + Pick(20000)));
            Text(u"birthplace"_s, Words(3, true));
            Text(u"bio"_s, Paragraphs(1 + Pick(3)));
            Text(u"filmography"_s, Lines(5 + Pick(20)));
            Text(u"category"_s, u"Actor"_s);
            Number(u"coverformat"_s, u"0"_s);
            Close(u"human"_s);
        }
        Close(u"reelkeep"_s);
        return std::move(m_ops);
    }

private:
    void Open(const QString &name) { m_ops.push_back({name, {}, true, false, false}); }
    void Close(const QString &name) { m_ops.push_back({name, {}, false, false, true}); }
    void Number(const QString &name, const QString &value)
    {
        m_ops.push_back({name, value, true, false, true});
    }
    void Text(const QString &name, const QString &value)
    {
        m_ops.push_back({name, value, true, true, true});
    }

    int Pick(int count) { return m_text.Pick(count); }
    bool Chance(int oneIn) { return m_text.Chance(oneIn); }

    static const QStringList &WordList()
    {
        static const QStringList words{u"night"_s,
                                       u"return"_s,
                                       u"city"_s,
                                       u"of"_s,
                                       u"the"_s,
                                       u"lost"_s,
                                       u"man"_s,
                                       u"story"_s,
                                       u"river"_s,
                                       u"winter"_s,
                                       u"&"_s,
                                       u"dark"_s,
                                       u"war"_s,
                                       u"Paris"_s,
                                       u"\u0432\u043e\u0439\u043d\u0430"_s,
                                       u"caf\u00e9"_s,
                                       u"and"_s,
                                       u"love"_s,
                                       u"\"big\""_s,
                                       u"star"_s,
                                       u"O'Brien"_s,
                                       u"2"_s,
                                       u"<uncut>"_s,
                                       u"road"_s,
                                       u"\u6771\u4eac"_s,
                                       u"king"_s};
        return words;
    }

    QString Words(int count, bool capital) { return m_text.Words(count, capital); }
    QString Paragraphs(int count) { return m_text.Paragraphs(count, 40, 80); }

    QString Lines(int count)
    {
        QString out;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += u"\r\n"_s;
            out += Words(3, true) + u" (as "_s + Words(1, true) + u')';
        }
        return out;
    }

    void MoviePart(int index)
    {
        if (Chance(3))
            Text(u"comment"_s, Words(5 + Pick(20), false));
        Number(u"rating"_s, u"%1,%2"_s.arg(1 + Pick(9)).arg(Pick(10)));
        Text(u"genre"_s, u"Drama, Thriller"_s);
        Text(u"url"_s, u"https://example.org/title/tt%1/?ref=a&b=c"_s.arg(index));
        Number(u"coverformat"_s, u"0"_s);
        const QString title = Words(1 + Pick(4), true);
        Text(u"title"_s, title);
        Text(u"origtitle"_s, Words(1 + Pick(4), true));
        Number(u"year"_s, QString::number(1930 + Pick(95)));
        Text(u"director"_s, Words(2, true));
        Text(u"actors"_s, Lines(4 + Pick(10)));
        Text(u"country"_s, u"USA, France"_s);
        Text(u"description"_s, Paragraphs(1 + Pick(3)));
        Text(u"type"_s, u"DVDRip"_s);
        Number(u"imdbrating"_s, u"%1,%2"_s.arg(1 + Pick(9)).arg(Pick(10)));
        Number(u"length"_s, QString::number(80 + Pick(100)));
        Text(u"langs"_s, u"English, Fran\u00e7ais"_s);
        Text(u"resolution"_s, u"1920x1080"_s);
        Text(u"videocodec"_s, u"H.264"_s);
        Number(u"videobitrate"_s, QString::number(1000 + Pick(8000)));
        Number(u"size"_s, QString::number(700000000LL + Pick(1000000) * 4096LL));
        Text(u"path"_s, u"/media/films/%1 (%2).mkv"_s.arg(title).arg(index));
        Number(u"dateadded"_s, u"%1,%2"_s.arg(40000 + Pick(5000)).arg(Pick(100000)));
        Number(u"num"_s, QString::number(index));
        if (Chance(4))
            Number(u"viewed"_s, u"0"_s);
        Text(u"tags"_s, u"favourite; 4K"_s);
        Text(u"custom0"_s, u"Shelf %1"_s.arg(Pick(40)));
    }

    TRandomText m_text{12345u, WordList()};
    std::vector<TWriteOp> m_ops;
};

QString WriteAll(const std::vector<TWriteOp> &ops, qsizetype reserve)
{
    QString out;
    out.reserve(reserve);
    out += u"<xml>\r\n"_s;
    for (const TWriteOp &op : ops)
        out += FormatTag(op.Name, op.Value, op.HasValue, 0, op.Mode, op.Close);
    return out;
}

struct TFixture
{
    TFixture()
        : Ops(TCatalogGenerator().Generate(20000, 5000))
        , Text(WriteAll(Ops, 0))
        , Utf8Size(Text.toUtf8().size())
        , Lines(Text.split(u"\r\n"_s))
    {}

    std::vector<TWriteOp> Ops;
    QString Text;
    qint64 Utf8Size;
    QStringList Lines;
};

const TFixture &Fixture()
{
    static const TFixture fixture;
    return fixture;
}

void BM_Write(benchmark::State &state)
{
    const TFixture &fixture = Fixture();
    for (auto _ : state) {
        QString text = WriteAll(fixture.Ops, fixture.Text.size());
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * fixture.Utf8Size);
    state.counters["elements"] = double(fixture.Ops.size());
}

struct TTally
{
    qint64 Elements = 0;
    qint64 Characters = 0;
    QString Last;
};

void Tally(void *context, const QString &, const QString &value)
{
    auto *tally = static_cast<TTally *>(context);
    ++tally->Elements;
    tally->Characters += value.size();
    tally->Last = value;
}

void BM_Read(benchmark::State &state)
{
    const TFixture &fixture = Fixture();
    TTally tally;
    for (auto _ : state) {
        tally = {};
        ReadTagText(fixture.Lines, &Tally, &tally);
        benchmark::DoNotOptimize(tally.Characters);
    }
    state.SetBytesProcessed(state.iterations() * fixture.Utf8Size);
    state.counters["elements"] = double(tally.Elements);
    state.counters["MB"] = double(fixture.Utf8Size) / 1e6;
}

} // namespace

BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
