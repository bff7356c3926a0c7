#include "app/maindialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/passdlg.h"

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
