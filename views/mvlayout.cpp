// Where the movie card puts its controls: the title row, the rows beside the poster, the
// full-width text blocks, the custom fields, the file block and the block colours.
#include <algorithm>
#include <array>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

#include "views/cardwidgets_p.h"
#include "views/linktext.h"
#include "views/mvframe.h"
#include "views/starpanel.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int YearEditWidth = 64;
constexpr int GridLabelWidth = 106;
constexpr int GridStep = 30;

} // namespace

int TmvFrame::LayOut(int width, int height)
{
    const int titleBottom = LayOutTitleRow(width);

    const int posterTop = titleBottom + 10;
    const QRect poster = PlacePicture(
        m_poster, posterTop, width, height, m_settings.MaxPosterWidth, m_settings.MaxPosterHeight);
    const bool posterShown = !poster.isEmpty();
    const int posterRight = poster.left() + poster.width();
    const int posterBottom = poster.top() + poster.height();

    // The label column is wide enough for the longest caption of the language.
    int labelWidth = 0;
    for (QLabel *label : {m_origTitleLbl,
                          m_akaLbl,
                          m_yearLbl,
                          m_genreLbl,
                          m_directorBlock.Caption,
                          m_producerBlock.Caption,
                          m_scenarioBlock.Caption,
                          m_musicLbl,
                          m_actorsBlock.Caption,
                          m_countryLbl,
                          m_studioLbl,
                          m_mpaaLbl,
                          m_releaseLbl,
                          m_urlBlock.Caption,
                          m_imdbLbl,
                          m_oratingLbl,
                          m_ratingLbl,
                          m_tagsBlock.Caption,
                          m_dateCaption,
                          m_lentCaption})
        labelWidth = std::max(labelWidth, TextWidth(label, label->text()));
    const int fieldX = posterRight + std::max(100, labelWidth + 16);
    const int labelLeft = posterShown ? posterRight + 6 : 10;
    int y = LayOutMainRows(width, posterTop, posterBottom, fieldX, labelLeft);
    y = std::max(y, posterBottom) + 26;
    y = LayOutTextBlocks(width, y);
    PlaceShape(TBlock::Main, width, 4, y + 10, true);
    y += 16;

    const int customBottom = LayOutCustomBlock(width, y);
    if (customBottom > y)
        y = customBottom + 6;
    const int fileBottom = LayOutFileBlock(width, y);
    if (fileBottom > y)
        y = fileBottom + 6;
    const int pictureBottom = LayOutPictureBlock(width, y);
    if (pictureBottom > y)
        y = pictureBottom + 6;
    return y;
}

int TmvFrame::LayOutTitleRow(int width)
{
    constexpr int top = 8;
    const int checkWidth = m_seenCheck->sizeHint().width();
    const int checkHeight = m_seenCheck->sizeHint().height();
    const int labelWidth =
        std::max(TextWidth(m_seenLbl, m_seenLbl->text()), TextWidth(m_wishLbl, m_wishLbl->text()))
        + 2;
    const int titleRight = width - 14 - checkWidth - labelWidth;
    const int marks = 2 * checkHeight + 2;
    const int titleHeight = m_title->sizeHint().height();
    const int rowHeight = std::max(marks, titleHeight);
    // The information button, when shown, sits at the end of the title.
    const int infoWidth = m_infoBtn->isVisibleTo(this) ? titleHeight + 4 : 0;
    Place(
        m_title, 10, top + (rowHeight - titleHeight) / 2, titleRight - 10 - infoWidth, titleHeight);
    if (infoWidth > 0) {
        Place(m_infoBtn,
              titleRight - infoWidth + 2,
              top + (rowHeight - titleHeight) / 2,
              titleHeight,
              titleHeight);
    }
    const int checkX = titleRight + 6;
    const int labelX = checkX + checkWidth + 2;
    const int marksTop = top + (rowHeight - marks) / 2;
    Place(m_seenCheck, checkX, marksTop, checkWidth, checkHeight);
    Place(m_seenLbl, labelX, marksTop, labelWidth, checkHeight);
    Place(m_wishCheck, checkX, marksTop + checkHeight + 2, checkWidth, checkHeight);
    Place(m_wishLbl, labelX, marksTop + checkHeight + 2, labelWidth, checkHeight);
    return top + rowHeight;
}

