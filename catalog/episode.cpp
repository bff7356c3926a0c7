#include "catalog/episode.h"

#include "catalog/movie.h"
#include "catalog/treeview.h"

TEpisode::TEpisode(TMovie *parent)
    : TBaseMovie(TRecordKind::Episode, parent ? parent->Owner() : nullptr)
    , m_parent(parent)
{}

void TEpisode::SetEpnum(int value)
{
    StoreField(m_epnum, value);
}

void TEpisode::ShowInViews()
{
    ITreeView *tree = Tree();
    if (!m_parent || !tree)
        return;
    for (TViewNode *parentNode : m_parent->ViewNodes())
        AddViewNode(tree->AddChildNode(parentNode, this, -1));
}
