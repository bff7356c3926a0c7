#pragma once

#include <functional>

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

// A plug-in a movie master button can run: its registry index and menu caption.
struct TMasterPlugin
{
    int Index = -1;
    QString Caption;
};

// The boxes of the movie master: what it shows first, and what the user chose on "Go".
struct TMasterChoice
{
    QString Title;
    QString OrigTitle;
    QString Files;
    // The NMM settings and DefSeenState.
    bool Info = true;
    bool Poster = true;
    bool Covers = false;
    bool FileInfo = true;
    bool Wish = false;
    bool Screenshots = false;
    bool Seen = true;
    // The plug-ins of types 2 (information), 4 (poster) and 5 (covers); -1 for none.
    int InfoPlugin = -1;
    int PosterPlugin = -1;
    int CoverPlugin = -1;
};

// What the movie master starts with.
struct TMasterSetup
{
    TMasterChoice Start;
    // The plug-ins each button offers.
    QList<TMasterPlugin> InfoPlugins;
    QList<TMasterPlugin> PosterPlugins;
    QList<TMasterPlugin> CoverPlugins;
    // The web search engines by name ("-" is a separator).
    QStringList Engines;
};

// "New Movie Master": one new movie from a title and its files, filled at once through
// the chosen plug-ins, the media-file reader and the screenshot maker.
class TMovieMaster : public QDialog
{
    Q_OBJECT

public:
    // The file picker: the chosen paths joined with "|", empty when cancelled.
    using TPicker = std::function<QString()>;
    // Opens web search engine n for a text.
    using TWebSearch = std::function<void(int engine, const QString &text)>;
    using TTexts = std::function<QString(int number, const QString &english)>;

    TMovieMaster(const TMasterSetup &setup,
                 TPicker picker,
                 TWebSearch webSearch,
                 const TTexts &texts,
                 QWidget *parent = nullptr);

    TMasterChoice Choice() const;
    // "&Browse": the picker's files replace the box; an empty title takes the title guessed
    // from the first file.
    void Browse();
    // What a web search starts from: the title, else the original title.
    QString SearchText() const;

private:
    // The button whose menu lists the web search engines.
    QToolButton *WebSearchButton(const QStringList &engineNames, const QString &toolTip);
    // Lets the user edit the search text, then searches engine n for it.
    void AskSearchText(int engine);
    QToolButton *PluginButton(const QString &name,
                              const QList<TMasterPlugin> &plugins,
                              int &chosen,
                              const QString &none);
    void UpdateScreenshotBox();

    TTexts m_texts;
    TPicker m_picker;
    TWebSearch m_webSearch;
    int m_infoPlugin = -1;
    int m_posterPlugin = -1;
    int m_coverPlugin = -1;
    QLineEdit *m_title;
    QLineEdit *m_origTitle;
    QLineEdit *m_files;
    QCheckBox *m_info;
    QCheckBox *m_poster;
    QCheckBox *m_covers;
    QCheckBox *m_fileInfo;
    QCheckBox *m_screenshots;
    QCheckBox *m_wish;
    QCheckBox *m_seen;
};