int TmvFrame::LayOutMainRows(int width, int top, int posterBottom, int fieldX, int labelLeft)
{
    const bool edit = m_mode == ModeEdit;
    const int fieldWidth = std::max(40, width - 35 - fieldX);
    TRows rows{top, labelLeft, fieldX};
    const auto lineHeight = [](QWidget *control) { return control->sizeHint().height(); };
    // A memo in edit mode: lines x h + 2, at least `minLines` while it holds fewer than
    // `below` lines.
    const auto memoHeight = [fieldX, fieldWidth](QPlainTextEdit *memo, int minLines, int below) {
        Place(memo, fieldX, memo->y(), fieldWidth, std::max(1, memo->height()));
        const int lines = MemoLines(memo);
        return MemoHeight(memo, lines < below ? std::max(lines, minLines) : lines);
    };
    const auto boxHeight = [this, fieldX, fieldWidth](TLinkText *box) {
        Place(box, fieldX, box->y(), fieldWidth, std::max(1, box->height()));
        return BoxHeight(box);
    };
    const auto listRow = [&](const TMemoBlock &block, int minLines) {
        PlaceMemoRow(rows, block, fieldWidth, minLines);
    };
    const auto ratingRow = [&](QLabel *label, QLineEdit *edit, TStarPanel *stars) {
        PlaceRow(rows, label, edit, RatingEditWidth, lineHeight(edit));
        if (Shown(stars)) {
            const QSize size = stars->sizeHint();
            Place(stars,
                  edit->x() + edit->width() + 6,
                  edit->y() + (edit->height() - size.height()) / 2,
                  size.width(),
                  size.height());
        }
    };

    PlaceRow(rows, m_origTitleLbl, m_origTitle, fieldWidth, lineHeight(m_origTitle));
    if (edit) {
        PlaceRow(rows, m_akaLbl, m_aka, fieldWidth, memoHeight(m_aka, 4, 4));
        PlaceMoreButton(m_aka, false);
    } else {
        Place(m_aka, fieldX, m_aka->y(), fieldWidth, std::max(1, m_aka->height()));
        PlaceRow(rows, m_akaLbl, m_aka, fieldWidth, CollapsibleMemoHeight(m_aka));
        PlaceMoreButton(m_aka, MemoLines(m_aka) >= 2);
    }
    PlaceRow(rows, m_yearLbl, m_year, YearEditWidth, lineHeight(m_year));
    const int genreButton = Shown(m_genreBtn) ? SmallButtonWidth + 2 : 0;
    PlaceRow(rows, m_genreLbl, m_genre, fieldWidth - genreButton, lineHeight(m_genre));
    if (Shown(m_genreBtn))
        Place(m_genreBtn,
              m_genre->x() + m_genre->width() + 2,
              m_genre->y(),
              SmallButtonWidth,
              m_genre->height());
    // Names stay readable in edit mode: a memo shows all of its lines.
    listRow(m_directorBlock, 1);
    listRow(m_producerBlock, 1);
    listRow(m_scenarioBlock, 1);
    if (edit)
        PlaceRow(rows, m_musicLbl, m_music, fieldWidth, lineHeight(m_music));
    else
        PlaceRow(rows, m_musicLbl, m_musicBox, fieldWidth, boxHeight(m_musicBox));
    listRow(m_actorsBlock, 4);
    PlaceRow(rows, m_countryLbl, m_country, fieldWidth, lineHeight(m_country));
    PlaceRow(rows, m_studioLbl, m_studio, fieldWidth, lineHeight(m_studio));
    PlaceRow(rows, m_mpaaLbl, m_mpaa, fieldWidth, lineHeight(m_mpaa));
    PlaceRow(rows, m_releaseLbl, m_release, fieldWidth, lineHeight(m_release));
    listRow(m_urlBlock, 1);
    ratingRow(m_imdbLbl, m_imdbRating, m_imdbStars);
    ratingRow(m_oratingLbl, m_orating, m_oStars);
    ratingRow(m_ratingLbl, m_rating, m_stars);
    listRow(m_tagsBlock, 4);
    PlaceRow(rows, m_dateCaption, m_dateLbl, fieldWidth, lineHeight(m_dateLbl));
    const int beforeBorrower = rows.Y;
    PlaceRow(rows, m_lentCaption, m_lentLbl, fieldWidth, lineHeight(m_lentLbl));
    int bottom = rows.Y - RowGap;
    // A short block puts the borrower level with the poster's bottom.
    if (Shown(m_lentLbl) && beforeBorrower - RowGap < posterBottom - RowSlot) {
        TRows borrower{posterBottom - RowSlot, labelLeft, fieldX};
        PlaceRow(borrower, m_lentCaption, m_lentLbl, fieldWidth, lineHeight(m_lentLbl));
        bottom = posterBottom;
    }
    return std::max(bottom, top);
}

