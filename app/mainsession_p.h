#pragma once

#include "app/catalogsession.h"
#include "app/mainwindow_p.h"
#include "app/undocontroller.h"

// The window's side of the catalog session: what the lists, cards, title and actions do when
// the session opens, decides or replaces a catalog (mainsession.cpp).
class TMainPrivate::TSessionHost : public ISessionHost
{
public:
    explicit TSessionHost(TMainPrivate *owner)
        : m_owner(owner)
    {}

    std::unique_ptr<TVideoDatabase> MakeCatalog(const QString &fileName) override;
    void Log(const QString &line) override;
    void ShowStatusText(const QString &text) override;
    void StoreEdits() override;
    bool WorkInProgress() const override;
    QString InitialFolder(int slot) const override;
    void RememberFolder(int slot, const QString &folder) override;
    void CatalogClosing() override;
    void CatalogRead() override;
    void ReadOnlyDecided() override;
    void CatalogOpened() override;
    void CatalogReplaced() override;
    void RecentChanged() override;
    void ProtectionChanged() override;
    void AppendStarting() override;
    void RecordsAppended() override;

private:
    TMainPrivate *m_owner;
    // An append in progress: one undo step for the records it adds.
    std::unique_ptr<TUndoScope> m_appendStep;
    std::unique_ptr<TRecordRoster> m_appendRoster;
};
