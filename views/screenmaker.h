#pragma once

#include <array>
#include <functional>

#include <QDialog>
#include <QImage>
#include <QString>
#include <QStringList>

#include "catalog/image.h"

class QCheckBox;
class QFrame;
class QHBoxLayout;
class QListWidget;
class QListWidgetItem;
class QSlider;
class QTimer;
class QToolButton;
class QVBoxLayout;
class TVideoPlayer;

// "Screenshot maker": plays the movie's video files, and grabs the frame on show into one
// of three screenshot slots; on OK the new pictures are written into the output folder.
// Slot numbers are 1..3; grab positions are the player's milliseconds, -1 while nothing
// was grabbed into a slot.
class TScreenMaker : public QDialog
{
    Q_OBJECT

public:
    // screenshotsFolder: the catalog's screenshots folder (ends in "/"); the movie's
    // screenshot paths are relative to it.
    explicit TScreenMaker(const QString &screenshotsFolder, QWidget *parent = nullptr);
    ~TScreenMaker() override;

    // "|"-separated absolute paths; the first one that exists is opened, paused.
    void SetVideoFiles(const QString &list);
    // "|"-separated paths relative to the screenshots folder, the last one into slot 1.
    // Up to three: ".jpg" and ".bmp" files are loaded, missing ones leave their slot
    // empty, another extension stops the loading. Four or more load nothing.
    void SetScreenshots(const QString &list);
    // 1..3; other values are ignored.
    void SelectSlot(int slot);
    void SetTitle(const QString &title) { m_title = title; }
    // Ends in "/".
    void SetOutputFolder(const QString &folder) { m_outputFolder = folder; }
    // The slot paths from slot 3 down to slot 1, relative to the screenshots folder, "|".
    QString Result() const;
    // The format new files of grabs are written in (JPEG, quality 90, unless the user ticks
    // bitmaps); a grab into an existing file keeps that file's name and format. The choice
    // stays for the next screenshot maker of the session.
    void SetGrabFormat(TImageFormat format);
    TImageFormat GrabFormat() const;
    // The choice the next screenshot maker starts with (kept in the settings between runs).
    static void SetDefaultGrabFormat(TImageFormat format);
    static TImageFormat DefaultGrabFormat();

    // Translated texts: (number, English text) -> text. Without one, the English texts.
    using TTextSource = std::function<QString(int number, const QString &english)>;
    void SetTextSource(TTextSource source);
    // Shows the error when a picture cannot be written; a message box by default.
    using TErrorReporter = std::function<void(const QString &caption, const QString &text)>;
    void SetErrorReporter(TErrorReporter reporter) { m_reportError = std::move(reporter); }

    // The user's actions, also for callers that drive the window themselves.
    void OpenFile(int index, bool play);
    void PlayPause();
    void Grab();

    int SelectedSlot() const { return m_selected; }
    // Absolute; empty when the slot has no file.
    QString SlotPath(int slot) const;
    qint64 GrabPosition(int slot) const;
    QImage SlotImage(int slot) const;
    int CurrentFileIndex() const { return m_current; }
    QStringList VideoFiles() const { return m_files; }
    bool IsPlaying() const { return m_playing; }
    TVideoPlayer *Player() const { return m_player; }

    void done(int result) override;

private:
    // The parts of the window, built once by the constructor.
    QVBoxLayout *BuildSlots();
    QVBoxLayout *BuildPlayer();
    QHBoxLayout *BuildBottom();
    void ConnectPlayer();

    struct TSlot
    {
        TImage Picture;
        QImage Shown;
        QString Path;
        qint64 GrabPos = -1;
        // A new picture not written yet.
        bool Grabbed = false;
    };

    QString Text(int number, const QString &english) const;
    void Retranslate();
    void SetPlaying(bool playing);
    void ShowSlotPicture(int slot);
    void MarkCurrentFile();
    // Writes the new pictures; false (after reporting) when one could not be written.
    bool WritePictures();
    QString NewSlotPath(int slot) const;

    QString m_screenshotsFolder;
    QString m_title;
    QString m_outputFolder;
    QStringList m_files;
    int m_current = -1;
    bool m_playing = false;
    int m_selected = 0;
    std::array<TSlot, 3> m_slots;
    TTextSource m_texts;
    TErrorReporter m_reportError;

    TVideoPlayer *m_player = nullptr;
    std::array<QFrame *, 3> m_shapes{};
    std::array<QWidget *, 3> m_scr{};
    QWidget *m_video = nullptr;
    QSlider *m_trackBar = nullptr;
    QToolButton *m_ppBtn = nullptr;
    QToolButton *m_makeScrBtn = nullptr;
    QListWidget *m_fileList = nullptr;
    QCheckBox *m_bitmapCheck = nullptr;
    // Seeks while the track bar is dragged are coalesced into one per event-loop pass.
    QTimer *m_seekTimer = nullptr;
};
