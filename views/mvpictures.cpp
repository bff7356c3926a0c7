// The movie card's pictures: poster buttons, screenshot slots and covers.
#include <algorithm>

#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

#include "catalog/basemovie.h"
#include "catalog/image.h"
#include "catalog/textutils.h"
#include "views/cardwidgets_p.h"
#include "views/droppedfiles.h"
#include "views/imageqt.h"
#include "views/mvframe.h"
#include "views/storablepicture.h"

using namespace Qt::StringLiterals;

namespace {

bool IsPictureFile(const QString &path)
{
    return TImage::FormatOfName(path) != TImageFormat::None;
}

} // namespace

void TmvFrame::BuildPictureControls()
{
    // Files dragged from the desktop land on the viewport wherever no field takes them.
    viewport()->setAcceptDrops(true);

    BuildPosterButtons();
    BuildScreenshotPanel();
    BuildCoverPanel();
    PlacePictureButtons();
}

void TmvFrame::BuildPosterButtons()
{
    WatchHover(m_poster, HoverPoster);
    m_poster->installEventFilter(this);
    m_imgBrowseBtn = NewHoverButton(m_poster,
                                    u"ImgBrowseBtn"_s,
                                    u"document-open"_s,
                                    460,
                                    u"Browse for Picture"_s,
                                    HoverPoster,
                                    [this] { BrowsePicture(m_poster); });
    m_imgImportBtn = NewHoverButton(m_poster,
                                    u"ImgImportBtn"_s,
                                    u"internet-web-browser"_s,
                                    461,
                                    u"Get Picture from the web"_s,
                                    HoverPoster,
                                    [this] { Host()->FetchPicture(0); });
    m_saveImgBtn = NewHoverButton(
        m_poster, u"SaveImgBtn"_s, u"document-save"_s, 462, u"Save Picture"_s, HoverPoster, [this] {
            SavePicture();
        });
    m_imgClearBtn = NewHoverButton(m_poster,
                                   u"ImgClearBtn"_s,
                                   u"edit-delete"_s,
                                   463,
                                   u"Remove Picture"_s,
                                   HoverPoster,
                                   [this] { ClearPicture(m_poster); });
}

void TmvFrame::BuildScreenshotPanel()
{
    QWidget *body = Body();
    m_screenPanel = new QFrame(body);
    m_screenPanel->setObjectName(u"ScreenPanel"_s);
    m_screenPanel->hide();
    AddToBlock(m_screenPanel, TBlock::Picture);
    WatchHover(m_screenPanel, HoverScreens);
    m_screenLbl = NewLabel(u"ScreensLbl"_s, 438, u"Screenshots:"_s, TBlock::Picture);
    m_screenLbl->setParent(m_screenPanel);
    m_screenLbl->setAlignment(Qt::AlignCenter);
    m_screenLbl->show();
    for (int i = 0; i < 3; ++i) {
        const int slot = i + 1;
        auto *panel = new TPicturePanel(m_screenPanel);
        panel->setObjectName(u"Screen%1"_s.arg(slot));
        panel->SetProportional(true);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->installEventFilter(this);
        WatchHover(panel, HoverScreens);
        m_screenSlots[i] = panel;
        m_screenBrowseBtns[i] = NewHoverButton(panel,
                                               u"ScreensFldrBtn%1"_s.arg(slot),
                                               u"document-open"_s,
                                               464,
                                               u"Browse for Screenshot"_s,
                                               HoverScreens,
                                               [this, slot] { BrowseScreenshot(slot); });
        m_makeScreenBtns[i] = NewHoverButton(panel,
                                             u"MakeScreenBtn%1"_s.arg(slot),
                                             u"camera-photo"_s,
                                             465,
                                             u"Grab Screenshot from the video"_s,
                                             HoverScreens,
                                             [this, slot] { GrabScreenshot(slot); });
        m_delScreenBtns[i] = NewHoverButton(panel,
                                            u"DelScreenBtn%1"_s.arg(slot),
                                            u"edit-delete"_s,
                                            466,
                                            u"Remove Screenshot"_s,
                                            HoverScreens,
                                            [this, slot] { RemoveScreenshot(slot); });
    }
}

