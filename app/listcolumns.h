#pragma once

#include <array>
#include <memory>
#include <unordered_map>

#include <QColor>
#include <QString>
#include <QStringList>

#include "app/listmodel.h"
#include "catalog/moviefields.h"
#include "catalog/personfields.h"

class QPalette;

class TBaseMovie;
class TActor;

// The views of a catalog list; the numbers are stored in the settings.
enum class TViewMode { Plain = 0, Tree = 1, Grid = 2, Covers = 3 };
TViewMode ViewModeFromSetting(int value);

// The column that shows a row's title (and a group row's caption): the title's and the
// name's, checked against the field tables in listcolumns.cpp.
constexpr int MovieTitleColumn = 2;
constexpr int PeopleTitleColumn = 1;

// How two cells of a column are ordered: the field's rule; custom fields without regard to
// case, the poster not at all.
TSortRule MovieSortRule(int column);

// The English column captions; the translated ones are the texts MovieCaptionText and
// PeopleCaptionText give (the field's caption, the poster's and photo's before them; -1
// past the fixed columns).
QString DefaultMovieCaption(int column);
QString DefaultPeopleCaption(int column);
int MovieCaptionText(int column);
int PeopleCaptionText(int column);

// Keeps the texts of one sort column while a whole list is sorted, so each row's text is
// made (and collated) once instead of at every comparison. Outside a sort it holds nothing.
class TSortTextCache
{
public:
    void Begin() { m_active = true; }
    void End()
    {
        m_active = false;
        m_texts.clear();
    }
    bool Active() const { return m_active; }
    // The cached text of node, made by `make` on first use.
    // The reference stays good until End(): the map's nodes never move.
    template <typename F> const QString &Text(const TViewNode &node, F &&make)
    {
        auto it = m_texts.find(&node);
        if (it == m_texts.end())
            it = m_texts.emplace(&node, make()).first;
        return it->second;
    }

private:
    bool m_active = false;
    std::unordered_map<const TViewNode *, QString> m_texts;
};

// Cell texts, captions, in-place editing and sorting of the movie list: 44 fixed columns,
// then one per custom field of the catalog.
class TMovieColumns : public ITextProvider
{
public:
    TMovieColumns();

    // The grid shows the display title in the title column; the other views the template.
    void SetGrid(bool grid) { m_grid = grid; }
    bool Grid() const { return m_grid; }
    void SetTitleFormat(const QString &format) { m_format = format; }
    const QString &TitleFormat() const { return m_format; }
    // Texts 2200..2243 (missing ones keep the English caption) and the custom field names.
    void SetCaptions(const QStringList &fixed, const QStringList &customNames);
    void SetCustomNames(const QStringList &names) { m_customNames = names; }
    const QStringList &CustomNames() const { return m_customNames; }

    int ColumnCount() const override;
    QString HeaderCaption(int column) const override;
    QString CellText(const TViewNode &node, int column) const override;
    bool Editable(const TViewNode &node, int column) const override;
    bool SetCellText(const TViewNode &node, int column, const QString &text) override;

    // A record's text in a column without the tab rule of the model.
    QString RecordText(const TBaseMovie &movie, int column) const;
    // Stores a cell's text into the field of its column through the field's setter.
    static void StoreText(TBaseMovie &movie, int column, const QString &text);
    static bool EditableColumn(int column);

    // The comparison the list sorts by; the cache (may be null) holds texts during a sort.
    int Compare(const TViewNode &a, const TViewNode &b, int column) const;
    TSortTextCache &Cache() { return m_cache; }
    // The same order by keys made once per movie or episode.
    TListModel::TSortKey SortKey(const TBaseMovie &movie, int column) const;
    static int
    CompareKeys(const TListModel::TSortKey &a, const TListModel::TSortKey &b, int column);

private:
    const QString &SortText(const TViewNode &node, int column, QString &scratch) const;

    bool m_grid = false;
    QString m_format = QStringLiteral("%E - %T");
    std::array<QString, MovieFixedColumns> m_captions;
    QStringList m_customNames;
    mutable TSortTextCache m_cache;
};

// The same for the people list: 14 fixed columns.
class TPeopleColumns : public ITextProvider
{
public:
    TPeopleColumns();

    void SetGrid(bool grid) { m_grid = grid; }
    bool Grid() const { return m_grid; }
    void SetTitleFormat(const QString &format) { m_format = format; }
    const QString &TitleFormat() const { return m_format; }
    void SetCaptions(const QStringList &fixed);

    int ColumnCount() const override { return PeopleColumns; }
    QString HeaderCaption(int column) const override;
    QString CellText(const TViewNode &node, int column) const override;
    bool Editable(const TViewNode &node, int column) const override;
    bool AcceptsText(const TViewNode &node, int column, const QString &text) const override;
    bool SetCellText(const TViewNode &node, int column, const QString &text) override;

    QString RecordText(const TActor &person, int column) const;
    // Stores a cell's text into the person's field; false (nothing stored) for a birthday
    // that is no date.
    static bool StoreText(TActor &person, int column, const QString &text);
    int Compare(const TViewNode &a, const TViewNode &b, int column) const;
    TSortTextCache &Cache() { return m_cache; }
    TListModel::TSortKey SortKey(const TActor &person, int column) const;
    static int
    CompareKeys(const TListModel::TSortKey &a, const TListModel::TSortKey &b, int column);

private:
    const QString &SortText(const TViewNode &node, int column, QString &scratch) const;

    bool m_grid = false;
    QString m_format = QStringLiteral("%N");
    std::array<QString, PeopleColumns> m_captions;
    mutable TSortTextCache m_cache;
};

// Maps a card's item number to the plain or tree view's sort column.
int MovieSortColumnForItem(int item);
int PeopleSortColumnForItem(int item);

// Row colours. `colors` are the 21 colours of the settings as Windows colour values (red in
// the low byte); indexes follow the colour table.
QColor ColorFromWindows(int value);
int WindowsFromColor(const QColor &color);
// The colour index of a row's background (with list colours on).
int RowColorIndex(const TViewNode &node, bool selected);
// A selected row in a list without the keyboard focus: 40 percent towards white.
QColor Lightened(const QColor &color);

struct TRowLook
{
    bool DoListColors = true;
    std::array<int, 21> Colors{};
    // The list's palette: rows without list colours, and the text when a colour of the
    // table would not stand out.
    QColor Highlight = Qt::darkBlue;
    QColor Window = Qt::white;
    QColor Text = Qt::black;
    QColor HighlightedText = Qt::white;
};
QColor RowBackground(const TViewNode &node, bool selected, bool listFocused, const TRowLook &look);
// The colour table as drawn under `palette`: on a dark desktop every colour still at its
// default follows the palette (backgrounds and text from it, state colours as tints of its
// base colour); colours the user chose, and every colour on a light desktop, stay.
std::array<int, 21> PaletteColors(const std::array<int, 21> &colors, const QPalette &palette);
// The text on a row's `background`: colour 14 or 15 (the palette's text without list
// colours), replaced by the palette's or by black or white when it reads below 4.5:1.
QColor RowTextColor(const QColor &background, bool selected, const TRowLook &look);
