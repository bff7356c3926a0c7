#pragma once

// A minimal catalog and tree view for record tests: it counts what records ask of it.

#include <memory>
#include <vector>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "catalog/dbitem.h"
#include "catalog/recordowner.h"
#include "catalog/treeview.h"

struct TViewNode
{
    TViewNode *parent = nullptr;
    TDBItem *record = nullptr;
    int secondaryIndex = 0;
    bool alive = true;
};

class TFakeTree : public ITreeView
{
public:
    TViewNode *AddChildNode(TViewNode *parent, TDBItem *record, int secondaryIndex) override
    {
        if (parent && !parent->alive)
            ++errors;
        nodes.push_back(std::make_unique<TViewNode>(TViewNode{parent, record, secondaryIndex}));
        return nodes.back().get();
    }
    void DeleteNode(TViewNode *node) override
    {
        // Deleting a node twice (e.g. a child after its parent took it along) is a fault.
        if (!node->alive)
            ++errors;
        Kill(node);
    }
    int AliveNodes(const TDBItem *record = nullptr) const
    {
        int count = 0;
        for (const auto &node : nodes)
            count += node->alive && (!record || node->record == record);
        return count;
    }
    TViewNode *NewGroupNode() { return AddChildNode(nullptr, nullptr, 0); }

    std::vector<std::unique_ptr<TViewNode>> nodes;
    int errors = 0;

private:
    void Kill(TViewNode *node)
    {
        node->alive = false;
        for (const auto &other : nodes) {
            if (other->parent == node && other->alive)
                Kill(other.get());
        }
    }
};

class TFakeOwner : public IRecordOwner
{
public:
    struct LoanEvent
    {
        bool returned;
        QString borrower;
        TBaseMovie *movie;
    };
    struct Move
    {
        TDBItem *record;
        QString newName;
        int newNum;
    };

    void SetModified(bool flag) override { modified = flag; }
    void LoanChanged(bool returned, const QString &borrower, TBaseMovie *movie) override
    {
        loanEvents.append({returned, borrower, movie});
    }
    void MovePerson(TActor *person, const QString &newName) override;
    void MoveMovie(TMovie *movie, int newNum) override;
    void ChangeShownCount(const TDBItem &record, int delta) override
    {
        (record.Kind() == TRecordKind::Person ? shownPeople : shownMovies) += delta;
    }
    ITreeView *TreeFor(const TDBItem &record) const override
    {
        return record.Kind() == TRecordKind::Person ? peopleTree : movieTree;
    }
    int CustomFieldCount() const override { return customFields; }
    QString ImageFolder(TImageFolder folder) const override
    {
        return folders.value(static_cast<int>(folder));
    }
    bool ImgFolders() const override { return imgFolders; }
    void LogLine(const QString &line) override { log.append(line); }

    bool modified = false;
    QList<LoanEvent> loanEvents;
    QList<Move> moves;
    int shownMovies = 0;
    int shownPeople = 0;
    int customFields = 0;
    ITreeView *movieTree = nullptr;
    ITreeView *peopleTree = nullptr;
    // Image folders by TImageFolder; none by default, so records leave the disk alone.
    QMap<int, QString> folders;
    bool imgFolders = false;
    QStringList log;
};
