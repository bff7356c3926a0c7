// The movie card's media files and pictures: the picker, the picture dialogs, the
// screenshot maker, reading the technical data of the chosen files, and the movie master
// that brings a new movie together from all of them.
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

#include "app/maindialogs.h"
#include "app/moviemaster.h"
#include "app/webcontroller.h"
#include "app/widefiledialog.h"
#include "catalog/basemovie.h"
#include "host/pluginregistry.h"
#include "host/webflow.h"
#include "logic/settings.h"
#include "media/mediainfo.h"
#include "plugin_api/importu.h"
#include "views/mvframe.h"
#include "views/storablepicture.h"

using namespace Qt::StringLiterals;

QString TWebController::AskPictureFile(bool save, const QString &proposedName)
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
    const QString folder = m_host->InitialFolder(slot);
    std::optional<QString> chosen;
    if (save) {
        const QString suffix = QFileInfo(proposedName).suffix();
        const QString start = folder.isEmpty() ? proposedName : QDir(folder).filePath(proposedName);
        chosen =
            m_dialogs->AskSaveFile(m_window, Text(462, u"Save Picture"_s), start, filter, suffix);
    } else {
        chosen =
            m_dialogs->AskOpenFile(m_window, Text(460, u"Browse for Picture"_s), folder, filter);
    }
    if (!chosen || chosen->isEmpty())
        return {};
    m_host->RememberFolder(slot, QFileInfo(*chosen).absolutePath());
    return *chosen;
}

bool TWebController::PickFiles(bool allowAppend,
                               bool &append,
                               const QString &extensions,
                               QString &result)
{
    TPickerOptions options;
    options.StartFolder = m_host->InitialFolder(1);
    options.ShowFloppy = m_host->ShowFloppy();
    options.Language = &m_language;
    QString lastFolder;
    if (!m_dialogs->PickFiles(
            m_window, options, allowAppend, append, extensions, result, lastFolder))
        return false;
    m_host->RememberFolder(1, lastFolder);
    return true;
}

QString TWebController::PickFiles(const QString &extensions)
{
    bool append = false;
    QString result;
    if (!PickFiles(false, append, extensions, result))
        return {};
    return result;
}

std::optional<QString> TWebController::MakeScreenshots(const TScreenRequest &request)
{
    return m_dialogs->RunScreenMaker(m_window, request);
}

void TWebController::BrowseMediaFiles()
{
    TmvFrame *frame = m_host->MovieFrame();
    TBaseMovie *movie = frame ? frame->Movie() : nullptr;
    if (!movie || m_host->ReadOnly() || m_host->Busy())
        return;
    // What the user typed counts: the scan adds to it.
    frame->StoreEdits(movie);
    bool append = !movie->Path().isEmpty();
    QString chosen;
    if (!PickFiles(true, append, MediaExtensions, chosen))
        return;
    const QStringList files = chosen.split(u'|', Qt::SkipEmptyParts);
    if (files.isEmpty())
        return;

    AddMediaFiles(movie, files, append);
}

void TWebController::AddMediaFiles(TBaseMovie *movie, const QStringList &files, bool append)
{
    ReadMovieMedia(movie, files, append);
    TmvFrame *frame = m_host->MovieFrame();
    if (frame->Movie() == movie)
        frame->ShowMovie(movie, frame->Mode());
    m_host->RecordChanged(*movie);
    m_host->CommandUpdate();
}

void TWebController::ReadMovieMedia(TBaseMovie *movie, const QStringList &files, bool append)
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
                                                     m_window);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        options.Progress = [&progress](int done, int) {
            progress->setValue(done);
            return !progress->wasCanceled();
        };
    }
    const bool busy = m_host->Busy();
    m_host->SetBusy(true);
    const std::vector<TMediaFailure> failures = ReadMediaInfo(files, movie, append, options);
    m_host->SetBusy(busy);
    progress.reset();
    for (const TMediaFailure &failure : failures)
        m_dialogs->ShowError(m_window,
                             Text(1802, u"Error"_s),
                             Text(1814, u"The media file could not be analysed:#13%1"_s)
                                 .arg(failure.File + u": "_s + failure.Message));
}

void TWebController::OpenMovieMaster(const QString &title,
                                     const QString &origTitle,
                                     const QString &files)
{
    if (!m_host->Catalog() || m_host->ReadOnly() || m_host->Busy())
        return;
    m_host->FinishEditing();

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
    const auto search = [this](int engine, const QString &text) {
        m_host->WebSearch(engine, text);
    };
    const std::optional<TMasterChoice> choice =
        m_dialogs->RunMovieMaster(m_window, setup, picker, search);
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

    m_host->SetMode(TRecordKind::Movie);
    auto *movie = static_cast<TBaseMovie *>(m_host->CreateRecord(0));
    if (!movie)
        return;
    movie->SetViewed(choice->Seen);
    movie->SetWish(choice->Wish);
    movie->SetTitle(choice->Title);
    movie->SetOrigtitle(choice->OrigTitle);
    movie->SetPath(choice->Files);
    m_host->FocusMovie(*movie, false);

    m_host->SetBusy(true);
    // A flow the user cancels also skips the plug-ins after it.
    m_webFlow->ClearCancel();
    if (choice->Info && choice->InfoPlugin >= 0)
        m_webFlow->RunPlugin(choice->InfoPlugin, movie);
    if (choice->Poster && choice->PosterPlugin >= 0)
        m_webFlow->RunPlugin(choice->PosterPlugin, movie);
    if (choice->Covers && choice->CoverPlugin >= 0)
        m_webFlow->RunPlugin(choice->CoverPlugin, movie);
    m_host->SetBusy(false);
    if (choice->FileInfo && !movie->Path().isEmpty())
        ReadMovieMedia(movie, movie->Path().split(u'|', Qt::SkipEmptyParts), false);
    if (choice->Screenshots && !choice->Files.isEmpty() && !movie->ScreenshotsBase().isEmpty()) {
        TScreenRequest request;
        request.VideoFiles = movie->Path();
        request.Screenshots = movie->Screenshots();
        request.Title = movie->DisplayTitle();
        request.OutputFolder = movie->ScreenshotsTarget();
        request.ScreenshotsFolder = movie->ScreenshotsBase();
        if (const std::optional<QString> shots = m_dialogs->RunScreenMaker(m_window, request))
            movie->SetScreenshots(*shots);
    }

    // The plug-ins and the files may have changed any field: place the movie afresh.
    m_host->FocusMovie(*movie, true);
    m_host->ShowCurrent();
    m_host->CommandUpdate();
}