void TmvFrame::BuildCoverPanel()
{
    QWidget *body = Body();
    m_coverPanel = new QFrame(body);
    m_coverPanel->setObjectName(u"FDCoverPanel"_s);
    m_coverPanel->hide();
    AddToBlock(m_coverPanel, TBlock::Picture);
    WatchHover(m_coverPanel, HoverCovers);
    m_frontCoverLbl = NewLabel(u"FrontCoverCaption"_s, 439, u"Front cover:"_s, TBlock::Picture);
    m_discCoverLbl = NewLabel(u"DiscCoverCaption"_s, 440, u"Disc cover:"_s, TBlock::Picture);
    for (QLabel *label : {m_frontCoverLbl, m_discCoverLbl}) {
        label->setParent(m_coverPanel);
        label->setAlignment(Qt::AlignCenter);
        label->show();
    }
    const auto cover = [&](const QString &name) {
        auto *panel = new TPicturePanel(m_coverPanel);
        panel->setObjectName(name);
        panel->SetProportional(true);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->installEventFilter(this);
        WatchHover(panel, HoverCovers);
        return panel;
    };
    m_frontImg = cover(u"FrontImg"_s);
    m_discImg = cover(u"DiscImg"_s);
    m_openFrontBtn = NewHoverButton(m_frontImg,
                                    u"OpenFrontBtn"_s,
                                    u"document-open"_s,
                                    467,
                                    u"Browse for Front cover"_s,
                                    HoverCovers,
                                    [this] { BrowseCover(false); });
    m_openCDBtn = NewHoverButton(m_discImg,
                                 u"OpenCDBtn"_s,
                                 u"document-open"_s,
                                 468,
                                 u"Browse for Disc cover"_s,
                                 HoverCovers,
                                 [this] { BrowseCover(true); });
    m_getFCBtn1 = NewHoverButton(m_frontImg,
                                 u"GetFCBtn1"_s,
                                 u"internet-web-browser"_s,
                                 469,
                                 u"Get Covers from the web"_s,
                                 HoverCovers,
                                 [this] { Host()->FetchPicture(1); });
    m_getFCBtn2 = NewHoverButton(m_discImg,
                                 u"GetFCBtn2"_s,
                                 u"internet-web-browser"_s,
                                 469,
                                 u"Get Covers from the web"_s,
                                 HoverCovers,
                                 [this] { Host()->FetchPicture(1); });
    m_delFrontBtn = NewHoverButton(m_frontImg,
                                   u"DelFrontBtn"_s,
                                   u"edit-delete"_s,
                                   470,
                                   u"Remove Front cover"_s,
                                   HoverCovers,
                                   [this] { RemoveCover(false); });
    m_delCDBtn = NewHoverButton(m_discImg,
                                u"DelCDBtn"_s,
                                u"edit-delete"_s,
                                471,
                                u"Remove disc cover"_s,
                                HoverCovers,
                                [this] { RemoveCover(true); });
}

void TmvFrame::SetPictureFetchAvailable(bool poster, bool cover)
{
    m_posterFetch = poster;
    m_coverFetch = cover;
    PlacePictureButtons();
}

void TmvFrame::PlacePictureButtons()
{
    constexpr int top = 4;
    const bool localFile = m_movie && !m_movie->Path().isEmpty();
    m_imgBrowseBtn->move(5, top);
    m_imgImportBtn->move(30, top);
    m_saveImgBtn->move(m_readOnly ? 5 : m_posterFetch ? 55 : 30, top);
    m_imgClearBtn->move(m_posterFetch ? 80 : 55, top);
    for (int i = 0; i < 3; ++i) {
        m_screenBrowseBtns[i]->move(5, top);
        m_makeScreenBtns[i]->move(30, top);
        m_delScreenBtns[i]->move(localFile ? 55 : 30, top);
    }
    m_openFrontBtn->move(5, top);
    m_openCDBtn->move(5, top);
    m_getFCBtn1->move(30, top);
    m_getFCBtn2->move(30, top);
    m_delFrontBtn->move(m_coverFetch ? 55 : 30, top);
    m_delCDBtn->move(m_coverFetch ? 55 : 30, top);
}

