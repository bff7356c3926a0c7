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
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStringList>
#include <QStyle>
#include <QVBoxLayout>

#include "host/linkpolicy.h"
#include "views/languagewide.h"

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

// Texts of the question before a catalog target opens.
constexpr int TextOpenCaption = 3954;
constexpr int TextOpenQuestion = 3961;
constexpr int TextYes = 3962;
constexpr int TextNo = 3963;

// Why the target was not opened at once (texts 3955 to 3960).
std::pair<int, QString> RiskText(TLinkRisk risk)
{
    switch (risk) {
    case TLinkRisk::OtherScheme:
        return {3955,
                QStringLiteral("This address is not a web page. The program your desktop "
                               "assigns to it will open it:")};
    case TLinkRisk::LocalFile:
        return {3956,
                QStringLiteral("This is a file or folder on this computer. The program your "
                               "desktop assigns to it will open it:")};
    case TLinkRisk::Launcher:
        return {3957,
                QStringLiteral("This is a program launcher. Opening it can start any program:")};
    case TLinkRisk::Script:
        return {3958, QStringLiteral("This is a script. Opening it can run it:")};
    case TLinkRisk::Executable:
        return {3959, QStringLiteral("This is a program. Opening it can run it:")};
    case TLinkRisk::NotMedia:
    case TLinkRisk::None:
        break;
    }
    return {3960, QStringLiteral("This is no video, audio or disc image file:")};
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
    // A web address typed without its scheme would otherwise ask as a missing local file.
    if (!info.exists() && fileOrUrl.size() > 4
        && fileOrUrl.startsWith(QStringLiteral("www."), Qt::CaseInsensitive)) {
        QUrl url(QStringLiteral("http://") + fileOrUrl, QUrl::TolerantMode);
        return url.isValid() ? url : QUrl();
    }
    return QUrl::fromLocalFile(info.isRelative() ? info.absoluteFilePath() : fileOrUrl);
}

bool TRecordDialogs::OpenWithDesktop(const QString &fileOrUrl)
{
    const QUrl url = DesktopUrl(fileOrUrl);
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}

bool TRecordDialogs::OpenCatalogTarget(IMainDialogs &dialogs,
                                       QWidget *parent,
                                       const QString &fileOrUrl,
                                       TLinkUse use)
{
    const QUrl url = DesktopUrl(fileOrUrl);
    if (url.isEmpty())
        return false;
    const TLinkDecision decision = TLinkPolicy::Decide(url, use);
    if (decision.Verdict == TLinkVerdict::Ask && !dialogs.AskOpenTarget(parent, decision))
        return false;
    return dialogs.OpenWithDesktop(fileOrUrl);
}

bool TRecordDialogs::AskOpenTarget(QWidget *parent,
                                   const TLinkDecision &decision,
                                   const TWideLanguage *language)
{
    const auto text = [language](int number, const QString &english) {
        return language ? language->Caption(number, english) : english;
    };
    TModal<QDialog> dialog(new QDialog(parent));
    QDialog *box = dialog.Get();
    box->setObjectName(QStringLiteral("OpenTargetDlg"));
    box->setWindowTitle(text(TextOpenCaption, QStringLiteral("Open from the catalog")));

    auto *icon = new QLabel(box);
    const int iconSize = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box);
    icon->setPixmap(
        box->style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, box).pixmap(iconSize));
    const auto [reasonNumber, reasonEnglish] = RiskText(decision.Risk);
    auto *reason = new QLabel(text(reasonNumber, reasonEnglish), box);
    reason->setObjectName(QStringLiteral("ReasonLabel"));
    reason->setWordWrap(true);
    // A label cannot break a long address; a read-only text box shows all of it and lets
    // the user copy it.
    auto *target = new QPlainTextEdit(decision.Target, box);
    target->setObjectName(QStringLiteral("TargetText"));
    target->setReadOnly(true);
    target->setWordWrapMode(QTextOption::WrapAnywhere);
    target->setMinimumWidth(target->fontMetrics().averageCharWidth() * 60);
    target->setFixedHeight(
        target->fontMetrics().lineSpacing() * 4
        + 2 * (target->frameWidth() + int(target->document()->documentMargin())));
    auto *question = new QLabel(text(TextOpenQuestion,
                                     QStringLiteral("Open it only if you trust where the catalog "
                                                    "came from. Open it?")),
                                box);
    question->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(box);
    QPushButton *yes =
        buttons->addButton(text(TextYes, QStringLiteral("&Yes")), QDialogButtonBox::YesRole);
    yes->setObjectName(QStringLiteral("YesBtn"));
    QPushButton *no =
        buttons->addButton(text(TextNo, QStringLiteral("&No")), QDialogButtonBox::NoRole);
    no->setObjectName(QStringLiteral("NoBtn"));
    // Enter must not open a launcher by accident.
    yes->setAutoDefault(false);
    no->setDefault(true);
    QObject::connect(yes, &QPushButton::clicked, box, &QDialog::accept);
    QObject::connect(no, &QPushButton::clicked, box, &QDialog::reject);

    auto *texts = new QVBoxLayout;
    texts->addWidget(reason);
    texts->addWidget(target);
    texts->addWidget(question);
    auto *row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    auto *layout = new QVBoxLayout(box);
    layout->addLayout(row);
    layout->addWidget(buttons);
    no->setFocus();
    return dialog.Exec();
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
