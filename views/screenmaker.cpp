#include "views/screenmaker.h"

#include <algorithm>
#include <climits>
#include <functional>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "catalog/textutils.h"
#include "media/videoplayer.h"
#include "views/imageqt.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int SlotCount = 3;
constexpr int JpegQuality = 90;

// Whether grabs are written as bitmaps: the choice holds for the rest of the session, as the
// other tool dialogs keep theirs. JPEG by default: a bitmap frame is ten times the size.
bool &GrabsAsBitmaps()
{
    static bool bitmaps = false;
    return bitmaps;
}

// A picture drawn stretched to the widget, proportional and centred, on a plain ground.
class TPictureBox : public QWidget
{
public:
    TPictureBox(QColor ground, QWidget *parent)
        : QWidget(parent)
        , m_ground(ground)
    {}

    void SetImage(const QImage &image)
    {
        m_image = image;
        update();
    }
    const QImage &Image() const { return m_image; }
    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        // Without a ground of its own, an empty slot still shows where to click.
        painter.fillRect(rect(), m_ground.isValid() ? m_ground : palette().color(QPalette::Mid));
        if (m_image.isNull() || width() < 1 || height() < 1)
            return;
        const QSize size = m_image.size().scaled(this->size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2),
                           size);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && onClick)
            onClick();
        QWidget::mousePressEvent(event);
    }

private:
    QColor m_ground;
    QImage m_image;
};

// Button pictures for desktops whose icon theme has none.
QIcon PaintedIcon(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    draw(painter);
    return QIcon(pixmap);
}

QIcon PlayIcon()
{
    return QIcon::fromTheme(u"media-playback-start"_s, PaintedIcon([](QPainter &painter) {
                                const QPointF points[] = {{6, 3}, {21, 12}, {6, 21}};
                                painter.drawPolygon(points, 3);
                            }));
}

QIcon PauseIcon()
{
    return QIcon::fromTheme(u"media-playback-pause"_s, PaintedIcon([](QPainter &painter) {
                                painter.drawRect(5, 3, 5, 18);
                                painter.drawRect(14, 3, 5, 18);
                            }));
}

QIcon GrabIcon()
{
    return QIcon::fromTheme(u"camera-photo"_s, PaintedIcon([](QPainter &painter) {
                                QPainterPath body;
                                body.addRoundedRect(2, 7, 20, 14, 3, 3);
                                body.addRect(8, 4, 8, 4);
                                body.addEllipse(QPointF(12, 14), 4.5, 4.5);
                                body.setFillRule(Qt::OddEvenFill);
                                painter.drawPath(body);
                            }));
}

bool IsJpegName(const QString &path)
{
    return TImage::FormatOfName(path) == TImageFormat::Jpeg;
}

} // namespace

TScreenMaker::TScreenMaker(const QString &screenshotsFolder, QWidget *parent)
    : QDialog(parent)
    , m_screenshotsFolder(screenshotsFolder)
    , m_player(new TVideoPlayer(this))
    , m_seekTimer(new QTimer(this))
{
    setObjectName(u"ScreenMaker"_s);
    setProperty(TagProperty, 1425);
    setSizeGripEnabled(true);

    auto *columns = new QHBoxLayout;
    columns->addLayout(BuildSlots());
    columns->addLayout(BuildPlayer(), 1);
    m_fileList = new QListWidget(this);
    m_fileList->setObjectName(u"FileList"_s);
    m_fileList->setMinimumWidth(160);
    m_fileList->setMaximumWidth(260);
    columns->addWidget(m_fileList);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(BuildBottom());
    resize(900, 520);
    ConnectPlayer();

    Retranslate();
}

TScreenMaker::~TScreenMaker() = default;

QVBoxLayout *TScreenMaker::BuildSlots()
{
    auto *slotsColumn = new QVBoxLayout;
    for (int i = 0; i < SlotCount; ++i) {
        auto *shape = new QFrame(this);
        shape->setObjectName(u"Shape%1"_s.arg(i + 1));
        shape->setFrameStyle(QFrame::Box | QFrame::Plain);
        shape->setLineWidth(3);
        auto *scr = new TPictureBox(QColor(), shape);
        scr->setObjectName(u"Scr%1"_s.arg(i + 1));
        scr->setMinimumSize(144, 108);
        scr->setCursor(Qt::PointingHandCursor);
        scr->onClick = [this, i] { SelectSlot(i + 1); };
        auto *inner = new QVBoxLayout(shape);
        inner->setContentsMargins(4, 4, 4, 4);
        inner->addWidget(scr);
        slotsColumn->addWidget(shape);
        m_shapes[size_t(i)] = shape;
        m_scr[size_t(i)] = scr;
    }
    for (QFrame *shape : m_shapes) {
        QPalette palette = shape->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Window));
        shape->setPalette(palette);
    }

    return slotsColumn;
}