void TmvFrame::ShowHoverButtons(int area)
{
    const TBaseMovie *m = m_movie;
    const bool edit = m_mode == ModeEdit;
    const bool writable = !m_readOnly && m;
    const bool poster = area == HoverPoster && m;
    const bool screens = area == HoverScreens && writable;
    const bool covers = area == HoverCovers && writable;
    PlacePictureButtons();

    m_imgBrowseBtn->setVisible(poster && !m_readOnly);
    m_imgImportBtn->setVisible(poster && m_posterFetch && !m_readOnly);
    m_imgClearBtn->setVisible(poster && m_poster->HasImage() && edit && !m_readOnly);
    m_saveImgBtn->setVisible(poster && m_poster->HasImage());

    // Grabbing needs a video and a catalog folder to write into.
    const bool canGrab = m && !m->Path().isEmpty() && !m->ScreenshotsBase().isEmpty();
    for (int i = 0; i < 3; ++i) {
        m_screenBrowseBtns[i]->setVisible(screens);
        m_makeScreenBtns[i]->setVisible(screens && canGrab);
        m_delScreenBtns[i]->setVisible(screens && m_screenSlots[i]->HasImage() && edit);
    }

    m_openFrontBtn->setVisible(covers);
    m_openCDBtn->setVisible(covers);
    m_getFCBtn1->setVisible(covers && m_coverFetch);
    m_getFCBtn2->setVisible(covers && m_coverFetch);
    m_delFrontBtn->setVisible(covers && m_frontImg->HasImage() && edit);
    m_delCDBtn->setVisible(covers && m_discImg->HasImage() && edit);
}

void TmvFrame::FillPictures()
{
    const TBaseMovie *m = m_movie;
    SetPicture(m_poster, m ? m->Picture() : TImage());
    ShowCover(m_frontImg, m ? m->FrontCoverPath() : QString());
    ShowCover(m_discImg, m ? m->CDCoverPath() : QString());
    LoadScreenshots(m ? m->Screenshots() : QString(), true, 0);
}

void TmvFrame::ShowCover(TPicturePanel *panel, const QString &path)
{
    if (path.isEmpty() || !IsPictureFile(path) || !FileExistsQuiet(path)) {
        panel->SetImage({});
        return;
    }
    panel->SetImage(ToQImage(ReadPictureFile(path)));
}

QString TmvFrame::SlotPath(int slot) const
{
    return slot >= 1 && slot <= 3 ? m_slotPaths[slot - 1] : QString();
}

void TmvFrame::LoadScreenshots(const QString &list, bool reset, int slot)
{
    QStringList paths;
    for (const QString &piece : list.split(u'|')) {
        if (const QString path = piece.trimmed(); !path.isEmpty())
            paths << path;
    }
    if (reset) {
        for (int i = 0; i < 3; ++i) {
            m_slotPaths[i].clear();
            m_screenSlots[i]->SetImage({});
        }
    }
    const QString base = m_movie ? m_movie->ScreenshotsBase() : QString();
    const auto load = [&](int index, const QString &path) {
        const QString file = ResolvePath(path, base);
        if (!FileExistsQuiet(file)) {
            if (reset) {
                m_slotPaths[index].clear();
                m_screenSlots[index]->SetImage({});
            }
            return;
        }
        // A file of another kind keeps its place in the list (so it is not deleted as a
        // dropped screenshot) but is not shown.
        m_slotPaths[index] = path;
        m_screenSlots[index]->SetImage(IsPictureFile(file) ? ToQImage(ReadPictureFile(file))
                                                           : QImage());
    };
    if (paths.size() == 1 && slot >= 1 && slot <= 3) {
        load(slot - 1, paths.front());
    } else {
        for (int i = 0; i < 3 && i < paths.size(); ++i)
            load(i, paths.at(paths.size() - 1 - i));
    }
    StoreScreenshots();
}

void TmvFrame::StoreScreenshots()
{
    // A read-only catalog is never changed by showing a movie.
    if (!m_movie || m_readOnly)
        return;
    QStringList kept;
    std::vector<int> filled;
    for (int i = 2; i >= 0; --i) {
        if (!m_slotPaths[i].isEmpty()) {
            kept << m_slotPaths[i];
            filled.push_back(i);
        }
    }
    m_movie->SetScreenshots(kept.join(u'|'));
    // The movie copies new files into its folder, maybe under another name: the slots
    // take the stored paths, so the next change does not treat them as new again.
    const QStringList stored = m_movie->Screenshots().split(u'|', Qt::SkipEmptyParts);
    if (stored.size() == qsizetype(filled.size())) {
        for (size_t k = 0; k < filled.size(); ++k)
            m_slotPaths[filled[k]] = stored.at(qsizetype(k)).trimmed();
    }
}

void TmvFrame::BrowseScreenshot(int slot)
{
    if (!m_movie || !Host() || m_readOnly)
        return;
    StoreScreenshotFiles(slot,
                         Host()->PickFiles(u"."_s + TStorablePicture::Suffixes().join(u";."_s)));
}

