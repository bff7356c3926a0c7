// Appending another catalog file, with the picture files its records name.

#include <algorithm>

#include <QDir>
#include <QFileInfo>

#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

// Where the appended file keeps its pictures, as reading it resolved them.
struct TVideoDatabase::TAppendedPlace
{
    QString folder;
    TFolderPair folders[5];
    int version = 0;

    const QString &Folder(TImageFolder kind) const
    {
        return folders[static_cast<int>(kind)].absolute;
    }
    // The file a stored path names: relative to the catalog's folder in 0.9.5 files,
    // otherwise to the image folder of its kind.
    QString Source(const QString &field, TImageFolder kind) const
    {
        return ResolvePath(field, version == 9005 ? folder : Folder(kind));
    }
    // Only regular files inside the appended catalog's own folders are copied: a catalog
    // from elsewhere must not make this one pull in arbitrary files.
    bool MayCopy(const QString &path) const
    {
        const QFileInfo info(path);
        if (!info.isFile() || info.isSymLink())
            return false;
        const QString clean = QDir::cleanPath(info.absoluteFilePath());
        auto inside = [&clean](const QString &root) {
            return !root.isEmpty() && clean.startsWith(QDir::cleanPath(root) + u'/');
        };
        return inside(folder)
               || std::any_of(std::begin(folders), std::end(folders), [&](const TFolderPair &p) {
                      return inside(p.absolute);
                  });
    }
};

TLoadResult TVideoDatabase::Append(const QString &fileName, IPasswordPrompt *prompt)
{
    if (fileName == m_fileName)
        return {true, m_version, {}};
    if (!QFileInfo(fileName).isFile())
        return {false, 0, u"Cannot read %1: no such file"_s.arg(fileName), TLoadFailure::Failed};
    const TProtection protection = m_protection;
    const QString password = m_password;
    const std::shared_ptr<const TStrongKey> strongKey = m_strongKey;
    const bool protectionChanged = m_protectionChanged;
    // The appended file's header must not move this catalog's pictures away: its image
    // folders and version are not taken over.
    TFolderPair folders[5];
    std::copy(std::begin(m_folders), std::end(m_folders), std::begin(folders));
    const bool imgFolders = m_imgFolders;
    const int version = m_version;
    const QString ownName = m_fileName;
    const size_t firstMovie = m_movies.size();
    const size_t firstPerson = m_people.size();
    m_customOffset = CustomFieldCount();

    TLoadResult result = Load(fileName, prompt, true);
    m_customOffset = 0;

    TAppendedPlace from;
    from.folder = m_folder;
    std::copy(std::begin(m_folders), std::end(m_folders), std::begin(from.folders));
    from.version = m_version;
    SetFileName(ownName);
    std::copy(std::begin(folders), std::end(folders), std::begin(m_folders));
    m_imgFolders = imgFolders;
    m_version = version;
    m_protection = protection;
    m_password = password;
    m_strongKey = strongKey;
    m_protectionChanged = protectionChanged;
    // Nothing was read: the catalog is as it was.
    if (result.failure == TLoadFailure::Foreign)
        return result;
    CopyAppendedPictures(firstMovie, firstPerson, from);
    SetModified(true);
    SortLists();
    m_sorted = true;
    return result;
}

void TVideoDatabase::CopyAppendedPictures(size_t firstMovie,
                                          size_t firstPerson,
                                          const TAppendedPlace &from)
{
    // A catalog without a file has no folders to copy into.
    if (m_folder.isEmpty())
        return;
    for (size_t i = firstMovie; i < m_movies.size(); ++i) {
        TMovie &movie = *m_movies[i];
        CopyAppendedPictures(movie, from);
        for (int e = 0; e < movie.EpisodeCount(); ++e)
            CopyAppendedPictures(*movie.Episode(e), from);
    }
    const QString photos = ImageFolder(TImageFolder::Photos);
    for (size_t i = firstPerson; i < m_people.size(); ++i) {
        TActor &person = *m_people[i];
        if (person.Coverformat() != CoverFile || person.Coverpath().isEmpty())
            continue;
        const QString source = from.Source(person.Coverpath(), TImageFolder::Photos);
        if (from.MayCopy(source))
            person.ReadTag(u"coverpath"_s, CopyIntoFolder(source, photos, photos, true));
        else
            LogLine(u"Not copied from the appended catalog: "_s + source);
    }
}

void TVideoDatabase::CopyAppendedPictures(TBaseMovie &movie, const TAppendedPlace &from)
{
    auto copy = [&](const QString &field, TImageFolder kind, bool ownSubfolder) {
        const QString source = from.Source(field, kind);
        if (!from.MayCopy(source)) {
            LogLine(u"Not copied from the appended catalog: "_s + source);
            return field;
        }
        const QString base = ImageFolder(kind);
        const QString target = ownSubfolder ? movie.MovieImageFolder(kind, movie.Title()) : base;
        return CopyIntoFolder(source, base, target, true);
    };
    if (movie.Coverformat() == CoverFile && !movie.Coverpath().isEmpty())
        movie.ReadTag(u"coverpath"_s, copy(movie.Coverpath(), TImageFolder::Posters, false));
    if (!movie.Froncover().isEmpty())
        movie.ReadTag(u"froncover"_s, copy(movie.Froncover(), TImageFolder::Covers, true));
    if (!movie.Cdcover().isEmpty())
        movie.ReadTag(u"cdcover"_s, copy(movie.Cdcover(), TImageFolder::Covers, true));
    if (!movie.Screenshots().isEmpty()) {
        QStringList shots;
        for (const QString &piece : movie.Screenshots().split(u'|', Qt::SkipEmptyParts)) {
            if (!piece.trimmed().isEmpty())
                shots.append(copy(piece.trimmed(), TImageFolder::Screenshots, true));
        }
        movie.ReadTag(u"screenshots"_s, shots.join(u'|'));
    }
}