QVBoxLayout *TScreenMaker::BuildPlayer()
{
    auto *video = new TPictureBox(Qt::black, this);
    video->setObjectName(u"VideoWindow"_s);
    video->setMinimumSize(400, 300);
    video->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_video = video;

    m_trackBar = new QSlider(Qt::Horizontal, this);
    m_trackBar->setObjectName(u"TrackBar"_s);
    m_trackBar->setRange(0, 0);
    m_trackBar->setSingleStep(40);
    m_trackBar->setPageStep(10'000);

    m_ppBtn = new QToolButton(this);
    m_ppBtn->setObjectName(u"PPBtn"_s);
    m_ppBtn->setAutoRaise(true);
    m_ppBtn->setIconSize(QSize(24, 24));
    m_ppBtn->setIcon(PlayIcon());
    m_makeScrBtn = new QToolButton(this);
    m_makeScrBtn->setObjectName(u"MakeScrBtn"_s);
    m_makeScrBtn->setAutoRaise(true);
    m_makeScrBtn->setIconSize(QSize(24, 24));
    m_makeScrBtn->setIcon(GrabIcon());
    auto *controls = new QHBoxLayout;
    controls->addWidget(m_ppBtn);
    controls->addWidget(m_makeScrBtn);
    controls->addWidget(m_trackBar, 1);

    auto *middle = new QVBoxLayout;
    middle->addWidget(video, 1);
    middle->addLayout(controls);
    return middle;
}

QHBoxLayout *TScreenMaker::BuildBottom()
{
    m_bitmapCheck = new QCheckBox(this);
    m_bitmapCheck->setObjectName(u"BitmapCheck"_s);
    m_bitmapCheck->setChecked(GrabsAsBitmaps());
    connect(m_bitmapCheck, &QCheckBox::toggled, this, [](bool on) { GrabsAsBitmaps() = on; });
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"OKBtn"_s);
    ok->setProperty(TagProperty, 1750);
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(u"&Cancel"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"CancelBtn"_s);
    cancel->setProperty(TagProperty, 1751);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_bitmapCheck);
    bottom->addWidget(buttons, 1);
    return bottom;
}

void TScreenMaker::ConnectPlayer()
{
    connect(m_player, &TVideoPlayer::FrameShown, this, [this](const QImage &frame, qint64 pos) {
        static_cast<TPictureBox *>(m_video)->SetImage(frame);
        if (!m_trackBar->isSliderDown()) {
            const QSignalBlocker blocker(m_trackBar);
            m_trackBar->setValue(int(std::min<qint64>(pos, m_trackBar->maximum())));
        }
    });
    connect(m_player, &TVideoPlayer::DurationChanged, this, [this](qint64 ms) {
        const QSignalBlocker blocker(m_trackBar);
        m_trackBar->setMaximum(int(std::clamp<qint64>(ms, 0, INT_MAX)));
    });
    connect(m_player, &TVideoPlayer::PlayingChanged, this, &TScreenMaker::SetPlaying);
    m_seekTimer->setSingleShot(true);
    connect(m_seekTimer, &QTimer::timeout, this, [this] { m_player->Seek(m_trackBar->value()); });
    connect(m_trackBar, &QSlider::valueChanged, m_seekTimer, qOverload<>(&QTimer::start));
    connect(m_ppBtn, &QToolButton::clicked, this, &TScreenMaker::PlayPause);
    connect(m_makeScrBtn, &QToolButton::clicked, this, &TScreenMaker::Grab);
    connect(m_fileList, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        OpenFile(m_fileList->row(item), true);
    });
}

QString TScreenMaker::Text(int number, const QString &english) const
{
    return m_texts ? m_texts(number, english) : english;
}

void TScreenMaker::SetTextSource(TTextSource source)
{
    m_texts = std::move(source);
    Retranslate();
}

void TScreenMaker::Retranslate()
{
    setWindowTitle(Text(1425, u"Screenshot maker"_s));
    findChild<QPushButton *>(u"OKBtn"_s)->setText(Text(1750, u"&OK"_s));
    findChild<QPushButton *>(u"CancelBtn"_s)->setText(Text(1751, u"&Cancel"_s));
    m_ppBtn->setToolTip(Text(1426, u"Play / Pause"_s));
    m_makeScrBtn->setToolTip(Text(1427, u"Grab the picture into the selected screenshot"_s));
    m_bitmapCheck->setText(Text(4057, u"Save grabs as &bitmaps (BMP)"_s));
}

