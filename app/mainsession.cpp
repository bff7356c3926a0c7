#include "app/cardedit.h"
#include "app/logform.h"
#include "app/mainsession_p.h"
#include "app/mainui_p.h"
#include "app/recordcard.h"
#include "app/recordcommands.h"
#include "app/transfercontroller.h"
#include "app/undocontroller.h"
#include "app/webcontroller.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

std::unique_ptr<TVideoDatabase> TMainPrivate::TSessionHost::MakeCatalog(const QString &fileName)
{
    return m_owner->NewCatalog(fileName);
}

void TMainPrivate::TSessionHost::Log(const QString &line)
{
    m_owner->m_ui->LogForm->AddLine(line);
}

void TMainPrivate::TSessionHost::ShowStatusText(const QString &text)
{
    m_owner->ShowStatusText(text);
}

void TMainPrivate::TSessionHost::StoreEdits()
{
    if (m_owner->m_edit->EditState() == TEditState::Editing)
        m_owner->m_edit->StoreCardInput();
}

bool TMainPrivate::TSessionHost::WorkInProgress() const
{
    // An import or export in progress counts as editing: saving waits for it.
    return m_owner->m_edit->EditState() == TEditState::Editing || m_owner->m_busy;
}

QString TMainPrivate::TSessionHost::InitialFolder(int slot) const
{
    return m_owner->InitialFolder(slot);
}

void TMainPrivate::TSessionHost::RememberFolder(int slot, const QString &folder)
{
    m_owner->RememberFolder(slot, folder);
}

void TMainPrivate::TSessionHost::CatalogClosing()
{
    TMainPrivate &w = *m_owner;
    w.m_edit->SetEditState(TEditState::None);
    // The cards let go of their records before the catalog that owns them goes (a card
    // hidden behind the grid, or of the other mode, still holds one).
    for (TListController *lists : w.m_lists) {
        lists->SetCurrent(nullptr);
        if (IRecordCard *card = lists->Card())
            card->ShowRecord(nullptr, false);
    }
    w.m_edit->ResetEditState(TEditState::None);
    w.m_undo->SetCatalog(nullptr);
    w.m_web->ReleaseCatalog();
}

void TMainPrivate::TSessionHost::CatalogRead()
{
    TMainPrivate &w = *m_owner;
    w.ConnectEvents();
    w.m_undo->SetCatalog(w.Database());
    w.AddCustomColumns();
    for (TListController *lists : w.m_lists)
        lists->Build();
    // The first three handlers run once so the window matches the loaded catalog.
    w.Database()->OnModifiedChanged(w.Database()->Modified());
    w.Database()->OnShownCountChanged();
    w.Database()->OnListChanged();
}

void TMainPrivate::TSessionHost::ReadOnlyDecided()
{
    TMainPrivate &w = *m_owner;
    w.m_transfers->PluginMenu().SetReadOnly(w.ReadOnly());
    w.ApplyCardSettings();
    w.UpdateTitle();
    w.CommandUpdate();
}

void TMainPrivate::TSessionHost::CatalogOpened()
{
    m_owner->m_web->ApplySettings();
}

void TMainPrivate::TSessionHost::CatalogReplaced()
{
    TMainPrivate &w = *m_owner;
    w.ChooseStartMode();
    w.UpdateModeTexts();
    w.UpdateTitle();
    w.CommandUpdate();
}

void TMainPrivate::TSessionHost::RecentChanged()
{
    m_owner->RebuildRecentMenu();
}

void TMainPrivate::TSessionHost::ProtectionChanged()
{
    m_owner->UpdateProtectCaption();
}

void TMainPrivate::TSessionHost::AppendStarting()
{
    m_appendStep =
        std::make_unique<TUndoScope>(m_owner->Undo(), m_owner->Text(174, u"Append catalog"_s));
    m_appendRoster = std::make_unique<TRecordRoster>(m_owner->Database());
}

void TMainPrivate::TSessionHost::RecordsAppended()
{
    if (m_appendStep) {
        if (TUndoController *undo = m_owner->Undo())
            undo->PushImport(m_appendStep->Text(), *m_appendStep, m_appendRoster->Added());
        m_appendStep.reset();
        m_appendRoster.reset();
    }
    // The appended records were read past the lists, and may bring custom fields of their
    // own: the columns and both lists are made again.
    TMainPrivate &w = *m_owner;
    w.AddCustomColumns();
    for (TListController *lists : w.m_lists)
        lists->Build();
    m_owner->UpdateStatusBar();
    m_owner->CommandUpdate();
}
