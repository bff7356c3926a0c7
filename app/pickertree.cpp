#include "app/pickertree.h"

#include <algorithm>
#include <chrono>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

namespace {

QString WithSlash(const QString &path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

// The extension of the last path element, dot included, from its last dot; empty when
// there is none. A folder's trailing "/" is ignored.
QString ExtensionOf(QStringView path)
{
    if (path.endsWith(u'/'))
        path.chop(1);
    const QStringView name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot).toString();
}

void Renumber(TPickerNode *parent)
{
    for (size_t i = 0; i < parent->Children.size(); ++i)
        parent->Children[i]->Row = int(i);
}

// Index paths from the root, so items of different folders can be put in tree order.
std::vector<int> RowPath(const TPickerNode *node)
{
    std::vector<int> rows;
    for (; node; node = node->Parent)
        rows.push_back(node->Row);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

bool IsFloppy(const TPickerVolume &volume)
{
    return volume.Device.startsWith(u"/dev/fd"_s);
}

} // namespace

QList<TPickerVolume> SystemPickerVolumes()
{
    QList<TPickerVolume> volumes;
    auto add = [&volumes](const QStorageInfo &storage) {
        if (!storage.isValid())
            return;
        const QString mountPoint = storage.rootPath();
        // Containers and sandboxes bind single files over the tree; they are no volumes.
        if (!QFileInfo(mountPoint).isDir())
            return;
        TPickerVolume volume{mountPoint, QString::fromLocal8Bit(storage.device()), storage.name()};
        // A later mount on the same point lies on top and is the one that is seen.
        auto same = std::find_if(volumes.begin(), volumes.end(), [&](const TPickerVolume &v) {
            return v.MountPoint == mountPoint;
        });
        if (same != volumes.end())
            *same = volume;
        else
            volumes.append(volume);
    };
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes())
        add(storage);
    const bool hasRoot = std::any_of(volumes.begin(), volumes.end(), [](const TPickerVolume &v) {
        return v.MountPoint == u"/"_s;
    });
    if (!hasRoot)
        add(QStorageInfo::root());
    return volumes;
}

// ----- TPickerTree -------------------------------------------------------------------------

TPickerTree::TPickerTree(TPickerPlaces places, bool showFloppy)
    : m_places(std::move(places))
    , m_showFloppy(showFloppy)
{
    if (m_places.Home.isEmpty())
        m_places.Home = QDir::homePath();
    m_desktop = std::make_unique<TPickerNode>();
    m_desktop->Kind = TPickerNode::TKind::Desktop;
    m_desktop->DisplayName = u"Desktop"_s;
    // The floppy roots are needed to filter every listing, not only the drives folder's.
    m_volumes = ReadVolumes();
}

TPickerTree::~TPickerTree() = default;

void TPickerTree::SetExtensions(const QString &extensions)
{
    m_extensions.clear();
    m_allFiles = false;
    for (QString entry : extensions.split(u';')) {
        entry = entry.trimmed().toLower();
        if (entry == u"*"_s || entry == u"*.*"_s) {
            m_allFiles = true;
            continue;
        }
        if (entry.startsWith(u'*'))
            entry.remove(0, 1);
        if (entry.isEmpty())
            continue;
        if (!entry.startsWith(u'.'))
            entry.prepend(u'.');
        m_extensions.append(entry);
    }
}

bool TPickerTree::AllowsFile(const QString &path) const
{
    const QString extension = ExtensionOf(path);
    return extension.isEmpty() || m_allFiles || m_extensions.contains(extension.toLower());
}

TPickerNode *TPickerTree::Drives()
{
    EnsureListed(m_desktop.get());
    for (const auto &child : m_desktop->Children) {
        if (child->Kind == TPickerNode::TKind::Drives)
            return child.get();
    }
    return nullptr;
}

bool TPickerTree::Before(const TPickerNode &a, const TPickerNode &b)
{
    if (a.IsFolder() != b.IsFolder())
        return a.IsFolder();
    const int order = NaturalCompare(a.DisplayName.toLower(), b.DisplayName.toLower());
    if (order != 0)
        return order < 0;
    return a.ParsingName < b.ParsingName;
}

