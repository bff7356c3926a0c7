#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QList>
#include <QString>
#include <QStringList>

// The file picker's namespace without widgets: a virtual desktop holding the home folder,
// the file system root and a drives folder with the mounted volumes; below them the
// folders and the files the extension list allows. Qt Core only, so the listing, the
// filter, the collection, the start-folder walk and type-ahead can be tested directly.

// One mounted volume, as the drives folder shows it.
struct TPickerVolume
{
    QString MountPoint; // absolute; no trailing "/" except for "/" itself
    QString Device;     // e.g. "/dev/sdb1"; "/dev/fd*" is a floppy drive
    QString Label;      // may be empty

    bool operator==(const TPickerVolume &) const = default;
};

// Where the namespace comes from. The window program uses the defaults; tests point the
// places at temporary folders and hand in their own volume table.
struct TPickerPlaces
{
    QString Home;                                  // empty: the user's home folder
    QString FileSystemRoot = QStringLiteral("/");  // the tree's file system root item
    std::function<QList<TPickerVolume>()> Volumes; // empty: the system's mounted volumes
    // Display names of the virtual items (translated by the caller).
    QString HomeName = QStringLiteral("Home");
    QString RootName = QStringLiteral("File System");
    QString DrivesName = QStringLiteral("Drives");
};

// The mounted volumes that hold folders (QStorageInfo leaves out pseudo file systems),
// one per mount point; the file system root is always among them.
QList<TPickerVolume> SystemPickerVolumes();

// One item of the tree. Folder items (everything but files) can be listed; files cannot.
struct TPickerNode
{
    enum class TKind { Desktop, Drives, Place, Volume, Folder, File };

    TKind Kind = TKind::Folder;
    // An absolute path; folders end in "/". Empty for the virtual desktop and drives folder.
    QString ParsingName;
    QString DisplayName;
    bool IsFileSystem = false;
    bool IsLink = false;
    // Whether the children were read; a listed folder without children shows none.
    bool Listed = false;
    TPickerNode *Parent = nullptr;
    int Row = 0; // index in the parent's children
    std::vector<std::unique_ptr<TPickerNode>> Children;

    bool IsFolder() const { return Kind != TKind::File; }
};

// Told before and after every change of the tree's structure, so an item model can follow.
class IPickerTreeObserver
{
public:
    virtual ~IPickerTreeObserver() = default;
    virtual void BeginInsert(TPickerNode *parent, int first, int last) = 0;
    virtual void EndInsert() = 0;
    virtual void BeginRemove(TPickerNode *parent, int first, int last) = 0;
    virtual void EndRemove() = 0;
    // The item's display name or expandability changed.
    virtual void NodeChanged(TPickerNode *node) = 0;
};

class TPickerTree
{
public:
    TPickerTree(TPickerPlaces places, bool showFloppy);
    ~TPickerTree();
    TPickerTree(const TPickerTree &) = delete;
    TPickerTree &operator=(const TPickerTree &) = delete;

    void SetObserver(IPickerTreeObserver *observer) { m_observer = observer; }
    // Extensions with their dots, separated by ";", matched ignoring case ("*.avi" and
    // "avi" are read as ".avi"; "*" or "*.*" allows every file). Applies to later listings.
    void SetExtensions(const QString &extensions);
    // Whether a file of that path is listed: no extension, or one from the list.
    bool AllowsFile(const QString &path) const;

    TPickerNode *Desktop() { return m_desktop.get(); }
    // The drives folder (lists the desktop when needed).
    TPickerNode *Drives();

    // Lists a folder item's children unless they were listed already; false when it has
    // none afterwards. Unreadable folders give no children.
    bool EnsureListed(TPickerNode *node);
    // Discards a folder's children so that they are listed again when needed.
    void Forget(TPickerNode *node);

    // The chosen paths of OK: the selected items in tree order; a file adds itself, a
    // folder its listed files and those of its sub-folders two levels down.
    QStringList Collect(std::vector<TPickerNode *> selected);
    // The folder to remember after OK: the focused item's parent folder; `start` when
    // nothing was collected or that parent is no folder of the file system.
    static QString LastFolder(const TPickerNode *focused, bool collected, const QString &start);
    // The OK rule: a file-system item, or one whose path names an existing file or folder.
    static bool OkAllowed(const TPickerNode *focused);

    // The item to open at: the volume holding `start`, then each folder below it down to
    // the last one found. Null for an empty, relative or network ("//") start folder or
    // when no volume holds it.
    TPickerNode *FindStartFolder(const QString &start);

    // Type-ahead over display names: the first item whose lower-cased display name begins
    // with `text`, searched over the focused item's children (`intoChildren`) or from the
    // focused item over its following siblings, then over all its siblings. Null when none.
    TPickerNode *FindByPrefix(const QString &text, TPickerNode *focused, bool intoChildren);

    // Re-reads the volume table and brings the drives folder up to date: vanished volumes
    // are removed, new ones inserted in order, and a volume whose device or label changed
    // forgets its children; `beforeForget` is told first (a view collapses the item, or it
    // would list it again at once).
    void UpdateVolumes(const std::function<void(TPickerNode *)> &beforeForget = {});

    // The tree order of two items of one folder: folders first, then natural,
    // case-insensitive display-name order.
    static bool Before(const TPickerNode &a, const TPickerNode &b);

private:
    std::vector<std::unique_ptr<TPickerNode>> ReadChildren(TPickerNode *node);
    std::unique_ptr<TPickerNode> VolumeNode(const TPickerVolume &volume) const;
    bool LeftOut(const QString &parsingName) const;
    QList<TPickerVolume> ReadVolumes();
    void Insert(TPickerNode *parent, int row, std::unique_ptr<TPickerNode> node);
    void Remove(TPickerNode *parent, int first, int last);
    void CollectFolder(TPickerNode *folder, int depth, QStringList &paths);

    TPickerPlaces m_places;
    bool m_showFloppy = false;
    bool m_allFiles = false;
    QStringList m_extensions; // lower case, with the dot
    QStringList m_floppyRoots;
    QList<TPickerVolume> m_volumes;
    std::unique_ptr<TPickerNode> m_desktop;
    IPickerTreeObserver *m_observer = nullptr;
};

// The type-ahead text: a character typed more than PauseMs after the previous one starts a
// new search, otherwise it is appended. Lower case.
class TTypeAhead
{
public:
    using TClock = std::function<qint64()>; // milliseconds of a monotonic clock
    static constexpr qint64 PauseMs = 300;

    explicit TTypeAhead(TClock clock = {});
    void SetClock(TClock clock);
    // Adds a typed character and returns the search text.
    QString Feed(QChar ch);
    void Clear();
    QString Text() const { return m_text; }

private:
    TClock m_clock;
    QString m_text;
    qint64 m_last = 0;
};
