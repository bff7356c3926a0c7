#pragma once

class TDBItem;

// A node of a tree view. Opaque to the catalog: the window program's tree view defines and
// owns it; records only keep the handles of the nodes that show them.
struct TViewNode;

// The tree view of one record kind, as the records see it. Implemented by the window program.
class ITreeView
{
public:
    virtual ~ITreeView() = default;

    // Adds a child of parent (nullptr: the top level) that shows record. secondaryIndex tags
    // the node further (-1 for a record node). Returns the new node.
    virtual TViewNode *AddChildNode(TViewNode *parent, TDBItem *record, int secondaryIndex) = 0;
    // Deletes node and its subtree.
    virtual void DeleteNode(TViewNode *node) = 0;
    // Bracket many changes (a load, destroying a catalog) so the view redraws once.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};
