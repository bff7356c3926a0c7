#include "app/toolsdialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "views/languagewide.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

template <typename T> T *Tagged(T *object, const QString &name, int tag)
{
    object->setObjectName(name);
    object->setProperty(TagProperty, tag);
    return object;
}

// A fixed-size dialog: `content` above OK and Cancel.
QDialog *NewDialog(QWidget *parent, const QString &name, int tag, const QString &caption)
{
    auto *dialog = Tagged(new QDialog(parent), name, tag);
    dialog->setWindowTitle(caption);
    auto *layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return dialog;
}

void AddButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    Tagged(buttons->button(QDialogButtonBox::Ok), u"OKBtn"_s, 1750);
    Tagged(buttons->button(QDialogButtonBox::Cancel), u"CancelBtn"_s, 1751);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    dialog->layout()->addWidget(buttons);
}

// Runs the dialog; false on Cancel and when it died with its parent.
bool Run(QPointer<QDialog> &dialog, const TWideLanguage *language)
{
    if (language)
        Translate(*language, dialog.data());
    return dialog->exec() == QDialog::Accepted && dialog;
}

} // namespace

std::optional<TDuplicateAction> TToolsDialogs::AskDuplicateAction(QWidget *parent,
                                                                  TDuplicateAction preset,
                                                                  const TWideLanguage *language)
{
    QPointer<QDialog> dialog = NewDialog(parent, u"RemDupDlg"_s, 1979, u"Remove duplicates"_s);
    auto *group =
        Tagged(new QGroupBox(u"What to do with duplicates?"_s, dialog), u"DupGroup"_s, 1980);
    auto *remove = Tagged(new QRadioButton(u"Remove "_s, group), u"RemoveRadio"_s, 1981);
    auto *merge = Tagged(new QRadioButton(u"Merge"_s, group), u"MergeRadio"_s, 1982);
    (preset == TDuplicateAction::Merge ? merge : remove)->setChecked(true);
    auto *choices = new QVBoxLayout(group);
    choices->addWidget(remove);
    choices->addWidget(merge);
    dialog->layout()->addWidget(group);
    AddButtons(dialog);

    std::optional<TDuplicateAction> answer;
    if (Run(dialog, language))
        answer = merge->isChecked() ? TDuplicateAction::Merge : TDuplicateAction::Remove;
    delete dialog.data();
    return answer;
}

std::optional<TBadFileOptions> TToolsDialogs::AskBadFileOptions(QWidget *parent,
                                                                const TBadFileOptions &preset,
                                                                const TWideLanguage *language)
{
    QPointer<QDialog> dialog =
        NewDialog(parent, u"RemBadFilesDlg"_s, 1983, u"Remove bad file locations"_s);
    auto *external = Tagged(
        new QCheckBox(u"Leave paths to external drives"_s, dialog), u"ExternalCheck"_s, 1984);
    auto *labels = Tagged(
        new QCheckBox(u"Remove corresponding Media Labels"_s, dialog), u"LabelsCheck"_s, 1985);
    external->setChecked(preset.KeepExternal);
    labels->setChecked(preset.CutLabels);
    dialog->layout()->addWidget(external);
    dialog->layout()->addWidget(labels);
    AddButtons(dialog);

    std::optional<TBadFileOptions> answer;
    if (Run(dialog, language))
        answer = TBadFileOptions{external->isChecked(), labels->isChecked()};
    delete dialog.data();
    return answer;
}