QList<TPickerVolume> TPickerTree::ReadVolumes()
{
    QList<TPickerVolume> volumes = m_places.Volumes ? m_places.Volumes() : SystemPickerVolumes();
    m_floppyRoots.clear();
    for (const TPickerVolume &volume : volumes) {
        if (IsFloppy(volume))
            m_floppyRoots.append(WithSlash(volume.MountPoint));
    }
    return volumes;
}

bool TPickerTree::LeftOut(const QString &parsingName) const
{
    if (m_showFloppy)
        return false;
    return std::any_of(m_floppyRoots.begin(), m_floppyRoots.end(), [&](const QString &root) {
        return parsingName.startsWith(root);
    });
}

std::unique_ptr<TPickerNode> TPickerTree::VolumeNode(const TPickerVolume &volume) const
{
    auto node = std::make_unique<TPickerNode>();
    node->Kind = TPickerNode::TKind::Volume;
    node->ParsingName = WithSlash(volume.MountPoint);
    node->DisplayName = volume.Label.isEmpty() ? volume.MountPoint
                                               : volume.Label + u" ("_s + volume.MountPoint + u')';
    node->IsFileSystem = true;
    return node;
}

std::vector<std::unique_ptr<TPickerNode>> TPickerTree::ReadChildren(TPickerNode *node)
{
    std::vector<std::unique_ptr<TPickerNode>> children;
    auto place = [&children](TPickerNode::TKind kind, const QString &path, const QString &name) {
        auto child = std::make_unique<TPickerNode>();
        child->Kind = kind;
        child->ParsingName = path.isEmpty() ? QString() : WithSlash(path);
        child->DisplayName = name;
        child->IsFileSystem = !path.isEmpty();
        children.push_back(std::move(child));
    };

    switch (node->Kind) {
    case TPickerNode::TKind::Desktop:
        // A fixed order, as on a desktop: no sorting.
        place(TPickerNode::TKind::Place, m_places.Home, m_places.HomeName);
        place(TPickerNode::TKind::Place, m_places.FileSystemRoot, m_places.RootName);
        place(TPickerNode::TKind::Drives, QString(), m_places.DrivesName);
        return children;
    case TPickerNode::TKind::Drives:
        m_volumes = ReadVolumes();
        for (const TPickerVolume &volume : std::as_const(m_volumes)) {
            if (!m_showFloppy && IsFloppy(volume))
                continue;
            children.push_back(VolumeNode(volume));
        }
        break;
    case TPickerNode::TKind::File:
        return children;
    default: {
        // Hidden entries, sockets, devices and dangling links are not asked for.
        const QFileInfoList entries =
            QDir(node->ParsingName)
                .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QFileInfo &entry : entries) {
            auto child = std::make_unique<TPickerNode>();
            child->DisplayName = entry.fileName();
            child->IsFileSystem = true;
            child->IsLink = entry.isSymLink();
            if (entry.isDir()) {
                child->Kind = TPickerNode::TKind::Folder;
                child->ParsingName = node->ParsingName + entry.fileName() + u'/';
                // Archives that a desktop shows as folders are files here.
                if (ExtensionOf(child->ParsingName).toLower() == u".zip"_s)
                    continue;
            } else if (entry.isFile()) {
                child->Kind = TPickerNode::TKind::File;
                child->ParsingName = node->ParsingName + entry.fileName();
                if (!AllowsFile(child->ParsingName))
                    continue;
            } else {
                continue;
            }
            if (LeftOut(child->ParsingName))
                continue;
            children.push_back(std::move(child));
        }
        break;
    }
    }
    std::stable_sort(children.begin(), children.end(), [](const auto &a, const auto &b) {
        return Before(*a, *b);
    });
    return children;
}

