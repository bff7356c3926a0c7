#include "app/widefiledialog.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHash>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include "views/languagewide.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int RowHeight = 32;
constexpr int Indent = 20;
constexpr int SmallIcon = 16;
// Polling interval of the mount table when its change notification is not available.
constexpr int MountPollMs = 2000;

// Listing a folder may take a while on slow media.
class TWaitCursor
{
public:
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;
};

// The link overlay: the theme's emblem, or a small arrow where the theme has none.
QIcon WithLinkOverlay(const QIcon &base)
{
    const QIcon emblem = QIcon::fromTheme(u"emblem-symbolic-link"_s);
    QIcon result;
    for (const int size : {SmallIcon, 24, 32}) {
        QPixmap pixmap = base.pixmap(size, size);
        if (pixmap.isNull())
            continue;
        QPainter painter(&pixmap);
        const int side = size / 2;
        const QRect corner(0, size - side, side, side);
        if (!emblem.isNull()) {
            emblem.paint(&painter, corner);
        } else {
            painter.fillRect(corner, Qt::white);
            painter.setPen(QPen(Qt::black, 1));
            painter.drawRect(corner.adjusted(0, 0, -1, -1));
            painter.drawLine(corner.bottomLeft() + QPoint(2, -2),
                             corner.topRight() + QPoint(-2, 2));
            painter.drawLine(corner.topRight() + QPoint(-2, 2), corner.topRight() + QPoint(-5, 2));
            painter.drawLine(corner.topRight() + QPoint(-2, 2), corner.topRight() + QPoint(-2, 5));
        }
        result.addPixmap(pixmap);
    }
    return result.isNull() ? base : result;
}

// Rows of a fixed height with a grid line below each.
class TRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(RowHeight);
        return size;
    }
    void paint(QPainter *painter,
               const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

// Typed characters go to the picker's own type-ahead instead of the view's.
class TPickerView : public QTreeView
{
public:
    using QTreeView::QTreeView;
    std::function<void(const QString &)> OnTyped;

    void keyboardSearch(const QString &search) override
    {
        if (OnTyped)
            OnTyped(search);
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // "*" would open every folder below the item, which on the file system root means
        // the whole disk: here it is a typed character like any other.
        if (event->key() == Qt::Key_Asterisk) {
            keyboardSearch(event->text());
            event->accept();
            return;
        }
        QTreeView::keyPressEvent(event);
    }
};

QString WithSlash(const QString &path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

// A path as typed or pasted into the path box: a file address (what file managers copy),
// "~" for the home folder, quotes around it, or relative to `base`.
QString TypedPath(QString text, const QString &base)
{
    text = text.trimmed();
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'')
        && text.back() == text.front())
        text = text.mid(1, text.size() - 2);
    if (text.startsWith(u"file:"_s, Qt::CaseInsensitive)) {
        const QUrl url(text);
        if (url.isLocalFile())
            return QDir::cleanPath(url.toLocalFile());
    }
    if (text == u"~"_s || text.startsWith(u"~/"_s))
        text = QDir::homePath() + text.mid(1);
    return QDir::cleanPath(QDir(base).absoluteFilePath(text));
}

} // namespace

// The item model over the picker's tree: folders are listed when the view expands them.
class TPickerModel : public QAbstractItemModel, public IPickerTreeObserver
{
public:
    TPickerModel(TPickerTree &tree, QObject *parent)
        : QAbstractItemModel(parent)
        , m_tree(tree)
    {
        m_tree.SetObserver(this);
    }
    ~TPickerModel() override { m_tree.SetObserver(nullptr); }

    // Decides the open folder icon.
    std::function<bool(const QModelIndex &)> IsExpanded;

    TPickerNode *NodeOf(const QModelIndex &index) const
    {
        return index.isValid() ? static_cast<TPickerNode *>(index.internalPointer()) : nullptr;
    }
    QModelIndex IndexOf(TPickerNode *node) const
    {
        return node ? createIndex(node->Row, 0, node) : QModelIndex();
    }

