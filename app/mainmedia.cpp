// The movie card's media files and pictures: the picker, the picture dialogs, the
// screenshot maker and reading the technical data of the chosen files.
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

#include "app/catalogview.h"
#include "app/listmodel.h"
#include "app/maindialogs.h"
#include "app/mainmedia_p.h"
#include "app/mainwindow.h"
#include "app/moviemaster.h"
#include "catalog/basemovie.h"
#include "host/webflow.h"
#include "media/mediainfo.h"
#include "plugin_api/importu.h"
#include "views/mvframe.h"
#include "views/storablepicture.h"

using namespace Qt::StringLiterals;

QString TMain::AskPictureFile(bool save, const QString &proposedName)
{
    // Saving writes the kinds the catalog keeps; any picture Qt reads can be opened (the
    // card converts it).
    const QStringList suffixes =
        save ? QStringList{u"jpg"_s, u"jpeg"_s, u"bmp"_s} : TStorablePicture::Suffixes();
    QStringList patterns;
    for (const QString &suffix : suffixes)
        patterns << u"*."_s + suffix << u"*."_s + suffix.toUpper();
    const QString filter = Text(472, u"Pictures"_s) + u" ("_s + patterns.join(u' ') + u')';
    const int slot = save ? 3 : 2;
    const QString folder = InitialFolder(slot);
    std::optional<QString> chosen;
    if (save) {
        const QString suffix = QFileInfo(proposedName).suffix();
        const QString start = folder.isEmpty() ? proposedName : QDir(folder).filePath(proposedName);
        chosen = m_dialogs->AskSaveFile(this, Text(462, u"Save Picture"_s), start, filter, suffix);
    } else {
        chosen = m_dialogs->AskOpenFile(this, Text(460, u"Browse for Picture"_s), folder, filter);
    }
    if (!chosen || chosen->isEmpty())
        return {};
    RememberFolder(slot, QFileInfo(*chosen).absolutePath());
    return *chosen;
}

QString TMain::PickFiles(const QString &extensions)
{
    bool append = false;
    QString result;
    if (!PickFiles(false, append, extensions, result))
        return {};
    return result;
}

std::optional<QString> TMain::MakeScreenshots(const TScreenRequest &request)
{
    return m_dialogs->RunScreenMaker(this, request);
}

void TMain::ShowCardError(const QString &text)
{
    m_dialogs->ShowError(this, Text(1802, u"Error"_s), text);
}

void TMain::BrowseMediaFiles()
{
    TBaseMovie *movie = m_movieFrame ? m_movieFrame->Movie() : nullptr;
    if (!movie || m_readOnly || m_busy)
        return;
    // What the user typed counts: the scan adds to it.
    m_movieFrame->StoreEdits(movie);
    bool append = !movie->Path().isEmpty();
    QString chosen;
    if (!PickFiles(true, append, MediaExtensions, chosen))
        return;
    const QStringList files = chosen.split(u'|', Qt::SkipEmptyParts);
    if (files.isEmpty())
        return;

    AddMediaFiles(movie, files, append);
}

void TMain::AddMediaFiles(TBaseMovie *movie, const QStringList &files, bool append)
{
    ReadMovieMedia(movie, files, append);
    if (m_movieFrame->Movie() == movie)
        m_movieFrame->ShowMovie(movie, m_movieFrame->Mode());
    Movies().Model()->RecordChanged(movie);
    CommandUpdate();
}

void TMain::ReadMovieMedia(TBaseMovie *movie, const QStringList &files, bool append)
{
    TMediaInfoOptions options;
    options.QualityList = m_settings.QualityList;
    options.LabelOnlyRemovable = m_settings.LabelOnlyRemovable;
    // Several files take a while: a progress window lets the user stop after any file.
    std::unique_ptr<QProgressDialog> progress;
    if (files.size() > 1) {
        progress = std::make_unique<QProgressDialog>(Text(476, u"Reading the media files..."_s),
                                                     Text(1751, u"&Cancel"_s),
                                                     0,
                                                     int(files.size()),
                                                     this);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        options.Progress = [&progress](int done, int) {
            progress->setValue(done);
            return !progress->wasCanceled();
        };
    }
    const bool busy = m_busy;
    m_busy = true;
    const std::vector<TMediaFailure> failures = ReadMediaInfo(files, movie, append, options);
    m_busy = busy;
    progress.reset();
    for (const TMediaFailure &failure : failures)
        m_dialogs->ShowError(this,
                             Text(1802, u"Error"_s),
                             Text(1814, u"The media file could not be analysed:#13%1"_s)
                                 .arg(failure.File + u": "_s + failure.Message));
}