bool TPickerTree::EnsureListed(TPickerNode *node)
{
    if (!node || !node->IsFolder())
        return false;
    if (node->Listed)
        return !node->Children.empty();
    std::vector<std::unique_ptr<TPickerNode>> children = ReadChildren(node);
    if (children.empty()) {
        node->Listed = true;
        if (m_observer)
            m_observer->NodeChanged(node);
        return false;
    }
    for (auto &child : children)
        child->Parent = node;
    if (m_observer)
        m_observer->BeginInsert(node, 0, int(children.size()) - 1);
    node->Children = std::move(children);
    node->Listed = true;
    Renumber(node);
    if (m_observer)
        m_observer->EndInsert();
    return true;
}

void TPickerTree::Forget(TPickerNode *node)
{
    if (!node || !node->Listed)
        return;
    if (!node->Children.empty())
        Remove(node, 0, int(node->Children.size()) - 1);
    node->Listed = false;
    if (m_observer)
        m_observer->NodeChanged(node);
}

void TPickerTree::Insert(TPickerNode *parent, int row, std::unique_ptr<TPickerNode> node)
{
    node->Parent = parent;
    if (m_observer)
        m_observer->BeginInsert(parent, row, row);
    parent->Children.insert(parent->Children.begin() + row, std::move(node));
    Renumber(parent);
    if (m_observer)
        m_observer->EndInsert();
}

void TPickerTree::Remove(TPickerNode *parent, int first, int last)
{
    if (m_observer)
        m_observer->BeginRemove(parent, first, last);
    parent->Children.erase(parent->Children.begin() + first, parent->Children.begin() + last + 1);
    Renumber(parent);
    if (m_observer)
        m_observer->EndRemove();
}

// ----- OK ----------------------------------------------------------------------------------

void TPickerTree::CollectFolder(TPickerNode *folder, int depth, QStringList &paths)
{
    EnsureListed(folder);
    // By index: listing a sub-folder never touches this folder's children.
    for (size_t i = 0; i < folder->Children.size(); ++i) {
        TPickerNode *child = folder->Children[i].get();
        if (!child->IsFolder())
            paths.append(child->ParsingName);
        else if (depth < 2)
            CollectFolder(child, depth + 1, paths);
    }
}

QStringList TPickerTree::Collect(std::vector<TPickerNode *> selected)
{
    std::vector<std::pair<std::vector<int>, TPickerNode *>> ordered;
    for (TPickerNode *node : selected) {
        if (node)
            ordered.emplace_back(RowPath(node), node);
    }
    std::sort(ordered.begin(), ordered.end());
    QStringList paths;
    for (const auto &[rows, node] : ordered) {
        if (node->IsFolder())
            CollectFolder(node, 0, paths);
        else
            paths.append(node->ParsingName);
    }
    return paths;
}

QString TPickerTree::LastFolder(const TPickerNode *focused, bool collected, const QString &start)
{
    // The virtual desktop and drives folder have no path a file dialog could start in.
    if (!collected || !focused || !focused->Parent || focused->Parent->ParsingName.isEmpty())
        return start;
    return focused->Parent->ParsingName;
}

bool TPickerTree::OkAllowed(const TPickerNode *focused)
{
    if (!focused)
        return false;
    if (focused->IsFileSystem)
        return true;
    return !focused->ParsingName.isEmpty() && QFileInfo::exists(focused->ParsingName);
}

// ----- start folder and type-ahead ---------------------------------------------------------

TPickerNode *TPickerTree::FindStartFolder(const QString &start)
{
    if (start.isEmpty() || start.startsWith(u"//"_s) || !start.startsWith(u'/'))
        return nullptr;
    const QString path = WithSlash(QDir::cleanPath(start));
    TPickerNode *drives = Drives();
    if (!drives)
        return nullptr;
    EnsureListed(drives);
    // The volume that holds the folder stands for its drive.
    TPickerNode *current = nullptr;
    for (const auto &volume : drives->Children) {
        if (path.startsWith(volume->ParsingName)
            && (!current || volume->ParsingName.size() > current->ParsingName.size()))
            current = volume.get();
    }
    if (!current)
        return nullptr;
    for (qsizetype i = current->ParsingName.size(); i < path.size(); ++i) {
        if (path[i] != u'/')
            continue;
        const QString prefix = path.left(i + 1);
        EnsureListed(current);
        auto found = std::find_if(
            current->Children.begin(), current->Children.end(), [&prefix](const auto &child) {
                return WithSlash(child->ParsingName) == prefix;
            });
        if (found == current->Children.end())
            break;
        current = found->get();
    }
    return current;
}

