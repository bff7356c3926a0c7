// The picture parts the movie and person cards share: hover buttons, the poster or photo
// actions and the picture viewer.
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include "catalog/dbitem.h"
#include "catalog/image.h"
#include "catalog/textutils.h"
#include "views/cardframe.h"
#include "views/cardwidgets_p.h"
#include "views/imageqt.h"
#include "views/picview.h"
#include "views/storablepicture.h"

using namespace Qt::StringLiterals;

void TCardFrame::WatchHover(QWidget *widget, int area)
{
    if (!m_imgTimer) {
        m_imgTimer = new QTimer(this);
        m_imgTimer->setObjectName(u"ImgTimer"_s);
        m_imgTimer->setSingleShot(true);
        m_imgTimer->setInterval(m_hoverDelay);
        connect(m_imgTimer, &QTimer::timeout, this, [this] {
            if (m_record)
                ShowHoverButtons(m_hoverArea);
        });
    }
    widget->installEventFilter(this);
    m_hoverWidgets.emplace_back(widget, area);
}

void TCardFrame::SetHoverDelay(int milliseconds)
{
    m_hoverDelay = milliseconds;
    if (m_imgTimer)
        m_imgTimer->setInterval(milliseconds);
}

bool TCardFrame::HoverEvent(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Enter && event->type() != QEvent::Leave)
        return false;
    for (const auto &[widget, area] : m_hoverWidgets) {
        if (widget == watched) {
            // Moving from an area onto one of its buttons leaves and enters again; the
            // timer only acts on the last of them.
            m_hoverArea = event->type() == QEvent::Enter ? area : 0;
            m_imgTimer->start();
            return true;
        }
    }
    return false;
}

QToolButton *TCardFrame::NewPictureButton(QWidget *panel,
                                          const QString &name,
                                          const QString &iconName,
                                          int hintNumber,
                                          const QString &hint)
{
    auto *button = new QToolButton(panel);
    button->setObjectName(name);
    // Desktops without an icon theme still get a recognisable picture from the style.
    static const std::pair<const char *, QStyle::StandardPixmap> fallbacks[] = {
        {"document-open", QStyle::SP_DirOpenIcon},
        {"document-save", QStyle::SP_DialogSaveButton},
        {"edit-delete", QStyle::SP_TrashIcon},
        {"internet-web-browser", QStyle::SP_ArrowDown},
        {"camera-photo", QStyle::SP_MediaPlay},
    };
    QIcon fallback;
    for (const auto &[theme, pixmap] : fallbacks) {
        if (iconName == QLatin1StringView(theme))
            fallback = style()->standardIcon(pixmap);
    }
    button->setIcon(QIcon::fromTheme(iconName, fallback));
    button->setIconSize(QSize(16, 16));
    button->resize(25, 25);
    button->setFocusPolicy(Qt::NoFocus);
    button->hide();
    SetHint(button, hintNumber, hint);
    return button;
}

TImage TCardFrame::ReadPictureFile(const QString &file)
{
    if (TImage::FormatOfName(file) == TImageFormat::None)
        return {};
    TImage image = TImage::Load(file);
    if (image.IsNull() && m_host)
        m_host->ShowCardError(Text(473, u"The picture file %1 cannot be read."_s)
                                  .arg(QDir::toNativeSeparators(file)));
    return image;
}

QToolButton *TCardFrame::NewHoverButton(QWidget *panel,
                                        const QString &name,
                                        const QString &iconName,
                                        int hintNumber,
                                        const QString &hint,
                                        int area,
                                        std::function<void()> action)
{
    QToolButton *button = NewPictureButton(panel, name, iconName, hintNumber, hint);
    WatchHover(button, area);
    connect(button, &QToolButton::clicked, this, std::move(action));
    return button;
}

void TCardFrame::BrowsePicture(TPicturePanel *panel)
{
    if (!m_record || !m_host || m_readOnly)
        return;
    StorePictureFile(panel, m_host->AskPictureFile(false, QString()));
}

std::optional<TStorablePicture> TCardFrame::StorablePicture(const QString &file, bool keepsPath)
{
    TStorablePicture picture(file);
    if (picture.Path().isEmpty()) {
        if (m_host)
            m_host->ShowCardError(Text(473, u"The picture file %1 cannot be read."_s)
                                      .arg(QDir::toNativeSeparators(file)));
        return std::nullopt;
    }
    if (picture.IsCopy() && keepsPath) {
        if (m_host)
            m_host->ShowCardError(
                Text(3790,
                     u"%1 is kept as a JPEG copy beside the catalog: save the catalog first."_s)
                    .arg(QDir::toNativeSeparators(file)));
        return std::nullopt;
    }
    return picture;
}

void TCardFrame::StorePictureFile(TPicturePanel *panel, const QString &file)
{
    if (!m_record || m_readOnly || file.isEmpty())
        return;
    // The record copies or encodes what it needs before the copy goes.
    const std::optional<TStorablePicture> picture = StorablePicture(file);
    if (!picture)
        return;
    const QString source = picture->Path();
    const TImageFormat format = TImage::FormatOfName(source);
    const TImage image = ReadPictureFile(source);
    if (image.IsNull())
        return;
    const bool external = m_settings.ExternalPosters;
    emit PictureChanging();
    m_record->SetPicture(
        &image, format, external ? source : QString(), external ? 3 : static_cast<int>(format));
    SetPicture(panel, image);
    Relayout(true);
    emit PictureStored();
}

void TCardFrame::ClearPicture(TPicturePanel *panel)
{
    if (!m_record || m_readOnly)
        return;
    emit PictureChanging();
    SetPicture(panel, TImage());
    m_record->SetPicture(nullptr, TImageFormat::None, QString(), 0);
    Relayout(true);
    emit PictureStored();
}

void TCardFrame::SavePicture()
{
    if (!m_record || !m_host)
        return;
    const TImage image = m_record->Picture();
    if (image.IsNull())
        return;
    const bool bmp = image.Format() == TImageFormat::Bmp;
    const QString proposed =
        SanitizeFileName(m_record->PictureName()) + (bmp ? u".bmp"_s : u".jpg"_s);
    const QString file = m_host->AskPictureFile(true, proposed);
    if (file.isEmpty())
        return;
    // The picture's own bytes: a JPEG is not encoded again.
    const QByteArray bytes = !image.Encoded().isEmpty() ? image.Encoded()
                             : bmp                      ? image.ToBmp()
                                                        : image.ToJpeg();
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()
        || !out.flush())
        m_host->ShowCardError(Text(474, u"The picture cannot be written to %1: %2"_s)
                                  .arg(QDir::toNativeSeparators(file), out.errorString()));
}

void TCardFrame::OpenViewer(const QImage &image)
{
    if (image.isNull())
        return;
    auto *view = new TPicView(image, window());
    view->show();
}
