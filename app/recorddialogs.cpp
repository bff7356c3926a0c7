#include "app/recorddialogs.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>

namespace {

// The dialogs are parented to a window that may close while they run (a nested event
// loop), so each one is held through a QPointer and deleted only if it still exists.
template <typename T> class TModal
{
public:
    explicit TModal(T *dialog)
        : m_dialog(dialog)
    {}
    ~TModal() { delete m_dialog.data(); }
    TModal(const TModal &) = delete;
    TModal &operator=(const TModal &) = delete;

    T *operator->() const { return m_dialog.data(); }
    T *Get() const { return m_dialog.data(); }
    // Runs the dialog; false on Cancel and when it died with its parent, so its widgets are
    // only read when this is true.
    bool Exec()
    {
        const bool accepted = m_dialog->exec() == QDialog::Accepted;
        return accepted && !m_dialog.isNull();
    }

private:
    QPointer<T> m_dialog;
};

// An OK/Cancel dialog of fixed size: a form above the buttons.
struct TFormDialog
{
    QDialog *dialog = nullptr;
    QFormLayout *form = nullptr;
};

TFormDialog NewFormDialog(QWidget *parent, const QString &name, const QString &caption)
{
    TFormDialog result;
    result.dialog = new QDialog(parent);
    result.dialog->setObjectName(name);
    result.dialog->setWindowTitle(caption);

    result.form = new QFormLayout;
    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, result.dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, result.dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, result.dialog, &QDialog::reject);

    auto *layout = new QVBoxLayout(result.dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(result.form);
    layout->addWidget(buttons);
    return result;
}

QSpinBox *NewSpinBox(QWidget *parent, const QString &name, int minimum, int maximum, int value)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setValue(value); // clamps a preset outside the range
    return box;
}

// The folder that holds `file`, for when the file itself cannot be shown selected.
QUrl FolderUrl(const QString &file)
{
    return QUrl::fromLocalFile(QFileInfo(file).absolutePath());
}

} // namespace

std::optional<QString> TRecordDialogs::AskText(QWidget *parent,
                                               const QString &caption,
                                               const QString &prompt,
                                               const QString &text)
{
    TModal<QInputDialog> dialog(new QInputDialog(parent));
    dialog->setObjectName(QStringLiteral("InputBox"));
    dialog->setWindowTitle(caption);
    dialog->setLabelText(prompt);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setTextValue(text);
    if (!dialog.Exec())
        return std::nullopt;
    return dialog->textValue();
}

TFileDecision
TRecordDialogs::AskDeleteFile(QWidget *parent, const QString &caption, const QString &text)
{
    TModal<QMessageBox> box(
        new QMessageBox(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent));
    box->setObjectName(QStringLiteral("DeleteFileBox"));
    struct TChoice
    {
        const char *name;
        QString caption;
        QMessageBox::ButtonRole role;
        TFileDecision decision;
    };
    const TChoice choices[] = {
        {"YesBtn", QStringLiteral("&Yes"), QMessageBox::YesRole, TFileDecision::Yes},
        {"NoBtn", QStringLiteral("&No"), QMessageBox::NoRole, TFileDecision::No},
        {"YesToAllBtn",
         QStringLiteral("Yes to All"),
         QMessageBox::YesRole,
         TFileDecision::YesToAll},
        {"NoToAllBtn", QStringLiteral("No to All"), QMessageBox::NoRole, TFileDecision::NoToAll},
    };
    QList<QPushButton *> buttons;
    for (const TChoice &choice : choices) {
        QPushButton *button = box->addButton(choice.caption, choice.role);
        button->setObjectName(QString::fromLatin1(choice.name));
        buttons.append(button);
    }
    // Enter must not delete a file from disk by accident.
    box->setDefaultButton(buttons.at(1));
    // Without an escape button a message box cannot be closed; closing means "No".
    box->setEscapeButton(buttons.at(1));

    box->exec();
    if (!box.Get())
        return TFileDecision::No;
    const qsizetype index = buttons.indexOf(qobject_cast<QPushButton *>(box->clickedButton()));
    return index < 0 ? TFileDecision::No : choices[index].decision;
}

