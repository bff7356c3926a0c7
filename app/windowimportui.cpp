#include "windowimportui.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "app/overwritedlg.h"
#include "app/waitwindow.h"
#include "views/languagewide.h"

const QString TWindowImportUi::DefaultMovieDuplicateText =
    QStringLiteral("This movie seems to be in the catalog already. What should be done with it?");
const QString TWindowImportUi::DefaultPersonDuplicateText = QStringLiteral(
    "This person seems to be in the catalog already. What should be done with the new record?");
const QString TWindowImportUi::DefaultImportWaitText = QStringLiteral("Working, please wait...");
const QString TWindowImportUi::DefaultExportWaitText = QStringLiteral("Exporting, please wait...");

TWindowImportUi::TWindowImportUi(TTask task,
                                 QString &openFolder,
                                 QString &saveFolder,
                                 TWaitWindow *waitWindow,
                                 const TWideLanguage *language,
                                 QWidget *parent)
    : m_task(task)
    , m_openFolder(openFolder)
    , m_saveFolder(saveFolder)
    , m_waitWindow(waitWindow)
    , m_language(language)
    , m_parent(parent)
{
    m_elapsed.start();
}

QString TWindowImportUi::QtFilter(const QString &pluginFilter)
{
    const QStringList parts = pluginFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        // Plug-ins list several patterns with ";", Qt wants them space-separated.
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns)
            pattern = pattern.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        const QString list = patterns.join(QLatin1Char(' '));
        entries.append((description.isEmpty() ? list : description) + QStringLiteral(" (") + list
                       + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

QString TWindowImportUi::LanguageText(int number, const QString &defaultText) const
{
    const QString text = m_language ? m_language->Text(number) : QString();
    return text.isEmpty() ? defaultText : text;
}

QString TWindowImportUi::DuplicateMessage(TRecordKind kind,
                                          const QString &text1,
                                          const QString &text2) const
{
    const bool person = kind == TRecordKind::Person;
    const QString question = person ? LanguageText(1821, DefaultPersonDuplicateText)
                                    : LanguageText(1815, DefaultMovieDuplicateText);
    // A translation may place the names itself; the shipped texts do not, so the names
    // follow the question on a line of their own.
    if (question.contains(QLatin1String("%1")))
        return question.contains(QLatin1String("%2")) ? question.arg(text1, text2)
                                                      : question.arg(text1);
    QString names = text1;
    if (!text2.isEmpty() && text2 != text1)
        names = names.isEmpty() ? text2 : names + QStringLiteral(" (") + text2 + QLatin1Char(')');
    return names.isEmpty() ? question : question + QStringLiteral("\n\n") + names;
}

QString TWindowImportUi::WaitText() const
{
    return m_task == TTask::Import ? LanguageText(1861, DefaultImportWaitText)
                                   : LanguageText(1862, DefaultExportWaitText);
}

std::optional<QString> TWindowImportUi::AskFile(bool save, const QString &filter, QString &folder)
{
    const QString qtFilter = QtFilter(filter);
    std::optional<QString> chosen;
    if (m_chooser) {
        chosen = m_chooser(folder, qtFilter);
    } else {
        const QString file = save ? QFileDialog::getSaveFileName(m_parent, {}, folder, qtFilter)
                                  : QFileDialog::getOpenFileName(m_parent, {}, folder, qtFilter);
        if (!file.isEmpty())
            chosen = file;
    }
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    folder = QFileInfo(*chosen).absolutePath();
    return chosen;
}

std::optional<QString> TWindowImportUi::AskOpenFile(const QString &filter)
{
    return AskFile(false, filter, m_openFolder);
}

std::optional<QString> TWindowImportUi::AskSaveFile(const QString &filter)
{
    return AskFile(true, filter, m_saveFolder);
}

TDuplicateAnswer
TWindowImportUi::AskDuplicate(TRecordKind kind, const QString &text1, const QString &text2)
{
    TDuplicateCaptions captions;
    for (auto [text, number] : {std::pair{&captions.title, 3867},
                                {&captions.merge, 3868},
                                {&captions.add, 3869},
                                {&captions.overwrite, 3870},
                                {&captions.skip, 3871},
                                {&captions.cancel, 3872},
                                {&captions.doNotShow, 3873}})
        *text = LanguageText(number, *text);
    return AskDuplicateWithDialog(m_parent, DuplicateMessage(kind, text1, text2), captions);
}

void TWindowImportUi::ShowWait(bool cancellable)
{
    if (m_waitWindow)
        m_waitWindow->ShowWait(WaitText(), cancellable);
}

void TWindowImportUi::HideWait()
{
    if (m_waitWindow)
        m_waitWindow->HideWait();
}

void TWindowImportUi::ProcessEvents()
{
    if (!m_waitWindow)
        return;
    const qint64 now = m_clock ? m_clock() : m_elapsed.elapsed();
    if (m_lastTurn && now - *m_lastTurn < EventInterval)
        return;
    m_lastTurn = now;
    m_waitWindow->ProcessEvents();
}

bool TWindowImportUi::CancelRequested()
{
    return m_waitWindow && m_waitWindow->CancelRequested();
}

void TWindowImportUi::BeginListUpdate()
{
    if (m_beginUpdate)
        m_beginUpdate();
}

void TWindowImportUi::EndListUpdate()
{
    if (m_endUpdate)
        m_endUpdate();
}

QString TWindowImportUi::SummaryText(const TImportSummary &summary) const
{
    QStringList parts;
    const auto counts = [](const QString &text, const TImportSummary::TCounts &counted) {
        return QString(text)
            .replace(QLatin1String("%1"), QString::number(counted.added))
            .replace(QLatin1String("%2"), QString::number(counted.merged))
            .replace(QLatin1String("%3"), QString::number(counted.skipped));
    };
    // A file of people only says nothing about movies.
    if (summary.movies.Total() > 0 || summary.people.Total() == 0) {
        parts << counts(
            summary.movies.added == 1
                ? LanguageText(4058, QStringLiteral("%1 movie imported, %2 merged, %3 skipped"))
                : LanguageText(4050, QStringLiteral("%1 movies imported, %2 merged, %3 skipped")),
            summary.movies);
    }
    if (summary.people.Total() > 0) {
        parts << counts(
            summary.people.added == 1
                ? LanguageText(4059, QStringLiteral("%1 person imported, %2 merged, %3 skipped"))
                : LanguageText(4051, QStringLiteral("%1 people imported, %2 merged, %3 skipped")),
            summary.people);
    }
    QString text = parts.join(QStringLiteral("; "));
    if (summary.cancelled) {
        text = QString(LanguageText(4052, QStringLiteral("Import cancelled; %1")))
                   .replace(QLatin1String("%1"), text);
    }
    // The plug-in's own words on what went into other fields, in the user's language.
    if (!summary.notes.isEmpty())
        text += QStringLiteral(". ") + summary.notes;
    return text;
}