TPickerNode *TPickerTree::FindByPrefix(const QString &text, TPickerNode *focused, bool intoChildren)
{
    if (text.isEmpty())
        return nullptr;
    auto matches = [&text](const TPickerNode *node) {
        return node->DisplayName.toLower().startsWith(text);
    };
    auto search = [&](const std::vector<std::unique_ptr<TPickerNode>> &list,
                      size_t from) -> TPickerNode * {
        for (size_t i = from; i < list.size(); ++i) {
            if (matches(list[i].get()))
                return list[i].get();
        }
        return nullptr;
    };
    // The desktop has no parent: it is its own only sibling.
    if (!focused || !focused->Parent)
        focused = m_desktop.get();
    if (intoChildren && focused->Listed && !focused->Children.empty()) {
        if (TPickerNode *found = search(focused->Children, 0))
            return found;
    } else if (focused->Parent) {
        if (TPickerNode *found = search(focused->Parent->Children, size_t(focused->Row)))
            return found;
    }
    if (!focused->Parent)
        return matches(focused) ? focused : nullptr;
    return search(focused->Parent->Children, 0);
}

void TPickerTree::UpdateVolumes(const std::function<void(TPickerNode *)> &beforeForget)
{
    const QList<TPickerVolume> before = m_volumes;
    m_volumes = ReadVolumes();
    TPickerNode *drives = nullptr;
    if (m_desktop->Listed) {
        for (const auto &child : m_desktop->Children) {
            if (child->Kind == TPickerNode::TKind::Drives)
                drives = child.get();
        }
    }
    if (!drives || !drives->Listed)
        return;

    auto shownVolume = [this](const QString &parsingName) -> const TPickerVolume * {
        for (const TPickerVolume &volume : std::as_const(m_volumes)) {
            if ((m_showFloppy || !IsFloppy(volume)) && WithSlash(volume.MountPoint) == parsingName)
                return &volume;
        }
        return nullptr;
    };
    for (int row = int(drives->Children.size()) - 1; row >= 0; --row) {
        if (!shownVolume(drives->Children[size_t(row)]->ParsingName))
            Remove(drives, row, row);
    }
    for (const TPickerVolume &volume : std::as_const(m_volumes)) {
        if (!m_showFloppy && IsFloppy(volume))
            continue;
        std::unique_ptr<TPickerNode> node = VolumeNode(volume);
        auto shown = std::find_if(
            drives->Children.begin(), drives->Children.end(), [&node](const auto &child) {
                return child->ParsingName == node->ParsingName;
            });
        if (shown == drives->Children.end()) {
            auto at = std::find_if(drives->Children.begin(),
                                   drives->Children.end(),
                                   [&node](const auto &child) { return Before(*node, *child); });
            Insert(drives, int(at - drives->Children.begin()), std::move(node));
            continue;
        }
        // Another medium in the same place: what was listed belongs to the old one.
        auto old = std::find_if(before.begin(), before.end(), [&volume](const TPickerVolume &v) {
            return v.MountPoint == volume.MountPoint;
        });
        if (old != before.end() && *old == volume)
            continue;
        TPickerNode *item = shown->get();
        item->DisplayName = node->DisplayName;
        if (beforeForget)
            beforeForget(item);
        Forget(item);
    }
}

// ----- TTypeAhead --------------------------------------------------------------------------

TTypeAhead::TTypeAhead(TClock clock)
{
    SetClock(std::move(clock));
}

void TTypeAhead::SetClock(TClock clock)
{
    if (!clock) {
        clock = [] {
            return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count());
        };
    }
    m_clock = std::move(clock);
}

QString TTypeAhead::Feed(QChar ch)
{
    const qint64 now = m_clock();
    const QString typed = QString(ch).toLower();
    if (m_text.isEmpty() || now - m_last > PauseMs)
        m_text = typed;
    else
        m_text += typed;
    m_last = now;
    return m_text;
}

void TTypeAhead::Clear()
{
    m_text.clear();
}
