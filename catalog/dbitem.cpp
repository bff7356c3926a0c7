#include "catalog/dbitem.h"

#include "catalog/recordhooks.h"
#include "catalog/recordowner.h"
#include "catalog/textutils.h"
#include "catalog/treeview.h"

TDBItem::TDBItem(TRecordKind kind, IRecordOwner *owner)
    : m_owner(owner)
    , m_kind(kind)
{}

TDBItem::~TDBItem()
{
    // Destruction removes the nodes but leaves the shown counts alone: the catalog adjusts
    // them itself when it deletes a record.
    DeleteViewNodes();
}

void TDBItem::MarkModified()
{
    if (m_owner)
        m_owner->SetModified(true);
}

ITreeView *TDBItem::Tree() const
{
    return m_owner ? m_owner->TreeFor(*this) : nullptr;
}

void TDBItem::DeleteViewNodes()
{
    if (ITreeView *tree = Tree()) {
        for (TViewNode *node : std::as_const(m_viewNodes))
            tree->DeleteNode(node);
    }
    m_viewNodes.clear();
}

void TDBItem::AddProviderNodes()
{
    ITreeView *tree = Tree();
    const auto &provider = RecordHooks().NodeProvider;
    if (tree && provider) {
        for (TViewNode *parent : provider(*this))
            AddViewNode(tree->AddChildNode(parent, this, -1));
    }
}

void TDBItem::SetGenre(const QString &value)
{
    StoreField(m_genre, value);
}

void TDBItem::SetAwards(const QString &value)
{
    StoreField(m_awards, value);
}

void TDBItem::SetUrl(const QString &value)
{
    StoreField(m_url, value);
}

void TDBItem::SetRating(double value)
{
    StoreField(m_rating, value);
}

void TDBItem::SetComment(const QString &value)
{
    if (StoreField(m_comment, value))
        m_comment = RepairLineBreaks(m_comment);
}

void TDBItem::SetCoverformat(quint8 value)
{
    StoreField(m_coverformat, value);
}

void TDBItem::SetCoverpath(const QString &value)
{
    StoreField(m_coverpath, value);
}

void TDBItem::SetBookmark(bool value)
{
    StoreField(m_bookmark, value);
}

void TDBItem::SetShown(bool flag)
{
    if (flag == m_shown)
        return;
    if (flag && Kind() != TRecordKind::Episode) {
        const auto &filter = RecordHooks().FilterPredicate;
        if (filter && !filter(*this))
            return;
    }
    m_shown = flag;
    if (flag)
        ShowInViews();
    else
        HideInViews();
}

void TDBItem::HideInViews()
{
    DeleteViewNodes();
    if (m_owner && Kind() != TRecordKind::Episode)
        m_owner->ChangeShownCount(*this, -1);
}

void TDBItem::Clear()
{
    SetCoverformat(CoverNone);
    SetCoverpath({});
    SetBookmark(false);
}
