#include "bench/windowfolder.h"

#include <QDir>
#include <QFile>

#include "bench/randomtext.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "logic/settingsfile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int SeriesOneIn = 20;

void WriteCatalog(const QString &file, int count)
{
    TVideoDatabase db(file);
    db.Open();
    TRandomText text(11,
                     {u"night"_s,
                      u"return"_s,
                      u"city"_s,
                      u"of"_s,
                      u"the"_s,
                      u"lost"_s,
                      u"caf\u00e9"_s,
                      u"\u0432\u043e\u0439\u043d\u0430"_s,
                      u"river"_s,
                      u"winter"_s,
                      u"2"_s,
                      u"king"_s});
    TRandomText people(12,
                       {u"Ann"_s,
                        u"Bob"_s,
                        u"Lee"_s,
                        u"Kim"_s,
                        u"Mia"_s,
                        u"Noa"_s,
                        u"Ola"_s,
                        u"Ray"_s,
                        u"Sam"_s,
                        u"Tom"_s});
    const QStringList genres = {u"Drama"_s,
                                u"Comedy"_s,
                                u"Horror"_s,
                                u"SciFi"_s,
                                u"Action"_s,
                                u"Western"_s,
                                u"Crime"_s,
                                u"War"_s,
                                u"Musical"_s,
                                u"Family"_s};
    for (int i = 0; i < count; ++i) {
        auto *movie = static_cast<TMovie *>(db.AddRecord(0));
        movie->SetTitle(text.Words(1 + text.Pick(4), true));
        movie->SetYear(text.Chance(30) ? 0 : 1930 + text.Pick(95));
        QString genre = genres.at(text.Pick(int(genres.size())));
        if (text.Chance(3))
            genre += u", "_s + genres.at(text.Pick(int(genres.size())));
        movie->SetGenre(genre);
        movie->SetDirector(people.Words(2, false));
        if (text.Chance(SeriesOneIn)) {
            for (int e = 1, episodes = 5 + text.Pick(6); e <= episodes; ++e)
                movie->AddEpisode()->SetEpnum(e);
        }
    }
    db.SetModified(true);
    db.Save(false);
}

} // namespace

TWindowFolder::TWindowFolder(int movies, const QString &langFile)
{
    QDir().mkpath(Program());
    QFile::copy(langFile, QDir(Program()).filePath(u"lang.txt"_s));
    qputenv("HOME", m_dir.filePath(u"home"_s).toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"home/.config"_s).toUtf8());
    WriteCatalog(Catalog(), movies);
    WriteSettings(false);
}

void TWindowFolder::WriteSettings(bool idleWork) const
{
    TSettingsFile settings;
    settings.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
    settings.WriteString(u"DataBase"_s, u"FileName"_s, Catalog());
    settings.WriteBool(u"Internet"_s, u"DoUpdates"_s, idleWork);
    // Checked a moment ago: the next check waits, armed, instead of going online.
    settings.WriteFloat(u"Internet"_s, u"LastUpdate"_s, NowDays());
    settings.WriteBool(u"Misc"_s, u"AutoSave"_s, idleWork);
    settings.WriteString(u"MovieList"_s, u"Groups"_s, u"4, 3"_s);
    settings.Save(QDir(Program()).filePath(u"config.ini"_s));
}