int TmvFrame::LayOutTextBlocks(int width, int top)
{
    TTextColumn column{width, top, top - 26};
    // The tagline has no link box: read, it collapses to its first line.
    Place(m_slogan, 10, m_slogan->y(), column.FieldWidth(), std::max(1, m_slogan->height()));
    const int lines = MemoLines(m_slogan);
    if (m_mode == ModeEdit) {
        const int height = MemoHeight(m_slogan, lines < 3 ? std::max(lines, 2) : lines);
        PlaceUnderCaption(column, m_sloganLbl, m_slogan, height);
        PlaceMoreButton(m_slogan, false);
    } else {
        PlaceUnderCaption(column, m_sloganLbl, m_slogan, CollapsibleMemoHeight(m_slogan));
        PlaceMoreButton(m_slogan, lines >= 2);
    }
    for (const TMemoBlock *block : {&m_descBlock, &m_commentBlock, &m_awardsBlock, &m_linksBlock})
        PlaceTextBlock(column, *block);
    return std::max(column.Bottom, top - 26);
}

int TmvFrame::LayOutCustomBlock(int width, int top)
{
    int y = top + 10;
    bool any = false;
    const int half = width / 2;
    for (int row = 0; row * 2 < m_customEdits.size(); ++row) {
        int rowHeight = 0;
        for (int side = 0; side < 2; ++side) {
            const int index = row * 2 + side;
            if (index >= m_customEdits.size())
                break;
            QLineEdit *edit = m_customEdits.at(index);
            QLabel *label = m_customLabels.at(index);
            if (!Shown(edit)) {
                label->hide();
                continue;
            }
            label->show();
            const int labelHeight = std::clamp(label->heightForWidth(GridLabelWidth), 13, 26);
            rowHeight = std::max({rowHeight, labelHeight, 18});
        }
        if (rowHeight == 0)
            continue;
        any = true;
        for (int side = 0; side < 2; ++side) {
            const int index = row * 2 + side;
            if (index >= m_customEdits.size() || !Shown(m_customEdits.at(index)))
                continue;
            QLineEdit *edit = m_customEdits.at(index);
            QLabel *label = m_customLabels.at(index);
            const int labelX = side == 0 ? 10 : half + 6;
            const int editWidth = side == 0 ? half - 128 : half - 137;
            const int labelHeight = std::clamp(label->heightForWidth(GridLabelWidth), 13, 26);
            Place(label, labelX, y + (rowHeight - labelHeight) / 2, GridLabelWidth, labelHeight);
            Place(edit, labelX + GridLabelWidth + 6, y + (rowHeight - 18) / 2, editWidth, 18);
        }
        y += rowHeight + 8;
    }
    const int bottom = any ? y + 2 : top;
    PlaceShape(TBlock::Custom, width, top, bottom, any);
    return bottom;
}

int TmvFrame::LayOutFileBlock(int width, int top)
{
    int y = top + 10;
    bool any = false;
    if (Shown(m_file)) {
        any = true;
        PlaceGridLabel(m_fileLbl, 10, y, true);
        const int right = width - 18;
        if (Shown(m_browseBtn)) {
            const int buttonX = right - SmallButtonWidth;
            PlaceCentred(m_file, 122, y, buttonX - 6 - 122);
            Place(m_browseBtn, buttonX, m_file->y(), SmallButtonWidth, m_file->height());
        } else {
            PlaceCentred(m_file, 122, y, right - 122);
        }
        y += RowStep;
    } else {
        PlaceGridLabel(m_fileLbl, 10, y, false);
    }
    y = LayOutFileGrid(width, y, any);
    y = LayOutFeatures(width, y, any);
    const int bottom = any ? y + 6 : top;
    PlaceShape(TBlock::File, width, top, bottom, any);
    return bottom;
}

void TmvFrame::PlaceGridLabel(QLabel *label, int x, int rowTop, bool shown)
{
    SetVisible(label, shown);
    if (shown) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Place(label, x, rowTop, GridLabelWidth, RowSlot);
    }
}

void TmvFrame::PlaceCentred(QWidget *field, int x, int rowTop, int fieldWidth)
{
    const int h = field->sizeHint().height();
    Place(field, x, rowTop + (RowSlot - h) / 2, fieldWidth, h);
}