void TMain::OpenMovieMaster(const QString &title, const QString &origTitle, const QString &files)
{
    if (!m_db || m_readOnly || m_busy)
        return;
    if (m_editState == TEditState::Editing)
        ApplyEdits();

    TMasterSetup setup;
    TMasterChoice &start = setup.Start;
    start.Title = title;
    start.OrigTitle = origTitle;
    start.Files = files;
    start.Info = m_settings.DoInfo;
    start.Poster = m_settings.DoPoster;
    start.Covers = m_settings.DoCovers;
    start.FileInfo = m_settings.DoFile;
    start.Wish = m_settings.DoWish;
    start.Screenshots = m_settings.DoScreenshots;
    start.Seen = m_settings.DefSeenState;
    // The same plug-ins the toolbar's buttons run.
    start.InfoPlugin = m_registry.DefaultIndex(RK_PLUGIN_MOVIE_INFO);
    start.PosterPlugin = m_registry.DefaultIndex(RK_PLUGIN_POSTER_IMPORT);
    start.CoverPlugin = m_registry.DefaultIndex(RK_PLUGIN_COVER_IMPORT);
    for (const TPluginMenuItem &item : m_pluginMenu.Items()) {
        const TMasterPlugin entry{item.tag, item.caption};
        if (item.pluginType == RK_PLUGIN_MOVIE_INFO)
            setup.InfoPlugins.append(entry);
        else if (item.pluginType == RK_PLUGIN_POSTER_IMPORT)
            setup.PosterPlugins.append(entry);
        else if (item.pluginType == RK_PLUGIN_COVER_IMPORT)
            setup.CoverPlugins.append(entry);
    }
    setup.Engines = m_settings.SearchNames.mid(0, m_settings.SearchUrls.size());

    const auto picker = [this] { return PickFiles(MediaExtensions); };
    const auto search = [this](int engine, const QString &text) { WebSearch(engine, text); };
    const std::optional<TMasterChoice> choice =
        m_dialogs->RunMovieMaster(this, setup, picker, search);
    if (!choice)
        return;
    m_settings.DoInfo = choice->Info;
    m_settings.DoPoster = choice->Poster;
    m_settings.DoCovers = choice->Covers;
    m_settings.DoFile = choice->FileInfo;
    m_settings.DoWish = choice->Wish;
    m_settings.DoScreenshots = choice->Screenshots;
    if (choice->Title.isEmpty() && choice->OrigTitle.isEmpty() && choice->Files.isEmpty())
        return;

    SetMode(TRecordKind::Movie);
    auto *movie = static_cast<TBaseMovie *>(CreateRecord(0));
    if (!movie)
        return;
    movie->SetViewed(choice->Seen);
    movie->SetWish(choice->Wish);
    movie->SetTitle(choice->Title);
    movie->SetOrigtitle(choice->OrigTitle);
    movie->SetPath(choice->Files);
    Movies().Model()->Resort();
    Movies().List()->clearSelection();
    Movies().List()->SelectRecord(movie);
    Movies().List()->FlushFocus();

    m_busy = true;
    // A flow the user cancels also skips the plug-ins after it.
    m_webFlow->ClearCancel();
    if (choice->Info && choice->InfoPlugin >= 0)
        m_webFlow->RunPlugin(choice->InfoPlugin, movie);
    if (choice->Poster && choice->PosterPlugin >= 0)
        m_webFlow->RunPlugin(choice->PosterPlugin, movie);
    if (choice->Covers && choice->CoverPlugin >= 0)
        m_webFlow->RunPlugin(choice->CoverPlugin, movie);
    m_busy = false;
    if (choice->FileInfo && !movie->Path().isEmpty())
        ReadMovieMedia(movie, movie->Path().split(u'|', Qt::SkipEmptyParts), false);
    if (choice->Screenshots && !choice->Files.isEmpty() && !movie->ScreenshotsBase().isEmpty()) {
        TScreenRequest request;
        request.VideoFiles = movie->Path();
        request.Screenshots = movie->Screenshots();
        request.Title = movie->DisplayTitle();
        request.OutputFolder = movie->ScreenshotsTarget();
        request.ScreenshotsFolder = movie->ScreenshotsBase();
        if (const std::optional<QString> shots = m_dialogs->RunScreenMaker(this, request))
            movie->SetScreenshots(*shots);
    }

    // The plug-ins and the files may have changed any field: place the movie afresh.
    if (movie->Shown())
        Movies().Model()->Reshow(*movie);
    Movies().Model()->Resort();
    Movies().List()->clearSelection();
    Movies().List()->SelectRecord(movie);
    Movies().List()->FlushFocus();
    ShowCurrent();
    CommandUpdate();
}