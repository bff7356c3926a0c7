#include "app/maindialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/passdlg.h"
#include "app/recorddialogs.h"
#include "app/selform.h"

std::optional<QString> TQtMainDialogs::AskOpenFile(QWidget *parent,
                                                   const QString &caption,
                                                   const QString &folder,
                                                   const QString &filter)
{
    const QString name = QFileDialog::getOpenFileName(parent, caption, folder, filter);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> TQtMainDialogs::AskSaveFile(QWidget *parent,
                                                   const QString &caption,
                                                   const QString &folder,
                                                   const QString &filter,
                                                   const QString &suffix)
{
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool TQtMainDialogs::AskYesNo(QWidget *parent, const QString &caption, const QString &text)
{
    return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

void TQtMainDialogs::ShowError(QWidget *parent, const QString &caption, const QString &text)
{
    QMessageBox::critical(parent, caption, text);
}

void TQtMainDialogs::ShowMessage(QWidget *parent,
                                 TMessageKind kind,
                                 const QString &caption,
                                 const QString &text)
{
    switch (kind) {
    case TMessageKind::Information:
        QMessageBox::information(parent, caption, text);
        break;
    case TMessageKind::Warning:
        QMessageBox::warning(parent, caption, text);
        break;
    case TMessageKind::Error:
        QMessageBox::critical(parent, caption, text);
        break;
    }
}

std::optional<QString> TQtMainDialogs::AskNewPassword(QWidget *parent)
{
    return TPasswordPrompt::AskNewPassword(parent, m_language);
}

std::optional<QString> TQtMainDialogs::AskText(QWidget *parent,
                                               const QString &caption,
                                               const QString &prompt,
                                               const QString &text)
{
    return TRecordDialogs::AskText(parent, caption, prompt, text);
}

TFileDecision
TQtMainDialogs::AskDeleteFile(QWidget *parent, const QString &caption, const QString &text)
{
    return TRecordDialogs::AskDeleteFile(parent, caption, text);
}

std::optional<TNewEpisodeAnswer>
TQtMainDialogs::AskNewEpisode(QWidget *parent, int proposal, bool copy)
{
    return TRecordDialogs::AskNewEpisode(parent, proposal, copy);
}

std::optional<TIdSeries> TQtMainDialogs::AskIdSeries(QWidget *parent, const TIdSeries &preset)
{
    return TRecordDialogs::AskIdSeries(parent, preset);
}

std::optional<QDate> TQtMainDialogs::AskDate(QWidget *parent, QDate day)
{
    return TRecordDialogs::AskDate(parent, day);
}

bool TQtMainDialogs::OpenWithDesktop(const QString &fileOrUrl)
{
    return TRecordDialogs::OpenWithDesktop(fileOrUrl);
}

void TQtMainDialogs::ShowInFileManager(const QString &file)
{
    TRecordDialogs::ShowInFileManager(file);
}

TResultChoice TQtMainDialogs::ChooseWebResult(QWidget *parent,
                                              const QString &caption,
                                              const QList<TWebResultEntry> &entries,
                                              const QByteArray &referrer)
{
    return TSelForm::Choose(parent, caption, entries, referrer, m_previewFetch);
}
