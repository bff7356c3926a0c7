#include "app/maindialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/loandlg.h"
#include "app/multieditor.h"
#include "app/passdlg.h"
#include "app/recorddialogs.h"
#include "app/selform.h"
#include "app/toolsdialogs.h"
#include "app/widefiledialog.h"
#include "views/languagewide.h"
#include "views/screenmaker.h"

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

std::optional<TNewPassword> TQtMainDialogs::AskNewPassword(QWidget *parent, TProtection current)
{
    return TPasswordPrompt::AskNewPassword(parent, m_language, current);
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

std::optional<QString> TQtMainDialogs::AskBorrower(QWidget *parent,
                                                   const QStringList &recentBorrowers)
{
    return TLoanDlg::Ask(parent, recentBorrowers, m_language);
}

std::optional<QString> TQtMainDialogs::RunScreenMaker(QWidget *parent,
                                                      const TScreenRequest &request)
{
    TScreenMaker maker(request.ScreenshotsFolder, parent);
    if (const TWideLanguage *language = m_language)
        maker.SetTextSource([language](int number, const QString &english) {
            return language->Caption(number, english);
        });
    maker.SetVideoFiles(request.VideoFiles);
    maker.SetScreenshots(request.Screenshots);
    maker.SelectSlot(request.Slot);
    maker.SetTitle(request.Title);
    maker.SetOutputFolder(request.OutputFolder);
    if (maker.exec() != QDialog::Accepted)
        return std::nullopt;
    return maker.Result();
}

std::optional<TDuplicateAction> TQtMainDialogs::AskDuplicateAction(QWidget *parent,
                                                                   TDuplicateAction preset)
{
    return TToolsDialogs::AskDuplicateAction(parent, preset, m_language);
}

std::optional<TBadFileOptions> TQtMainDialogs::AskBadFileOptions(QWidget *parent,
                                                                 const TBadFileOptions &preset)
{
    return TToolsDialogs::AskBadFileOptions(parent, preset, m_language);
}

std::optional<TMultiEditAnswer> TQtMainDialogs::AskMultiEdit(QWidget *parent,
                                                             const TMultiCommon &common,
                                                             const TMultiEditLists &lists)
{
    return TMME::Ask(parent, common, lists, m_language);
}

std::optional<TMasterChoice> TQtMainDialogs::RunMovieMaster(
    QWidget *parent,
    const TMasterSetup &setup,
    const std::function<QString()> &picker,
    const std::function<void(int engine, const QString &text)> &webSearch)
{
    const TWideLanguage *language = m_language;
    TMovieMaster master(
        setup,
        picker,
        webSearch,
        [language](int number, const QString &english) {
            return language ? language->Caption(number, english) : english;
        },
        parent);
    if (master.exec() != QDialog::Accepted)
        return std::nullopt;
    return master.Choice();
}

bool TQtMainDialogs::OpenWithDesktop(const QString &fileOrUrl)
{
    return TRecordDialogs::OpenWithDesktop(fileOrUrl);
}

bool TQtMainDialogs::AskOpenTarget(QWidget *parent, const TLinkDecision &decision)
{
    return TRecordDialogs::AskOpenTarget(parent, decision, m_language);
}

void TQtMainDialogs::ShowInFileManager(const QString &file)
{
    TRecordDialogs::ShowInFileManager(file);
}

bool TQtMainDialogs::PickFiles(QWidget *parent,
                               const TPickerOptions &options,
                               bool allowAppend,
                               bool &append,
                               const QString &extensions,
                               QString &result,
                               QString &lastFolder)
{
    TPickerOptions translated = options;
    if (!translated.Language)
        translated.Language = m_language;
    return ::PickFiles(parent, translated, allowAppend, append, extensions, result, lastFolder);
}

TResultChoice TQtMainDialogs::ChooseWebResult(QWidget *parent,
                                              const QString &caption,
                                              const QList<TWebResultEntry> &entries,
                                              const QByteArray &referrer)
{
    // The browse link is a page the plug-in found: it asks like any catalog link.
    return TSelForm::Choose(parent,
                            caption,
                            entries,
                            referrer,
                            m_previewFetch,
                            [this](QWidget *form, const QString &url) {
                                TRecordDialogs::OpenCatalogTarget(*this, form, url, TLinkUse::Link);
                            });
}
