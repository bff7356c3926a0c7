#pragma once

#include <QDialog>
#include <QString>

#include "host/importexport.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

// The dialog's own texts, English unless the caller passes the user's language.
struct TDuplicateCaptions
{
    QString title = QStringLiteral("Confirmation");
    QString merge = QStringLiteral("&Merge");
    QString add = QStringLiteral("&Add");
    QString overwrite = QStringLiteral("&Overwrite");
    QString skip = QStringLiteral("&Do not add");
    QString cancel = QStringLiteral("&Cancel");
    QString doNotShow = QStringLiteral("Do not show again");
};

// The confirmation dialog of an import: what to do with a record that duplicates one of
// the catalog. The message (texts 1815 or 1821 with the record's names) comes formatted.
class TOverwriteDlg : public QDialog
{
public:
    explicit TOverwriteDlg(const QString &message,
                           QWidget *parent = nullptr,
                           const TDuplicateCaptions &captions = {});

    // The button pressed (Cancel when the dialog was closed otherwise) and the check box.
    TDuplicateAnswer Answer() const;
    // Runs the dialog modally and returns Answer().
    TDuplicateAnswer Ask();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *
    AddChoiceButton(const QString &caption, const QString &name, TDuplicateChoice choice);

    TDuplicateChoice m_choice = TDuplicateChoice::Cancel;
    QLabel *m_message = nullptr;
    QCheckBox *m_doNotShow = nullptr;
    QWidget *m_buttonRow = nullptr;
};

// Shows the confirmation dialog over `parent` and returns the user's answer.
TDuplicateAnswer AskDuplicateWithDialog(QWidget *parent,
                                        const QString &message,
                                        const TDuplicateCaptions &captions = {});
