// The window's side of its web and media commands: what the web controller asks of the
// lists, cards and frame.
#include <QItemSelectionModel>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/maincards_p.h"
#include "app/maindialogs.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/recordcommands.h"
#include "app/transfercontroller.h"
#include "app/waitwindow.h"
#include "app/webcontroller.h"
#include "catalog/basemovie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

class TMainPrivate::TWebHost : public IWebHost
{
public:
    explicit TWebHost(TMainPrivate &window)
        : m_window(window)
    {}

    TVideoDatabase *Catalog() const override { return m_window.Database(); }
    bool ReadOnly() const override { return m_window.ReadOnly(); }
    bool PeopleMode() const override { return m_window.m_peopleMode; }
    bool Busy() const override { return m_window.m_busy; }
    void SetBusy(bool busy) override { m_window.m_busy = busy; }
    bool Closing() const override { return m_window.m_closing; }
    TWaitWindow *WaitWindow() const override { return m_window.m_ui->WaitWindow; }
    TmvFrame *MovieFrame() const override { return m_window.m_ui->MovieFrame; }
    bool ShowFloppy() const override { return m_window.ShowFloppy(); }
    QString InitialFolder(int slot) const override { return m_window.InitialFolder(slot); }
    void RememberFolder(int slot, const QString &folder) override
    {
        m_window.RememberFolder(slot, folder);
    }

    TDBItem *CurrentRecord(TRecordKind kind) const override
    {
        return m_window.Lists(kind).Current();
    }
    QList<TDBItem *> SelectedRecords() const override
    {
        return m_window.Shown().SelectedRecordsBelowGroups();
    }
    TDBItem *CreateRecord(int kind) override { return m_window.m_records->CreateRecord(kind); }
    TUndoController *Undo() override { return m_window.m_undo.get(); }
    void KeepCardInput() override
    {
        if (m_window.Edit().EditState() == TEditState::Editing)
            m_window.Edit().StoreCardInput();
    }
    void FinishEditing() override
    {
        if (m_window.Edit().EditState() == TEditState::Editing)
            m_window.Edit().ApplyEdits();
    }
    void SetMode(TRecordKind kind) override { m_window.SetMode(kind); }

    void FocusRecord(TDBItem &record) override
    {
        m_window.SelectRecord(&record);
        m_window.Shown().List()->FlushFocus();
    }
    void ReselectRecords(const QList<TDBItem *> &records) override
    {
        m_window.Shown().Model()->Resort();
        TCatalogList *list = m_window.Shown().List();
        list->clearSelection();
        for (TDBItem *record : records) {
            if (TViewNode *node = list->Model()->FirstNodeOf(record)) {
                list->selectionModel()->select(list->Model()->IndexOf(node, 0),
                                               QItemSelectionModel::Select
                                                   | QItemSelectionModel::Rows);
            }
        }
    }
    void PlaceRecord(TDBItem &record) override
    {
        TListModel *model = m_window.Lists(record.Kind()).Model();
        model->ApplyFilter(record);
        model->Resort();
        if (record.Shown())
            m_window.Shown().List()->SelectRecord(&record);
    }
    void FocusMovie(TBaseMovie &movie, bool reshow) override
    {
        TListController &movies = m_window.Movies();
        if (reshow && movie.Shown())
            movies.Model()->Reshow(movie);
        movies.Model()->Resort();
        movies.List()->clearSelection();
        movies.List()->SelectRecord(&movie);
        movies.List()->FlushFocus();
    }
    void RecordChanged(TDBItem &record) override
    {
        m_window.Lists(record.Kind()).Model()->RecordChanged(&record);
    }
    void ShowCurrent() override { m_window.Edit().ShowCurrent(); }
    void UpdateStatusBar() override { m_window.UpdateStatusBar(); }
    void CommandUpdate() override { m_window.CommandUpdate(); }

    // Addresses open as the cards' links do.
    void OpenAddress(const QString &address) override { m_window.m_cardLink->OpenAddress(address); }
    void WebSearch(int engine, const QString &text) override
    {
        m_window.m_filters->WebSearch(engine, text);
    }

private:
    TMainPrivate &m_window;
};

void TMainPrivate::CreateWebController()
{
    m_web = std::make_unique<TWebController>(std::make_unique<TWebHost>(*this),
                                             &q,
                                             m_settings,
                                             m_folders,
                                             m_registry,
                                             m_transfers->PluginMenu(),
                                             m_language,
                                             m_dialogs);
    // The results dialog's previews come through the controller's downloads.
    if (auto dialogs = std::dynamic_pointer_cast<TQtMainDialogs>(m_dialogs)) {
        dialogs->SetPreviewFetch([this](const QByteArray &url,
                                        const QByteArray &referrer,
                                        std::function<void(bool, const QByteArray &, int)> done) {
            m_web->FetchPreview(url, referrer, std::move(done));
        });
    }
}