int TmvFrame::LayOutFileGrid(int width, int columnTop, bool &any)
{
    const bool view = m_mode == ModeView;
    const int half = width / 2;
    // Two columns, each closing up over its hidden rows.
    const auto fieldWithUnit =
        [&](QLineEdit *edit, QLabel *unit, int x, int rowTop, int columnEnd) {
            const int unitWidth = TextWidth(unit, unit->text()) + 2;
            const int editWidth = view ? FittedEditWidth(edit) : columnEnd - x - unitWidth - 6;
            PlaceCentred(edit, x, rowTop, std::max(20, editWidth));
            Place(unit, edit->x() + edit->width() + 6, rowTop, unitWidth, RowSlot);
        };
    struct TGridRow
    {
        QLabel *Label;
        QWidget *Field;
        QLabel *Unit;
    };
    const std::array<TGridRow, 7> left = {{{m_qualityLbl, m_quality, nullptr},
                                           {m_lengthLbl, m_length, nullptr},
                                           {m_langLbl, m_lang, nullptr},
                                           {m_transLbl, m_translation, nullptr},
                                           {m_subsLbl, m_subs, nullptr},
                                           {m_sizeLbl, m_size, m_sizeUnit},
                                           {m_mediaLbl, nullptr, nullptr}}};
    const std::array<TGridRow, 7> right = {{{m_vidCodecLbl, m_vidCodec, nullptr},
                                            {m_vidBpsLbl, m_vidBps, m_vidBpsUnit},
                                            {m_audioCodecLbl, m_audioCodec, nullptr},
                                            {m_audioBpsLbl, m_audioBps, m_audioBpsUnit},
                                            {m_resLbl, m_res, nullptr},
                                            {m_frameRateLbl, m_frameRate, m_frameRateUnit},
                                            {m_mediaLabelLbl, m_mediaLabel, nullptr}}};
    int gridBottom = columnTop;
    for (int side = 0; side < 2; ++side) {
        const int labelX = side == 0 ? 10 : half + 6;
        const int fieldX = side == 0 ? 122 : half + 118;
        const int fieldWidth = side == 0 ? half - 128 : half - 137;
        int rowTop = columnTop;
        for (const TGridRow &row : side == 0 ? left : right) {
            bool shown = false;
            if (row.Field == nullptr) {
                // Number of media "X" media type.
                shown = Shown(m_count) || Shown(m_media);
                if (shown) {
                    int x = fieldX;
                    if (Shown(m_count)) {
                        const int countWidth = view ? FittedEditWidth(m_count) : 40;
                        PlaceCentred(m_count, x, rowTop, countWidth);
                        x += countWidth + 6;
                    }
                    if (Shown(m_countX)) {
                        const int xWidth = TextWidth(m_countX, m_countX->text()) + 2;
                        Place(m_countX, x, rowTop, xWidth, RowSlot);
                        x += xWidth + 6;
                    }
                    if (Shown(m_media))
                        PlaceCentred(m_media, x, rowTop, std::max(40, fieldX + fieldWidth - x));
                }
            } else {
                shown = Shown(row.Field);
                if (shown && row.Unit)
                    fieldWithUnit(static_cast<QLineEdit *>(row.Field),
                                  row.Unit,
                                  fieldX,
                                  rowTop,
                                  fieldX + fieldWidth);
                else if (shown)
                    PlaceCentred(row.Field, fieldX, rowTop, fieldWidth);
            }
            PlaceGridLabel(row.Label, labelX, rowTop, shown);
            if (shown) {
                rowTop += GridStep;
                any = true;
            }
        }
        gridBottom = std::max(gridBottom, rowTop);
    }
    return gridBottom;
}

// Features under the grid.
int TmvFrame::LayOutFeatures(int width, int y, bool &any)
{
    const bool view = m_mode == ModeView;
    QWidget *features = view ? static_cast<QWidget *>(m_featBlock.Box) : m_featBlock.Memo;
    const int featWidth = std::max(40, width - 35 - 122);
    if (Shown(features)) {
        any = true;
        y += 4;
        int featHeight = 0;
        Place(features, 122, y, featWidth, std::max(1, features->height()));
        if (view) {
            featHeight = BoxHeight(m_featBlock.Box);
        } else {
            const int lines = MemoLines(m_featBlock.Memo);
            featHeight = MemoHeight(m_featBlock.Memo, lines < 3 ? std::max(lines, 4) : lines);
        }
        Place(features, 122, y, featWidth, featHeight);
        SetVisible(m_featBlock.Caption, true);
        m_featBlock.Caption->setAlignment(Qt::AlignRight | Qt::AlignTop);
        Place(m_featBlock.Caption,
              10,
              y + TextTop(features),
              GridLabelWidth,
              LineHeight(m_featBlock.Caption) + 2);
        PlaceMoreButton(m_featBlock.Box, view && m_featBlock.Box->HasMoreLines());
        y += featHeight + RowGap;
    } else {
        SetVisible(m_featBlock.Caption, false);
        PlaceMoreButton(m_featBlock.Box, false);
    }
    return y;
}

void TmvFrame::PlaceShape(TBlock block, int width, int top, int bottom, bool shown)
{
    QFrame *shape = BlockShape(block);
    const bool visible = shown && ColorsOn() && (m_mode == ModeEdit || m_mode == ModeView);
    SetVisible(shape, visible);
    if (visible) {
        Place(shape, 4, top, width - 8, bottom - top);
        shape->lower();
    }
}
