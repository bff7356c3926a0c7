#include "app/selform.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/recorddialogs.h"
#include "catalog/ansi.h"
#include "catalog/image.h"
#include "host/linkpolicy.h"
#include "host/webpicture.h"
#include "host/webtext.h"
#include "views/imageqt.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int PictureContent = 3;

// The program draws its own placeholders, so the dialog needs no picture files.
QPixmap Placeholder(bool reload)
{
    QPixmap pixmap(100, TSelForm::PreviewHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(reload ? QColor(0x30, 0x60, 0xC0) : QColor(Qt::gray), 4));
    const QRectF circle(25, 45, 50, 50);
    if (reload) {
        // A circular arrow: click to try again.
        painter.drawArc(circle, 60 * 16, 300 * 16);
        painter.setBrush(painter.pen().color());
        const QPointF tip(circle.center().x() + 12, circle.top() + 3);
        painter.drawPolygon(
            QPolygonF({tip + QPointF(-8, -8), tip + QPointF(8, 0), tip + QPointF(-8, 8)}));
    } else {
        // Three dots: still loading.
        painter.setBrush(painter.pen().color());
        for (int i = 0; i < 3; ++i)
            painter.drawEllipse(QPointF(30 + i * 20, 70), 4, 4);
    }
    return pixmap;
}

} // namespace

TSelForm::TSelForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"SelForm"_s);
    resize(480, 420);
    m_list = new QListWidget(this);
    m_list->setObjectName(u"ResultList"_s);
    m_list->setIconSize(QSize(100, PreviewHeight));
    m_list->setWordWrap(true);
    m_browseLink = new QLabel(this);
    m_browseLink->setObjectName(u"BrowseLink"_s);
    m_browseLink->setText(u"<a href=\"#\">Click here to open download page in browser</a>"_s);
    m_browseLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse
                                          | Qt::LinksAccessibleByKeyboard);
    m_browseLink->hide();
    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    m_ok->setObjectName(u"OKBtn"_s);
    m_ok->setEnabled(false);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(u"CancelBtn"_s);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_browseLink);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &TSelForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TSelForm::reject);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &TSelForm::SelectionChanged);
    connect(m_list, &QListWidget::itemClicked, this, &TSelForm::ItemClicked);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    connect(m_browseLink, &QLabel::linkActivated, this, [this] {
        const QString url = FromAnsi(BrowseUrl());
        if (m_open) {
            m_open(this, url);
            return;
        }
        const QUrl target = TRecordDialogs::DesktopUrl(url);
        if (target.isEmpty())
            return;
        const TLinkDecision decision = TLinkPolicy::Decide(target, TLinkUse::Link);
        if (decision.Verdict == TLinkVerdict::Open
            || TRecordDialogs::AskOpenTarget(this, decision, nullptr))
            TRecordDialogs::OpenWithDesktop(url);
    });
}

void TSelForm::SetEntries(const QString &caption,
                          const QList<TWebResultEntry> &entries,
                          const QByteArray &referrer)
{
    ++m_generation;
    setWindowTitle(caption);
    m_list->clear();
    m_entries = entries;
    m_referrer = referrer;
    m_states.fill(TPreviewState::None, entries.size());
    m_chosen.reset();
    for (const TWebResultEntry &entry : entries)
        new QListWidgetItem(DecodeHtmlText(entry.title), m_list);
    for (int row = 0; row < entries.size(); ++row) {
        if (!entries[row].pictureUrl.isEmpty())
            FetchPreview(row);
    }
    SelectionChanged();
}

QByteArray TSelForm::BrowseUrl() const
{
    const int row = m_list->currentRow();
    return row >= 0 && row < m_entries.size() && m_list->currentItem()->isSelected()
               ? m_entries[row].browseUrl
               : QByteArray();
}

void TSelForm::FetchPreview(int row)
{
    QListWidgetItem *item = m_list->item(row);
    item->setIcon(Placeholder(false));
    item->setSizeHint(QSize(-1, PreviewHeight));
    m_states[row] = TPreviewState::Loading;
    if (!m_fetch)
        return;
    QPointer<TSelForm> self(this);
    const int generation = m_generation;
    m_fetch(m_entries[row].pictureUrl,
            m_referrer,
            [self, generation, row](bool ok, const QByteArray &body, int contentType) {
                // The dialog may be gone or refilled by the time a preview arrives.
                if (self && self->m_generation == generation)
                    self->PreviewArrived(row, ok, body, contentType);
            });
}

void TSelForm::PreviewArrived(int row, bool ok, const QByteArray &body, int contentType)
{
    QListWidgetItem *item = m_list->item(row);
    if (!item)
        return;
    if (!ok) {
        item->setIcon(Placeholder(true));
        m_states[row] = TPreviewState::Failed;
        return;
    }
    const TImage image = contentType == PictureContent ? DecodeWebPicture(body) : TImage();
    if (image.IsNull()) {
        // Another kind of picture (or a broken one): the row stays without a picture.
        item->setIcon({});
        item->setSizeHint({});
        m_states[row] = TPreviewState::None;
        return;
    }
    item->setIcon(QPixmap::fromImage(ImageView(image).scaled(
        m_list->iconSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_states[row] = TPreviewState::Shown;
}

void TSelForm::ItemClicked(QListWidgetItem *item)
{
    const int row = m_list->row(item);
    if (row >= 0 && row < m_states.size() && m_states[row] == TPreviewState::Failed)
        FetchPreview(row);
}

void TSelForm::SelectionChanged()
{
    const int row = m_list->currentRow();
    const bool selected = row >= 0 && row < m_entries.size() && m_list->currentItem()->isSelected();
    m_ok->setEnabled(selected);
    m_browseLink->setVisible(selected && !m_entries[row].url.isEmpty()
                             && !m_entries[row].browseUrl.isEmpty());
}

void TSelForm::accept()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_entries.size() || !m_list->currentItem()->isSelected())
        return;
    m_chosen = row;
    QDialog::accept();
}

void TSelForm::reject()
{
    m_chosen.reset();
    QDialog::reject();
}

TResultChoice TSelForm::Choose(QWidget *parent,
                               const QString &caption,
                               const QList<TWebResultEntry> &entries,
                               const QByteArray &referrer,
                               TPreviewFetch fetch,
                               TUrlOpener open)
{
    TSelForm form(parent);
    form.SetPreviewFetch(std::move(fetch));
    if (open)
        form.SetUrlOpener(std::move(open));
    form.SetEntries(caption, entries, referrer);
    form.exec();
    return {form.Chosen(), form.Chosen() ? QByteArray() : form.BrowseUrl()};
}