void TScreenMaker::SetGrabFormat(TImageFormat format)
{
    m_bitmapCheck->setChecked(format == TImageFormat::Bmp);
}

TImageFormat TScreenMaker::GrabFormat() const
{
    return m_bitmapCheck->isChecked() ? TImageFormat::Bmp : TImageFormat::Jpeg;
}

void TScreenMaker::SetDefaultGrabFormat(TImageFormat format)
{
    GrabsAsBitmaps() = format == TImageFormat::Bmp;
}

TImageFormat TScreenMaker::DefaultGrabFormat()
{
    return GrabsAsBitmaps() ? TImageFormat::Bmp : TImageFormat::Jpeg;
}

void TScreenMaker::SetVideoFiles(const QString &list)
{
    m_player->Close();
    m_files.clear();
    m_fileList->clear();
    m_current = -1;
    for (const QString &piece : list.split(u'|')) {
        const QString path = piece.trimmed();
        if (path.isEmpty())
            continue;
        m_files << path;
        auto *item = new QListWidgetItem(QFileInfo(path).completeBaseName(), m_fileList);
        item->setToolTip(path);
    }
    // A missing first part (a disc not inserted) should not keep the others from showing.
    for (int i = 0; i < m_files.size(); ++i) {
        if (QFileInfo::exists(m_files[i])) {
            OpenFile(i, false);
            break;
        }
    }
}

void TScreenMaker::SetScreenshots(const QString &list)
{
    for (int i = 0; i < SlotCount; ++i) {
        m_slots[size_t(i)] = TSlot();
        ShowSlotPicture(i + 1);
    }
    QStringList paths;
    for (const QString &piece : list.split(u'|')) {
        if (!piece.trimmed().isEmpty())
            paths << piece.trimmed();
    }
    // The movie card keeps the last three of a longer list; so does the maker, so that OK
    // does not hand back an empty list for it.
    if (paths.size() > SlotCount)
        paths = paths.mid(paths.size() - SlotCount);
    for (int i = 0; i < paths.size(); ++i) {
        TSlot &slot = m_slots[size_t(i)];
        const QString path = ResolvePath(paths[paths.size() - 1 - i], m_screenshotsFolder);
        if (!FileExistsQuiet(path))
            continue;
        // A file that cannot be shown (another format, damaged) keeps its place in the
        // list: dropping it here would drop it from the movie on OK.
        slot.Path = path;
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == "jpg"_L1 || suffix == "bmp"_L1)
            slot.Picture = TImage::Load(path);
        slot.Shown = ToQImage(slot.Picture);
        ShowSlotPicture(i + 1);
    }
}

void TScreenMaker::SelectSlot(int slot)
{
    if (slot < 1 || slot > SlotCount || slot == m_selected)
        return;
    if (m_selected > 0) {
        QFrame *old = m_shapes[size_t(m_selected - 1)];
        QPalette palette = old->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Window));
        old->setPalette(palette);
    }
    m_selected = slot;
    QFrame *shape = m_shapes[size_t(slot - 1)];
    QPalette palette = shape->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    shape->setPalette(palette);
}

QString TScreenMaker::Result() const
{
    QStringList paths;
    for (int i = SlotCount - 1; i >= 0; --i) {
        if (!m_slots[size_t(i)].Path.isEmpty())
            paths << RelativePath(m_screenshotsFolder, m_slots[size_t(i)].Path);
    }
    return paths.join(u'|');
}

void TScreenMaker::OpenFile(int index, bool play)
{
    if (index < 0 || index >= m_files.size())
        return;
    m_current = index;
    MarkCurrentFile();
    if (m_player->Open(m_files[index]) && play)
        m_player->Play();
}

void TScreenMaker::PlayPause()
{
    if (m_current < 0)
        return;
    if (m_player->IsPlaying()) {
        m_player->Pause();
        return;
    }
    if (!m_player->IsOpen())
        m_player->Open(m_files[m_current]);
    m_player->Play();
}