    QModelIndex index(int row, int column, const QModelIndex &parent) const override
    {
        if (column != 0 || row < 0)
            return {};
        if (!parent.isValid())
            return row == 0 ? IndexOf(m_tree.Desktop()) : QModelIndex();
        const TPickerNode *node = NodeOf(parent);
        if (size_t(row) >= node->Children.size())
            return {};
        return IndexOf(node->Children[size_t(row)].get());
    }
    QModelIndex parent(const QModelIndex &child) const override
    {
        const TPickerNode *node = NodeOf(child);
        return node ? IndexOf(node->Parent) : QModelIndex();
    }
    int rowCount(const QModelIndex &parent) const override
    {
        if (!parent.isValid())
            return 1;
        return parent.column() == 0 ? int(NodeOf(parent)->Children.size()) : 0;
    }
    int columnCount(const QModelIndex &) const override { return 1; }
    bool hasChildren(const QModelIndex &parent) const override
    {
        const TPickerNode *node = NodeOf(parent);
        if (!node)
            return true;
        // Unlisted folders look expandable; a listing that yields nothing shows no children.
        return node->IsFolder() && (!node->Listed || !node->Children.empty());
    }
    bool canFetchMore(const QModelIndex &parent) const override
    {
        const TPickerNode *node = NodeOf(parent);
        return node && node->IsFolder() && !node->Listed;
    }
    void fetchMore(const QModelIndex &parent) override
    {
        TWaitCursor wait;
        m_tree.EnsureListed(NodeOf(parent));
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const TPickerNode *node = NodeOf(index);
        if (!node)
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return node->DisplayName;
        case Qt::ToolTipRole:
            return node->ParsingName.isEmpty() ? QVariant() : QVariant(node->ParsingName);
        case Qt::DecorationRole:
            return IconOf(node, IsExpanded && IsExpanded(index));
        default:
            return {};
        }
    }

    void BeginInsert(TPickerNode *parent, int first, int last) override
    {
        beginInsertRows(IndexOf(parent), first, last);
    }
    void EndInsert() override { endInsertRows(); }
    void BeginRemove(TPickerNode *parent, int first, int last) override
    {
        beginRemoveRows(IndexOf(parent), first, last);
    }
    void EndRemove() override { endRemoveRows(); }
    void NodeChanged(TPickerNode *node) override
    {
        const QModelIndex index = IndexOf(node);
        emit dataChanged(index, index);
    }

private:
    QIcon IconOf(const TPickerNode *node, bool open) const
    {
        using TKind = TPickerNode::TKind;
        const bool isHome = node->Kind == TKind::Place && node->Row == 0;
        QString key;
        switch (node->Kind) {
        case TKind::Desktop:
            key = u"desktop"_s;
            break;
        case TKind::Drives:
            key = u"computer"_s;
            break;
        case TKind::Volume:
            key = u"drive"_s;
            break;
        case TKind::Place:
            key = isHome ? u"home"_s : u"drive"_s;
            break;
        case TKind::Folder:
            key = open ? u"open"_s : u"folder"_s;
            break;
        case TKind::File:
            // Icons follow the file type, which the name's suffix decides for nearly all files.
            key = u"file:"_s + QFileInfo(node->ParsingName).suffix().toLower();
            break;
        }
        if (node->IsLink)
            key += u":link"_s;
        auto cached = m_icons.constFind(key);
        if (cached != m_icons.constEnd())
            return *cached;

        QIcon icon;
        const QIcon folder = m_provider.icon(QFileIconProvider::Folder);
        switch (node->Kind) {
        case TKind::Desktop:
            icon = m_provider.icon(QFileIconProvider::Desktop);
            break;
        case TKind::Drives:
            icon = m_provider.icon(QFileIconProvider::Computer);
            break;
        case TKind::Volume:
            icon = m_provider.icon(QFileIconProvider::Drive);
            break;
        case TKind::Place:
            icon = isHome ? QIcon::fromTheme(u"user-home"_s, folder)
                          : m_provider.icon(QFileIconProvider::Drive);
            break;
        case TKind::Folder:
            icon = open ? QIcon::fromTheme(u"folder-open"_s, folder) : folder;
            break;
        case TKind::File:
            icon = m_provider.icon(QFileInfo(node->ParsingName));
            break;
        }
        if (node->IsLink)
            icon = WithLinkOverlay(icon);
        m_icons.insert(key, icon);
        return icon;
    }

    TPickerTree &m_tree;
    QFileIconProvider m_provider;
    mutable QHash<QString, QIcon> m_icons;
};