void TmvFrame::StoreScreenshotFiles(int slot, const QString &files)
{
    if (!m_movie || m_readOnly || files.isEmpty())
        return;
    // Only the last three files reach a slot; the movie copies them while the converted
    // ones still exist.
    QStringList pieces = files.split(u'|', Qt::SkipEmptyParts);
    pieces.erase(std::remove_if(pieces.begin(),
                                pieces.end(),
                                [](const QString &piece) { return piece.trimmed().isEmpty(); }),
                 pieces.end());
    if (pieces.size() > 3)
        pieces = pieces.sliced(pieces.size() - 3);
    std::vector<TStorablePicture> pictures;
    QStringList stored;
    for (const QString &piece : pieces) {
        std::optional<TStorablePicture> picture =
            StorablePicture(piece.trimmed(), m_movie->ScreenshotsBase().isEmpty());
        if (!picture)
            continue;
        stored.append(picture->Path());
        pictures.push_back(std::move(*picture));
    }
    if (stored.isEmpty())
        return;
    emit PictureChanging();
    LoadScreenshots(stored.join(u'|'), false, slot);
    UpdateVisibility();
    Relayout(true);
    emit PictureStored();
}

void TmvFrame::GrabScreenshot(int slot)
{
    if (!m_movie || !Host() || m_readOnly)
        return;
    TScreenRequest request;
    request.VideoFiles = m_file->text();
    request.Screenshots = m_movie->Screenshots();
    request.Slot = slot;
    request.Title = m_movie->DisplayTitle();
    request.OutputFolder = m_movie->ScreenshotsTarget();
    request.ScreenshotsFolder = m_movie->ScreenshotsBase();
    // The grab may write over files the movie names.
    emit PictureChanging();
    const std::optional<QString> result = Host()->MakeScreenshots(request);
    if (!result) {
        emit PictureStored();
        return;
    }
    LoadScreenshots(*result, true, slot);
    UpdateVisibility();
    Relayout(true);
    emit PictureStored();
}

void TmvFrame::RemoveScreenshot(int slot)
{
    if (!m_movie || m_readOnly || slot < 1 || slot > 3)
        return;
    emit PictureChanging();
    m_slotPaths[slot - 1].clear();
    m_screenSlots[slot - 1]->SetImage({});
    StoreScreenshots();
    ShowHoverButtons(HoverArea());
    emit PictureStored();
}

void TmvFrame::BrowseCover(bool disc)
{
    if (!m_movie || !Host() || m_readOnly)
        return;
    StoreCover(disc, Host()->AskPictureFile(false, QString()));
}

void TmvFrame::StoreCover(bool disc, const QString &file)
{
    if (!m_movie || m_readOnly || file.isEmpty())
        return;
    const IRecordOwner *owner = m_movie->Owner();
    const bool keepsPath = !owner || owner->ImageFolder(TImageFolder::Covers).isEmpty();
    // The movie copies the file into its covers folder before the converted one goes.
    const std::optional<TStorablePicture> picture = StorablePicture(file, keepsPath);
    if (!picture)
        return;
    emit PictureChanging();
    if (disc) {
        m_movie->SetCdcover(picture->Path());
        ShowCover(m_discImg, m_movie->CDCoverPath());
    } else {
        m_movie->SetFroncover(picture->Path());
        ShowCover(m_frontImg, m_movie->FrontCoverPath());
    }
    UpdateVisibility();
    Relayout(true);
    emit PictureStored();
}

void TmvFrame::RemoveCover(bool disc)
{
    if (!m_movie || m_readOnly)
        return;
    emit PictureChanging();
    (disc ? m_discImg : m_frontImg)->SetImage({});
    if (disc)
        m_movie->SetCdcover(QString());
    else
        m_movie->SetFroncover(QString());
    ShowHoverButtons(HoverArea());
    emit PictureStored();
}

