#pragma once

// The window's answers to the web flow and its version checker; shared by the files that
// create and destroy them.

#include <QCoreApplication>
#include <QThread>

#include "app/catalogview.h"
#include "app/listmodel.h"
#include "app/maindialogs.h"
#include "app/mainwindow.h"
#include "app/waitwindow.h"
#include "host/downloader.h"
#include "host/webfetcher.h"
#include "host/webflow.h"
#include "logic/mainlogic.h"

// What the web flow asks of the window.
class TMain::TWebUi : public IWebFlowUi
{
public:
    explicit TWebUi(TMain &window)
        : m_window(window)
    {}

    void ShowWait(const QString &text) override
    {
        m_window.m_waitWindow->SetOnCancel([this] { m_window.m_webFlow->Cancel(); });
        m_window.m_waitWindow->ShowWait(text, true);
    }
    void HideWait() override { m_window.m_waitWindow->HideWait(); }
    void ShowMessage(TMessageKind kind, const QString &caption, const QString &text) override
    {
        m_window.m_dialogs->ShowMessage(&m_window, kind, caption, text);
    }
    TResultChoice ChooseResult(const QString &caption,
                               const QList<TWebResultEntry> &entries,
                               const QByteArray &referrer) override
    {
        return m_window.m_dialogs->ChooseWebResult(&m_window, caption, entries, referrer);
    }
    void OpenUrl(const QString &url) override { m_window.OpenAddress(url); }
    TDBItem *FocusedRecord() override
    {
        // The card's pending input belongs to the record the flow fills.
        if (m_window.m_editState == TEditState::Editing)
            m_window.StoreCardInput();
        return m_window.Shown().Current();
    }
    void FocusRecord(TDBItem &record) override
    {
        m_window.SelectRecord(&record);
        m_window.Shown().List()->FlushFocus();
    }
    TDBItem *CreateRecord(TVideoDatabase &, TRecordKind kind) override
    {
        TDBItem *record = m_window.CreateRecord(kind == TRecordKind::Person ? 1 : 0);
        return record;
    }
    void RecordChanged(TDBItem &record) override
    {
        TListController &lists = m_window.Lists(record.Kind());
        lists.Model()->RecordChanged(&record);
        if (lists.Current() == &record)
            m_window.ShowCurrent();
    }
    void ProcessEvents() override
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    bool Closing() const override { return m_window.m_closing; }

private:
    TMain &m_window;
};

class TMain::TUpdater : public IVersionCheck
{
public:
    explicit TUpdater(TMain &window)
        : m_window(window)
    {}
    void StartVersionCheck() override { m_window.StartUpdateCheck(true); }

private:
    TMain &m_window;
};
