#pragma once

#include <optional>

#include <QDate>
#include <QString>
#include <QUrl>

#include "app/maindialogs.h"

class QDBusConnection;
class QWidget;
class TWideLanguage;
struct TLinkDecision;
enum class TLinkUse;

// The questions of the record commands and the hand-over of movie files to the desktop.
// Every dialog is modal, parented to `parent` (may be null) and deleted before returning;
// when `parent` closes while a dialog runs, the dialog counts as cancelled.
class TRecordDialogs
{
public:
    // Limits of the spin boxes.
    static constexpr int MaxEpisodeNumber = 99999999;
    static constexpr int MaxIdStart = 99999999;
    static constexpr int MaxIdIncrement = 99999999;
    // How long the file manager may take to answer before its folder is opened instead.
    static constexpr int FileManagerTimeoutMs = 10000;

    // A one-line input box preset with `text`; nothing on Cancel.
    static std::optional<QString>
    AskText(QWidget *parent, const QString &caption, const QString &prompt, const QString &text);
    // "&Yes", "&No", "Yes to All", "No to All"; Esc and closing the box answer No.
    static TFileDecision
    AskDeleteFile(QWidget *parent, const QString &caption, const QString &text);
    // "New Episode...": the number (clamped to 0..MaxEpisodeNumber) and the copy box.
    static std::optional<TNewEpisodeAnswer> AskNewEpisode(QWidget *parent, int proposal, bool copy);
    // "Set IDs...": start 0..MaxIdStart and increment 1..MaxIdIncrement; out-of-range presets
    // are clamped.
    static std::optional<TIdSeries> AskIdSeries(QWidget *parent, const TIdSeries &preset);
    // "Select date": a calendar on `day` (today when `day` is invalid); a double-click on a day
    // is OK.
    static std::optional<QDate> AskDate(QWidget *parent, QDate day);

    // What the desktop is asked to open: a text with a scheme of two or more letters
    // ("https:", "mailto:") is an address unless a file of that name exists, and so is
    // "www." followed by more (an http address, as catalogs often hold them); anything else
    // is a local file, made absolute against the working folder. Empty for an empty text
    // or an address that does not parse.
    static QUrl DesktopUrl(const QString &fileOrUrl);
    // Opens DesktopUrl(fileOrUrl) with the desktop's default program; false when there is
    // nothing to open or the desktop refused it.
    static bool OpenWithDesktop(const QString &fileOrUrl);
    // A link or movie file from the catalog: what TLinkPolicy lets through opens at once,
    // anything else only after `dialogs` asked and got Yes. Both the question and the
    // opening go through `dialogs`. False when nothing was opened.
    static bool OpenCatalogTarget(IMainDialogs &dialogs,
                                  QWidget *parent,
                                  const QString &fileOrUrl,
                                  TLinkUse use);
    // The question of OpenCatalogTarget: why the target is not opened at once, the whole
    // target (selectable, wrapped anywhere, never shortened) and Yes/No with No as the
    // default; Esc and closing answer No. `language` (may be null) gives the texts.
    static bool
    AskOpenTarget(QWidget *parent, const TLinkDecision &decision, const TWideLanguage *language);
    // Asks the freedesktop file manager on the session bus to show `file` selected; the
    // call is asynchronous, and when the bus is missing, the call fails or it times out,
    // the containing folder is opened instead. Nothing for an empty name.
    static void ShowInFileManager(const QString &file);
    // The same on `bus` (tests use a private bus).
    static void ShowInFileManager(const QString &file, const QDBusConnection &bus);
};
