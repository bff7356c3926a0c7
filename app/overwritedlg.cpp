#include "overwritedlg.h"

#include <utility>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

TOverwriteDlg::TOverwriteDlg(const QString &message,
                             QWidget *parent,
                             const TDuplicateCaptions &captions)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TOverwriteDlg"));
    setWindowTitle(captions.title);

    m_message = new QLabel(message, this);
    m_message->setObjectName(QStringLiteral("MsgLabel"));
    m_message->setWordWrap(true);
    // Record titles come from foreign files: never interpret them as markup.
    m_message->setTextFormat(Qt::PlainText);

    m_doNotShow = new QCheckBox(captions.doNotShow, this);
    m_doNotShow->setObjectName(QStringLiteral("DontShowBox"));

    m_buttonRow = new QWidget(this);
    auto *buttons = new QHBoxLayout(m_buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    auto *merge =
        AddChoiceButton(captions.merge, QStringLiteral("MergeBtn"), TDuplicateChoice::Merge);
    AddChoiceButton(captions.add, QStringLiteral("AddBtn"), TDuplicateChoice::Add);
    AddChoiceButton(
        captions.overwrite, QStringLiteral("OverwriteBtn"), TDuplicateChoice::Overwrite);
    AddChoiceButton(captions.skip, QStringLiteral("SkipBtn"), TDuplicateChoice::Skip);
    AddChoiceButton(captions.cancel, QStringLiteral("CancelBtn"), TDuplicateChoice::Cancel);
    // Merge loses nothing already in the catalog, so Enter picks it.
    merge->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_doNotShow);
    layout->addWidget(m_buttonRow);
}

QPushButton *
TOverwriteDlg::AddChoiceButton(const QString &caption, const QString &name, TDuplicateChoice choice)
{
    auto *button = new QPushButton(caption, m_buttonRow);
    button->setObjectName(name);
    button->setAutoDefault(false);
    m_buttonRow->layout()->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, choice] {
        m_choice = choice;
        if (choice == TDuplicateChoice::Cancel)
            reject();
        else
            accept();
    });
    return button;
}

TDuplicateAnswer TOverwriteDlg::Answer() const
{
    TDuplicateAnswer answer;
    answer.choice = m_choice;
    answer.doNotShowAgain = m_doNotShow->isChecked();
    return answer;
}

TDuplicateAnswer TOverwriteDlg::Ask()
{
    exec();
    return Answer();
}

void TOverwriteDlg::showEvent(QShowEvent *event)
{
    // Escape or the close box end the dialog without a button: that is Cancel.
    m_choice = TDuplicateChoice::Cancel;
    QDialog::showEvent(event);
}

TDuplicateAnswer
AskDuplicateWithDialog(QWidget *parent, const QString &message, const TDuplicateCaptions &captions)
{
    // The parent window may be closed while the dialog's loop runs and take it along.
    QPointer<TOverwriteDlg> dialog = new TOverwriteDlg(message, parent, captions);
    dialog->exec();
    if (!dialog)
        return TDuplicateAnswer{TDuplicateChoice::Cancel, false};
    const TDuplicateAnswer answer = dialog->Answer();
    delete dialog.data();
    return answer;
}