// ----- TWideFileDialog ---------------------------------------------------------------------

TWideFileDialog::TWideFileDialog(const TPickerOptions &options,
                                 QWidget *parent,
                                 TPickerPlaces places)
    : QDialog(parent)
    , m_language(options.Language)
    , m_startFolder(options.StartFolder)
{
    setObjectName(u"TWideFileDialog"_s);
    setWindowTitle(u"Select directory or file(s)"_s);
    setProperty(TagProperty, 1300);
    resize(420, 520);

    if (options.Language) {
        places.HomeName = options.Language->Caption(1302, places.HomeName);
        places.RootName = options.Language->Caption(1303, places.RootName);
        places.DrivesName = options.Language->Caption(1304, places.DrivesName);
    }
    m_tree = std::make_unique<TPickerTree>(std::move(places), options.ShowFloppy);

    auto *view = new TPickerView(this);
    view->OnTyped = [this](const QString &typed) { TypeAhead(typed); };
    m_view = view;
    m_view->setObjectName(u"FileTree"_s);
    m_view->setHeaderHidden(true);
    m_view->setUniformRowHeights(true);
    m_view->setIndentation(Indent);
    m_view->setIconSize(QSize(SmallIcon, SmallIcon));
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setAllColumnsShowFocus(true);
    m_view->setTextElideMode(Qt::ElideRight);
    m_view->setItemDelegate(new TRowDelegate(m_view));
    m_model = new TPickerModel(*m_tree, this);
    m_model->IsExpanded = [this](const QModelIndex &index) { return m_view->isExpanded(index); };
    m_view->setModel(m_model);

    // A path typed or pasted here is quicker than walking the tree to it.
    auto *pathLabel = new QLabel(u"&Path:"_s, this);
    pathLabel->setObjectName(u"PathLbl"_s);
    pathLabel->setProperty(TagProperty, 3720);
    m_pathEdit = new QLineEdit(this);
    m_pathEdit->setObjectName(u"PathEdit"_s);
    m_pathEdit->setClearButtonEnabled(true);
    m_pathEdit->setPlaceholderText(
        m_language
            ? m_language->Caption(3721, u"Type or paste a folder or file, then press Enter"_s)
            : u"Type or paste a folder or file, then press Enter"_s);
    m_pathEdit->installEventFilter(this);
    pathLabel->setBuddy(m_pathEdit);
    m_pathError = new QLabel(this);
    m_pathError->setObjectName(u"PathError"_s);
    m_pathError->setWordWrap(true);
    m_pathError->hide();

    m_appendBox = new QCheckBox(u"Add to existing files"_s, this);
    m_appendBox->setObjectName(u"AppendBox"_s);
    m_appendBox->setProperty(TagProperty, 1301);
    m_ok = new QPushButton(u"&OK"_s, this);
    m_ok->setObjectName(u"OKBtn"_s);
    m_ok->setProperty(TagProperty, 1750);
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    auto *cancel = new QPushButton(u"&Cancel"_s, this);
    cancel->setObjectName(u"CancelBtn"_s);
    cancel->setProperty(TagProperty, 1751);
    cancel->setAutoDefault(false);

    auto *row = new QHBoxLayout;
    row->addWidget(m_appendBox);
    row->addStretch();
    row->addWidget(m_ok);
    row->addWidget(cancel);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(m_pathEdit, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addWidget(m_pathError);
    layout->addWidget(m_view, 1);
    layout->addLayout(row);

    connect(m_ok, &QPushButton::clicked, this, &TWideFileDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &TWideFileDialog::reject);
    connect(m_view->selectionModel(),
            &QItemSelectionModel::currentChanged,
            this,
            &TWideFileDialog::FocusChanged);
    connect(m_view->selectionModel(),
            &QItemSelectionModel::selectionChanged,
            this,
            &TWideFileDialog::SelectionChanged);
    connect(m_view, &QTreeView::doubleClicked, this, &TWideFileDialog::DoubleClicked);

    if (options.Language)
        Translate(*options.Language, this);
}

TWideFileDialog::~TWideFileDialog()
{
    // The view and the model go before the tree they point into.
    delete m_view;
    delete m_model;
}

void TWideFileDialog::SetExtensions(const QString &extensions)
{
    m_tree->SetExtensions(extensions);
}

void TWideFileDialog::SetAppend(bool allow, bool append)
{
    m_appendBox->setEnabled(allow);
    m_appendBox->setChecked(append);
}

bool TWideFileDialog::Append() const
{
    return m_appendBox->isEnabled() && m_appendBox->isChecked();
}

void TWideFileDialog::SetClock(TTypeAhead::TClock clock)
{
    m_typeAhead.SetClock(std::move(clock));
}

QModelIndex TWideFileDialog::IndexOf(TPickerNode *node) const
{
    return m_model->IndexOf(node);
}

TPickerNode *TWideFileDialog::NodeAt(const QModelIndex &index) const
{
    return m_model->NodeOf(index);
}

void TWideFileDialog::SelectOnly(TPickerNode *node)
{
    const QModelIndex index = IndexOf(node);
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TWideFileDialog::FocusChanged()
{
    m_ok->setEnabled(TPickerTree::OkAllowed(NodeAt(m_view->currentIndex())));
}

// Several items may be selected, but only of one folder: the focused item's.
void TWideFileDialog::SelectionChanged()
{
    const QModelIndex current = m_view->currentIndex();
    if (m_fixingSelection || !current.isValid())
        return;
    QItemSelection outside;
    for (const QModelIndex &index : m_view->selectionModel()->selectedIndexes()) {
        if (index.parent() != current.parent())
            outside.select(index, index);
    }
    if (outside.isEmpty())
        return;
    m_fixingSelection = true;
    m_view->selectionModel()->select(outside, QItemSelectionModel::Deselect);
    m_fixingSelection = false;
}

void TWideFileDialog::DoubleClicked(const QModelIndex &)
{
    // The view itself expands or collapses folders; a file is taken at once.
    const TPickerNode *focused = NodeAt(m_view->currentIndex());
    if (m_ok->isEnabled() && focused && QFileInfo(focused->ParsingName).isFile())
        accept();
}

void TWideFileDialog::TypeAhead(const QString &typed)
{
    for (const QChar ch : typed) {
        const QString text = m_typeAhead.Feed(ch);
        const QModelIndex current = m_view->currentIndex();
        TPickerNode *found = m_tree->FindByPrefix(
            text, NodeAt(current), current.isValid() && m_view->isExpanded(current));
        if (!found)
            continue;
        SelectOnly(found);
        m_view->scrollTo(IndexOf(found));
    }
}

void TWideFileDialog::accept()
{
    if (!m_ok->isEnabled())
        return;
    {
        TWaitCursor wait;
        std::vector<TPickerNode *> selected;
        for (const QModelIndex &index : m_view->selectionModel()->selectedRows())
            selected.push_back(NodeAt(index));
        m_result = m_tree->Collect(std::move(selected)).join(u'|');
        m_lastFolder = TPickerTree::LastFolder(
            NodeAt(m_view->currentIndex()), !m_result.isEmpty(), m_startFolder);
    }
    QDialog::accept();
}

void TWideFileDialog::OpenAtStartFolder()
{
    if (m_startFolder.isEmpty())
        return;
    TWaitCursor wait;
    m_view->setUpdatesEnabled(false);
    m_view->expand(m_model->index(0, 0, {}));
    if (TPickerNode *found = m_tree->FindStartFolder(m_startFolder))
        ShowFolder(found);
    m_view->setUpdatesEnabled(true);
}

void TWideFileDialog::ShowFolder(TPickerNode *node)
{
    const QModelIndex index = IndexOf(node);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        m_view->expand(up);
    m_view->expand(index);
    SelectOnly(node);
    m_view->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TWideFileDialog::GoToTypedPath()
{
    if (m_pathEdit->text().trimmed().isEmpty())
        return;
    // Relative paths start from the focused folder.
    const TPickerNode *focused = NodeAt(m_view->currentIndex());
    QString base = QDir::homePath();
    if (focused && !focused->ParsingName.isEmpty())
        base = focused->IsFolder() ? focused->ParsingName
                                   : QFileInfo(focused->ParsingName).absolutePath();
    const QString path = TypedPath(m_pathEdit->text(), base);
    const QFileInfo info(path);
    if (!info.exists()) {
        ShowPathError(3722, u"%1 does not exist."_s, path);
        return;
    }
    if (!info.isDir()) {
        if (!m_tree->AllowsFile(path)) {
            ShowPathError(3723, u"%1 cannot be chosen here."_s, path);
            return;
        }
        // A typed file is taken as it is, even where the tree does not list it (a hidden
        // folder).
        m_pathError->hide();
        m_result = path;
        m_lastFolder = WithSlash(info.absolutePath());
        QDialog::accept();
        return;
    }
    TWaitCursor wait;
    TPickerNode *found = m_tree->FindStartFolder(path);
    if (!found) {
        ShowPathError(3724, u"%1 is not on any drive the tree shows."_s, path);
        return;
    }
    ShowFolder(found);
    // The walk stops at the last folder the tree lists (hidden folders are not).
    if (WithSlash(found->ParsingName) == WithSlash(path))
        m_pathError->hide();
    else
        ShowPathError(3725, u"%1 is not in the tree; the nearest folder is shown."_s, path);
    m_view->setFocus();
}

void TWideFileDialog::ShowPathError(int number, const QString &fallback, const QString &path)
{
    const QString text = m_language ? m_language->Caption(number, fallback) : fallback;
    m_pathError->setText(text.arg(QDir::toNativeSeparators(path)));
    m_pathError->show();
}

bool TWideFileDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pathEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        // Enter goes to the path, not to the dialog's default OK button.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            GoToTypedPath();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TWideFileDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_typeAhead.Clear();
    OpenAtStartFolder();
    FocusChanged();
    StartMountWatch();
}

void TWideFileDialog::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        StopMountWatch();
    QDialog::hideEvent(event);
}

// The kernel marks /proc/self/mounts with a priority event whenever something is mounted
// or unmounted; a file system watcher sees nothing there.
void TWideFileDialog::StartMountWatch()
{
    if (m_mounts || m_mountTimer)
        return;
    m_mounts = new QFile(u"/proc/self/mounts"_s, this);
    if (m_mounts->open(QIODevice::ReadOnly)) {
        m_mountNotifier = new QSocketNotifier(m_mounts->handle(), QSocketNotifier::Exception, this);
        connect(m_mountNotifier, &QSocketNotifier::activated, this, [this] { CheckVolumes(); });
        return;
    }
    delete m_mounts;
    m_mounts = nullptr;
    m_mountTimer = new QTimer(this);
    m_mountTimer->setInterval(MountPollMs);
    connect(m_mountTimer, &QTimer::timeout, this, [this] { CheckVolumes(); });
    m_mountTimer->start();
}

void TWideFileDialog::StopMountWatch()
{
    delete m_mountNotifier;
    m_mountNotifier = nullptr;
    delete m_mounts;
    m_mounts = nullptr;
    delete m_mountTimer;
    m_mountTimer = nullptr;
}

void TWideFileDialog::CheckVolumes()
{
    // Collapsed, an item lists the new medium when it is opened again.
    m_tree->UpdateVolumes([this](TPickerNode *node) { m_view->collapse(IndexOf(node)); });
    // Discarded children may have held the focus.
    FocusChanged();
}

// ----- PickFiles ---------------------------------------------------------------------------

bool PickFiles(QWidget *parent,
               const TPickerOptions &options,
               bool allowAppend,
               bool &append,
               const QString &extensions,
               QString &result,
               QString &lastFolder)
{
    result.clear();
    // The parent may be closed while the dialog's loop runs and take the dialog along.
    QPointer<TWideFileDialog> dialog = new TWideFileDialog(options, parent);
    dialog->SetExtensions(extensions);
    dialog->SetAppend(allowAppend, append);
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    if (!dialog)
        return false;
    if (accepted) {
        result = dialog->Result();
        append = dialog->Append();
        lastFolder = dialog->LastFolder();
    }
    delete dialog.data();
    return accepted;
}