int TmvFrame::LayOutPictureBlock(int width, int top)
{
    int y = top + 10;
    const int areaWidth = std::max(120, width - 40);
    const bool screens = Shown(m_screenPanel);
    const bool covers = Shown(m_coverPanel);
    if (screens) {
        const int captionHeight = m_screenLbl->sizeHint().height();
        const int slotWidth = std::max(30, (areaWidth - 80) / 3);
        const int slotHeight = slotWidth * 3 / 4;
        Place(m_screenLbl, 0, 0, areaWidth, captionHeight);
        const int slotTop = captionHeight + 4;
        const int left = 15;
        const int right = areaWidth - 15 - slotWidth;
        Place(m_screenSlots[0], left, slotTop, slotWidth, slotHeight);
        Place(m_screenSlots[1], (left + right) / 2, slotTop, slotWidth, slotHeight);
        Place(m_screenSlots[2], right, slotTop, slotWidth, slotHeight);
        Place(m_screenPanel, 20, y, areaWidth, slotTop + slotHeight + 4);
        y += m_screenPanel->height() + 10;
    }
    if (covers) {
        const int captionHeight = m_frontCoverLbl->sizeHint().height();
        const int panelWidth = std::max(30, areaWidth / 2 - 40);
        const int panelHeight = panelWidth * 3 / 4;
        const int panelTop = captionHeight + 4;
        const int discLeft = areaWidth - 15 - panelWidth;
        Place(m_frontCoverLbl, 15, 0, panelWidth, captionHeight);
        Place(m_discCoverLbl, discLeft, 0, panelWidth, captionHeight);
        Place(m_frontImg, 15, panelTop, panelWidth, panelHeight);
        Place(m_discImg, discLeft, panelTop, panelWidth, panelHeight);
        Place(m_coverPanel, 20, y, areaWidth, panelTop + panelHeight + 4);
        y += m_coverPanel->height() + 10;
    }
    const bool any = screens || covers;
    const int bottom = any ? y : top;
    PlaceShape(TBlock::Picture, width, top, bottom, any);
    return bottom;
}

bool TmvFrame::PictureDoubleClick(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonDblClick
        || static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
        return false;
    if (watched == m_poster) {
        OpenViewer(m_poster->Image());
        return true;
    }
    for (TPicturePanel *slot : m_screenSlots) {
        if (watched == slot) {
            OpenViewer(slot->Image());
            return true;
        }
    }
    if (m_movie && (watched == m_frontImg || watched == m_discImg)) {
        // A cover is read again at full size (the slot may hold a reduced copy).
        const QString path =
            watched == m_frontImg ? m_movie->FrontCoverPath() : m_movie->CDCoverPath();
        if (IsPictureFile(path) && FileExistsQuiet(path))
            OpenViewer(ToQImage(ReadPictureFile(path)));
        return true;
    }
    return false;
}

bool TmvFrame::DragEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::DragLeave)
        return true;
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drag = static_cast<QDropEvent *>(event);
    const QStringList files = DroppedFiles(drag->mimeData());
    const bool forWindow = !files.isEmpty() && Host() && Host()->TakeDroppedFiles(files, false);
    TPicturePanel *slot = nullptr;
    QString picture;
    if (!forWindow) {
        slot = DropSlotAt(drag->position().toPoint());
        const auto found = std::find_if(files.begin(), files.end(), [](const QString &file) {
            return QFileInfo(file).isFile() && TStorablePicture::IsAccepted(file);
        });
        if (found != files.end())
            picture = *found;
    }
    // The cursor shows whether this spot takes these files.
    if ((!forWindow && (!slot || picture.isEmpty())) || !AcceptAsCopy(drag)) {
        drag->ignore();
        return true;
    }
    if (type != QEvent::Drop)
        return true;
    if (forWindow) {
        Host()->TakeDroppedFiles(files, true);
        return true;
    }
    // Stored once the drop is over: an error box must not hold the file manager's drag.
    QTimer::singleShot(0, this, [this, slot, picture, movie = m_movie] {
        if (m_movie == movie)
            StoreDroppedPicture(slot, picture);
    });
    return true;
}

TPicturePanel *TmvFrame::DropSlotAt(QPoint viewportPos) const
{
    if (!m_movie || m_readOnly)
        return nullptr;
    QWidget *body = Body();
    for (QWidget *widget = body->childAt(body->mapFrom(viewport(), viewportPos));
         widget && widget != body;
         widget = widget->parentWidget()) {
        if (widget == m_poster || widget == m_frontImg || widget == m_discImg
            || std::find(m_screenSlots.begin(), m_screenSlots.end(), widget) != m_screenSlots.end())
            return static_cast<TPicturePanel *>(widget);
    }
    return nullptr;
}

void TmvFrame::StoreDroppedPicture(TPicturePanel *slot, const QString &file)
{
    if (slot == m_poster) {
        StorePictureFile(m_poster, file);
    } else if (slot == m_frontImg || slot == m_discImg) {
        StoreCover(slot == m_discImg, file);
    } else {
        const auto found = std::find(m_screenSlots.begin(), m_screenSlots.end(), slot);
        if (found != m_screenSlots.end())
            StoreScreenshotFiles(int(found - m_screenSlots.begin()) + 1, file);
    }
}
