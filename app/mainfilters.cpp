// What the cards ask of the filters (the captions of their field menus, searches from their
// links) goes to the filter controller; addresses open with the desktop.
#include "app/mainwindow.h"
#include "app/recorddialogs.h"

QString TMain::SearchFieldCaption(TRecordKind kind, int field) const
{
    return m_filters->SearchFieldCaption(kind, field);
}

QString TMain::SortColumnCaption(TRecordKind kind, int item) const
{
    return m_filters->SortColumnCaption(kind, item);
}

void TMain::SetSearchField(TRecordKind kind, int field, const QString &text)
{
    m_filters->SetSearchField(kind, field, text);
}

void TMain::OpenAddress(const QString &address)
{
    if (!address.trimmed().isEmpty())
        TRecordDialogs::OpenCatalogTarget(*m_dialogs, this, address.trimmed(), TLinkUse::Link);
}