std::optional<TNewEpisodeAnswer>
TRecordDialogs::AskNewEpisode(QWidget *parent, int proposal, bool copy)
{
    const TFormDialog parts =
        NewFormDialog(parent, QStringLiteral("NewEpisodeDlg"), QStringLiteral("New Episode..."));
    TModal<QDialog> dialog(parts.dialog);
    QSpinBox *number =
        NewSpinBox(parts.dialog, QStringLiteral("EpisodeNumber"), 0, MaxEpisodeNumber, proposal);
    auto *copyBox = new QCheckBox(QStringLiteral("Copy Movie data to this Episode"), parts.dialog);
    copyBox->setObjectName(QStringLiteral("CopyData"));
    copyBox->setChecked(copy);
    parts.form->addRow(QStringLiteral("Episode number:"), number);
    parts.form->addRow(copyBox);
    number->selectAll();

    if (!dialog.Exec())
        return std::nullopt;
    return TNewEpisodeAnswer{number->value(), copyBox->isChecked()};
}

std::optional<TIdSeries> TRecordDialogs::AskIdSeries(QWidget *parent, const TIdSeries &preset)
{
    const TFormDialog parts =
        NewFormDialog(parent, QStringLiteral("SetIdsDlg"), QStringLiteral("Set IDs..."));
    TModal<QDialog> dialog(parts.dialog);
    QSpinBox *start =
        NewSpinBox(parts.dialog, QStringLiteral("StartFrom"), 0, MaxIdStart, preset.Start);
    QSpinBox *increment =
        NewSpinBox(parts.dialog, QStringLiteral("Increment"), 1, MaxIdIncrement, preset.Increment);
    parts.form->addRow(QStringLiteral("Start from:"), start);
    parts.form->addRow(QStringLiteral("Increment:"), increment);
    start->selectAll();

    if (!dialog.Exec())
        return std::nullopt;
    return TIdSeries{start->value(), increment->value()};
}

std::optional<QDate> TRecordDialogs::AskDate(QWidget *parent, QDate day)
{
    const TFormDialog parts =
        NewFormDialog(parent, QStringLiteral("SelectDateDlg"), QStringLiteral("Select date"));
    TModal<QDialog> dialog(parts.dialog);
    auto *calendar = new QCalendarWidget(parts.dialog);
    calendar->setObjectName(QStringLiteral("Calendar"));
    calendar->setSelectedDate(day.isValid() ? day : QDate::currentDate());
    // Double-click or Enter on a day.
    QObject::connect(calendar, &QCalendarWidget::activated, parts.dialog, &QDialog::accept);
    parts.form->addRow(calendar);
    calendar->setFocus();

    if (!dialog.Exec())
        return std::nullopt;
    return calendar->selectedDate();
}

QUrl TRecordDialogs::DesktopUrl(const QString &fileOrUrl)
{
    if (fileOrUrl.isEmpty())
        return {};
    // Two letters at least, so "C:\..." from a Windows catalog stays a file name.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    const QFileInfo info(fileOrUrl);
    if (!info.exists() && scheme.match(fileOrUrl).hasMatch()) {
        QUrl url(fileOrUrl, QUrl::TolerantMode);
        return url.isValid() ? url : QUrl();
    }
    return QUrl::fromLocalFile(info.isRelative() ? info.absoluteFilePath() : fileOrUrl);
}

bool TRecordDialogs::OpenWithDesktop(const QString &fileOrUrl)
{
    const QUrl url = DesktopUrl(fileOrUrl);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}

void TRecordDialogs::ShowInFileManager(const QString &file)
{
    ShowInFileManager(file, QDBusConnection::sessionBus());
}

void TRecordDialogs::ShowInFileManager(const QString &file, const QDBusConnection &bus)
{
    if (file.isEmpty())
        return;
    const QUrl folder = FolderUrl(file);
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }

    const QString fileManager = QStringLiteral("org.freedesktop.FileManager1");
    QDBusMessage call =
        QDBusMessage::createMethodCall(fileManager,
                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                       fileManager,
                                       QStringLiteral("ShowItems"));
    // The URIs to select and a startup-notification id (none).
    call << QStringList{QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString()}
         << QString();
    // Asynchronous: starting a file manager may take seconds and must not freeze the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, FileManagerTimeoutMs),
                                                QCoreApplication::instance());
    QObject::connect(watcher,
                     &QDBusPendingCallWatcher::finished,
                     watcher,
                     [folder](QDBusPendingCallWatcher *finished) {
                         if (finished->isError())
                             QDesktopServices::openUrl(folder);
                         finished->deleteLater();
                     });
}