void TScreenMaker::Grab()
{
    if (m_selected < 1)
        return;
    m_player->Pause();
    const QImage frame = m_player->CurrentFrame();
    // A file that could not be played shows nothing worth keeping.
    if (frame.isNull())
        return;
    TSlot &slot = m_slots[size_t(m_selected - 1)];
    slot.Picture = ToTImage(frame);
    slot.Shown = frame;
    slot.GrabPos = m_trackBar->value();
    slot.Grabbed = true;
    ShowSlotPicture(m_selected);
    const int next = m_selected % SlotCount + 1;
    if (m_slots[size_t(next - 1)].GrabPos == -1)
        SelectSlot(next);
}

QString TScreenMaker::SlotPath(int slot) const
{
    return slot >= 1 && slot <= SlotCount ? m_slots[size_t(slot - 1)].Path : QString();
}

qint64 TScreenMaker::GrabPosition(int slot) const
{
    return slot >= 1 && slot <= SlotCount ? m_slots[size_t(slot - 1)].GrabPos : -1;
}

QImage TScreenMaker::SlotImage(int slot) const
{
    return slot >= 1 && slot <= SlotCount ? m_slots[size_t(slot - 1)].Shown : QImage();
}

void TScreenMaker::done(int result)
{
    if (result == QDialog::Accepted && !WritePictures())
        return;
    m_seekTimer->stop();
    m_player->Close();
    QDialog::done(result);
}

void TScreenMaker::SetPlaying(bool playing)
{
    m_playing = playing;
    m_ppBtn->setIcon(playing ? PauseIcon() : PlayIcon());
}

void TScreenMaker::ShowSlotPicture(int slot)
{
    static_cast<TPictureBox *>(m_scr[size_t(slot - 1)])->SetImage(m_slots[size_t(slot - 1)].Shown);
}

void TScreenMaker::MarkCurrentFile()
{
    for (int i = 0; i < m_fileList->count(); ++i) {
        QListWidgetItem *item = m_fileList->item(i);
        if (i == m_current)
            item->setForeground(QColor(255, 0, 0));
        else
            item->setData(Qt::ForegroundRole, QVariant());
    }
}

QString TScreenMaker::NewSlotPath(int slot) const
{
    const TSlot &data = m_slots[size_t(slot - 1)];
    QString folder = m_outputFolder.isEmpty() ? m_screenshotsFolder : m_outputFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    // A kept picture whose file went away is written back in its own format; a grab in the
    // chosen one.
    const TImageFormat format = data.Grabbed ? GrabFormat() : data.Picture.Format();
    const QString suffix = format == TImageFormat::Jpeg ? u".jpg"_s : u".bmp"_s;
    const QString stem = SanitizeFileName(m_title) + u"_scr"_s + QString::number(slot) + u'_'
                         + QString::number(data.GrabPos);
    QString path = folder + stem + suffix;
    // Never overwrite a picture of another movie that happens to share title and position.
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = folder + stem + u'_' + QString::number(n) + suffix;
    return path;
}

bool TScreenMaker::WritePictures()
{
    QStringList failures;
    for (int i = 0; i < SlotCount; ++i) {
        TSlot &slot = m_slots[size_t(i)];
        if (slot.Picture.IsNull())
            continue;
        const bool exists = !slot.Path.isEmpty() && FileExistsQuiet(slot.Path);
        // An unchanged picture is already on disk as it was loaded.
        if (exists && !slot.Grabbed)
            continue;
        // A grab replaces a picture file under its name; a file of a format the catalog
        // cannot show gives way to a new bitmap instead of holding one under a wrong name.
        const bool reuse =
            exists
            && (IsJpegName(slot.Path)
                || QFileInfo(slot.Path).suffix().compare("bmp"_L1, Qt::CaseInsensitive) == 0);
        const QString path = reuse ? slot.Path : NewSlotPath(i + 1);
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder)) {
            failures << path + u": "_s + Text(1429, u"The folder cannot be created."_s);
            continue;
        }
        // The name decides how the picture is read back, so it also decides the format: a
        // grab into an existing ".jpg" file stays a JPEG file.
        const QByteArray bytes =
            IsJpegName(path) ? slot.Picture.ToJpeg(JpegQuality) : slot.Picture.ToBmp();
        QSaveFile file(path);
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()
            || !file.commit()) {
            failures << path + u": "_s + file.errorString();
            continue;
        }
        slot.Path = path;
        slot.Grabbed = false;
    }
    if (failures.isEmpty())
        return true;
    const QString text =
        Text(1428, u"The screenshot could not be written:\n%1"_s).arg(failures.join(u'\n'));
    if (m_reportError)
        m_reportError(Text(1802, u"Error"_s), text);
    else
        QMessageBox::critical(this, Text(1802, u"Error"_s), text);
    return false;
}
