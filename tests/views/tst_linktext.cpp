#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include "views/linktext.h"
#include "views/newlinkdlg.h"
#include "views/starpanel.h"

using namespace Qt::StringLiterals;

namespace {

// A fixed-pitch font, so a width in characters is a width in pixels.
QFont FixedFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(10);
    return font;
}

int CharWidth()
{
    return QFontMetrics(FixedFont()).horizontalAdvance(u'x');
}

void SendMouse(QWidget *widget, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type,
                      pos,
                      widget->mapToGlobal(pos),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void Drag(QWidget *widget, QPoint from, QPoint to)
{
    SendMouse(widget, QEvent::MouseButtonPress, from);
    SendMouse(widget, QEvent::MouseMove, to);
    SendMouse(widget, QEvent::MouseButtonRelease, to);
}

struct TExpectedLink
{
    QString Attribute;
    QString Value;
    QString Text;
    int LineIndex;
    int StartColumn;
};

struct TLayoutCase
{
    const char *Name;
    QString Tag;
    QString Text;
    int WidthChars; // usable width in characters
    QStringList Lines;
    QList<TExpectedLink> Links;
    QString DefaultAttribute = u"otitle"_s;
};

void PrintTo(const TLayoutCase &c, std::ostream *os)
{
    *os << c.Name;
}

class LinkTextLayout : public ::testing::TestWithParam<TLayoutCase>
{};

TEST_P(LinkTextLayout, WrapsAndFindsLinks)
{
    const TLayoutCase &c = GetParam();
    TLinkText text;
    text.setFont(FixedFont());
    text.resize(c.WidthChars * CharWidth() + 5, 200);
    text.SetLinkTag(c.Tag);
    text.SetDefaultAttribute(c.DefaultAttribute);
    text.SetText(c.Text);

    EXPECT_EQ(text.DisplayLines(), c.Lines);
    ASSERT_EQ(text.LinkCount(), c.Links.size());
    for (int i = 0; i < c.Links.size(); ++i) {
        TLink link;
        ASSERT_TRUE(text.GetLink(i, link));
        const TExpectedLink &want = c.Links.at(i);
        EXPECT_EQ(link.Attribute, want.Attribute) << i;
        EXPECT_EQ(link.Value, want.Value) << i;
        EXPECT_EQ(link.Text, want.Text) << i;
        EXPECT_EQ(link.LineIndex, want.LineIndex) << i;
        EXPECT_EQ(link.StartColumn, want.StartColumn) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    LinkTextLayout,
    ::testing::Values(
        TLayoutCase{"LinkAndMore",
                    u"link"_s,
                    u"<link id=\"12\">The Film</link> and more"_s,
                    40,
                    {u"The Film and more"_s},
                    {{u"id"_s, u"12"_s, u"The Film"_s, 0, 1}}},
        TLayoutCase{"DefaultAttribute",
                    u"link"_s,
                    u"See <link=\"Alien\">Alien (1979)</link>"_s,
                    40,
                    {u"See Alien (1979)"_s},
                    {{u"otitle"_s, u"Alien"_s, u"Alien (1979)"_s, 0, 5}}},
        TLayoutCase{"LineBreaksInsideALink",
                    u"link"_s,
                    u"<link name=\"Jean\r\nReno\">Jean\nReno</link>\n\nnext  \n\n"_s,
                    40,
                    {u"Jean Reno"_s, u""_s, u"next"_s},
                    {{u"name"_s, u"Jean Reno"_s, u"Jean Reno"_s, 0, 1}}},
        TLayoutCase{"UnterminatedLink",
                    u"link"_s,
                    u"a <link id=\"5\">open"_s,
                    40,
                    {u"a open"_s},
                    {{u"id"_s, u"5"_s, u""_s, 0, 3}}},
        TLayoutCase{"LinkPushedByItsComma",
                    u"link"_s,
                    u"aaaa <link id=\"1\">bbbb</link>, cc"_s,
                    9,
                    {u"aaaa "_s, u"bbbb, cc"_s},
                    {{u"id"_s, u"1"_s, u"bbbb"_s, 1, 1}}},
        TLayoutCase{"LinkKeepsLineWithRoomForComma",
                    u"link"_s,
                    u"aaaa <link id=\"1\">bbbb</link>, cc"_s,
                    11,
                    {u"aaaa bbbb, "_s, u"cc"_s},
                    {{u"id"_s, u"1"_s, u"bbbb"_s, 0, 6}}},
        TLayoutCase{"LongLinkNeverBroken",
                    u"link"_s,
                    u"<link id=\"1\">abcdefghijklmnop</link> x"_s,
                    9,
                    {u"abcdefghijklmnop"_s, u" x"_s},
                    {{u"id"_s, u"1"_s, u"abcdefghijklmnop"_s, 0, 1}}},
        TLayoutCase{
            "WordsWrapAtSpaces", u"link"_s, u"one two three"_s, 8, {u"one two "_s, u"three"_s}, {}},
        TLayoutCase{
            "LongWordInChunks", u"link"_s, u"abcdefghij"_s, 4, {u"abcd"_s, u"efgh"_s, u"ij"_s}, {}},
        TLayoutCase{
            "ChunksNeverBelowTwo", u"link"_s, u"abcde"_s, 1, {u"ab"_s, u"cd"_s, u"e"_s}, {}},
        TLayoutCase{"ListSeparatorLeavesEmptyPiece",
                    QString(),
                    u"Smith, Jones"_s,
                    40,
                    {u"Smith  Jones"_s},
                    {{u"name"_s, u"Smith"_s, u"Smith"_s, 0, 1},
                     {u"name"_s, u""_s, u""_s, 0, 7},
                     {u"name"_s, u"Jones"_s, u"Jones"_s, 0, 8}},
                    u"name"_s},
        TLayoutCase{
            "ListLines",
            QString(),
            u"Smith\r\nJones"_s,
            40,
            {u"Smith Jones"_s},
            {{u"name"_s, u"Smith"_s, u"Smith"_s, 0, 1}, {u"name"_s, u"Jones"_s, u"Jones"_s, 0, 7}},
            u"name"_s},
        TLayoutCase{"ListWraps",
                    QString(),
                    u"Drama\nComedy\nWar"_s,
                    11,
                    {u"Drama "_s, u"Comedy War"_s},
                    {{u"genre"_s, u"Drama"_s, u"Drama"_s, 0, 1},
                     {u"genre"_s, u"Comedy"_s, u"Comedy"_s, 1, 1},
                     {u"genre"_s, u"War"_s, u"War"_s, 1, 8}},
                    u"genre"_s}),
    [](const auto &info) { return std::string(info.param.Name); });

// A long description wraps as the rule reads in characters: the whole rest when it fits,
// else cut after the last space before its end, again and again, or a character at a
// time where there is none, never below two.
TEST(LinkText, LongTextWrapsLikeTheRuleInCharacters)
{
    QString words;
    for (int i = 0; i < 400; ++i)
        words += QString(1 + (i * 7) % 9, QChar(u'a' + i % 26)) + u' ';
    const QString text = words + QString(50, u'z') + u" end"_s;
    constexpr int Width = 23;
    QStringList expected;
    for (QString rest = text; !rest.isEmpty();) {
        QString chunk = rest;
        while (chunk.size() > Width && chunk.size() > 2) {
            const qsizetype space = chunk.lastIndexOf(u' ', chunk.size() - 2);
            if (space >= 0)
                chunk.truncate(space + 1);
            else
                chunk.chop(1);
        }
        expected.append(chunk);
        rest.remove(0, chunk.size());
    }
    TLinkText linkText;
    linkText.setFont(FixedFont());
    linkText.resize(Width * CharWidth() + 5, 200);
    linkText.SetLinkTag(u"link"_s);
    linkText.SetText(text);
    EXPECT_EQ(linkText.DisplayLines(), expected);
}

TEST(LinkText, EmptyTextHasNoLinesOrLinks)
{
    for (const QString &tag : {u"link"_s, QString()}) {
        TLinkText text;
        text.SetLinkTag(tag);
        text.SetText(QString());
        EXPECT_EQ(text.LinkCount(), 0);
        EXPECT_TRUE(text.DisplayLines().isEmpty());
        EXPECT_FALSE(text.HasMoreLines());
        EXPECT_EQ(text.NeededHeight(false), 4);
        EXPECT_EQ(text.NeededHeight(true), text.LineHeight() + 4);
        TLink untouched;
        untouched.Value = u"kept"_s;
        EXPECT_FALSE(text.GetLink(0, untouched));
        EXPECT_EQ(untouched.Value, u"kept"_s);
    }
}

class LinkTextMouse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_text.setFont(FixedFont());
        m_text.resize(40 * CharWidth() + 5, 60);
        m_text.SetLinkTag(u"link"_s);
        m_text.SetText(u"abcdef <link id=\"7\">Seven</link>"_s);
        ASSERT_TRUE(m_text.GetLink(0, m_link));
        QApplication::clipboard()->setText(u"old"_s);
    }

    TLinkText m_text;
    TLink m_link;
};

TEST_F(LinkTextMouse, PaintsLinksBlueAndClicksWithinTwoPixels)
{
    const QImage shot = m_text.grab().toImage();
    bool blue = false;
    for (int y = m_link.Bounds.top(); y <= m_link.Bounds.bottom(); ++y)
        for (int x = m_link.Bounds.left(); x <= m_link.Bounds.right(); ++x)
            blue = blue || shot.pixel(x, y) == qRgb(0, 0, 255);
    EXPECT_TRUE(blue);

    QSignalSpy clicked(&m_text, &TLinkText::LinkClicked);
    const QPoint centre = m_link.Bounds.center();
    Drag(&m_text, centre, centre + QPoint(2, 2));
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.at(0).at(0).value<TLink>().Value, u"7"_s);

    // Three pixels make a drag: a selection (here of the "S"), no click.
    const QPoint left(m_link.Bounds.left(), centre.y());
    Drag(&m_text, left, left + QPoint(3, 3));
    EXPECT_EQ(clicked.size(), 1);
    EXPECT_EQ(m_text.SelectedText(), u"S"_s);

    // A click beside the link selects nothing and clicks nothing.
    Drag(&m_text, QPoint(2, centre.y()), QPoint(2, centre.y()));
    EXPECT_EQ(clicked.size(), 1);
    EXPECT_TRUE(m_text.SelectedText().isEmpty());
}

TEST_F(LinkTextMouse, SelectsCopiesAndSelectsAll)
{
    const int cw = CharWidth();
    const int middle = 2 + m_text.LineHeight() / 2;
    // From the left edge of "b" to just past it: only "b" starts inside the area.
    Drag(&m_text, QPoint(2 + cw, middle), QPoint(2 + cw + 3, middle + 1));
    EXPECT_EQ(m_text.SelectedText(), u"b"_s);
    QTest::keyClick(&m_text, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), u"b"_s);

    // A drag that is level leaves an empty area.
    Drag(&m_text, QPoint(2, middle), QPoint(2 + 4 * cw, middle));
    EXPECT_TRUE(m_text.SelectedText().isEmpty());
    QTest::keyClick(&m_text, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());

    QTest::keyClick(&m_text, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_text.SelectedText(), u"abcdef Seven\r\n"_s);
}

TEST(NewLinkDlg, PreselectsTypeAndReplacesSelection)
{
    QPlainTextEdit memo(u"born 1979 in Oslo, see www.x.org and Drama or Wars"_s);
    const auto select = [&memo](const QString &part) {
        QTextCursor cursor(memo.document());
        const int at = int(memo.toPlainText().indexOf(part));
        cursor.setPosition(at);
        cursor.setPosition(at + int(part.size()), QTextCursor::KeepAnchor);
        memo.setTextCursor(cursor);
    };
    int seenType = -2;
    const auto accept = [&seenType](int chooseType) {
        return [&seenType, chooseType](TNewLinkDlg &dialog) {
            seenType = dialog.TypeIndex();
            EXPECT_EQ(dialog.Value(), dialog.Text());
            if (chooseType >= 0)
                dialog.SetTypeIndex(chooseType);
            return true;
        };
    };

    select(u"Oslo"_s); // four characters, not a number
    ASSERT_TRUE(TNewLinkDlg::Run(&memo, accept(6)));
    EXPECT_EQ(seenType, 0);
    select(u"1979"_s);
    EXPECT_EQ(TNewLinkDlg::Run(&memo, accept(-1)), u"<link year=\"1979\">1979</link>"_s);
    EXPECT_EQ(seenType, 5);
    select(u"www.x.org"_s);
    ASSERT_TRUE(TNewLinkDlg::Run(&memo, accept(-1)));
    EXPECT_EQ(seenType, 9);
    select(u"Drama"_s); // the type chosen last time
    ASSERT_TRUE(TNewLinkDlg::Run(&memo, accept(6)));
    EXPECT_EQ(seenType, 9);
    select(u"Wars"_s);
    EXPECT_FALSE(TNewLinkDlg::Run(&memo, [](TNewLinkDlg &) { return false; }));
    EXPECT_EQ(memo.toPlainText(),
              u"born <link year=\"1979\">1979</link> in <link genre=\"Oslo\">Oslo</link>, see "
              "<link url=\"www.x.org\">www.x.org</link> and <link genre=\"Drama\">Drama</link> "
              "or Wars"_s);

    // An anchor shows no text; another type brings the text edit back.
    TNewLinkDlg dialog;
    dialog.SetText(u"shown"_s);
    dialog.SetTypeIndex(TNewLinkDlg::AnchorType);
    auto *textEdit = dialog.findChild<QLineEdit *>(u"TextEdit"_s);
    EXPECT_TRUE(textEdit->text().isEmpty());
    EXPECT_FALSE(textEdit->isEnabled());
    dialog.SetTypeIndex(1);
    EXPECT_TRUE(textEdit->isEnabled());
    EXPECT_EQ(dialog.findChild<QComboBox *>(u"TypeCombo"_s)->count(), 11);

    QLineEdit notAMemo;
    EXPECT_FALSE(TNewLinkDlg::Run(&notAMemo, [](TNewLinkDlg &) { return true; }));
}

TEST(NewLinkDlg, AddMovieLinkLine)
{
    const QString placeholder = u"Ctrl+Shift+Click"_s;
    const QString line = u"<link=\"Alien\">Alien, le 8e passager</link>"_s;
    const auto add = [&](const QString &memo) {
        return AddMovieLinkLine(memo, placeholder, u"Alien"_s, u"Alien, le 8e passager"_s);
    };
    EXPECT_EQ(add(QString()), line);
    EXPECT_EQ(add(placeholder), line);
    EXPECT_EQ(add(u"first\n"_s), u"first\n"_s + line);
    EXPECT_EQ(add(u"first\n\n"_s), u"first\n\n"_s + line);
    EXPECT_EQ(add(u"first"_s), u"first\n"_s + line);
    EXPECT_EQ(AddMovieLinkLine(u"kept\n"_s, placeholder, QString(), u"Shown"_s), u"kept\n"_s);
}

TEST(StarPanel, DrawsHalvesAndProposesOnHover)
{
    TStarPanel stars;
    stars.resize(stars.sizeHint());
    stars.SetValue(7.3);
    const auto colourAt = [&stars](int star, bool rightHalf) {
        const int x = (star - 1) * TStarPanel::StarSize + (rightHalf ? 10 : 5);
        return stars.grab().toImage().pixel(x, 8);
    };
    const QRgb gold = colourAt(1, false);
    const QRgb grey = colourAt(10, true);
    EXPECT_NE(gold, grey);
    EXPECT_EQ(colourAt(7, true), gold);
    EXPECT_EQ(colourAt(8, false), gold);
    EXPECT_EQ(colourAt(8, true), grey);
    EXPECT_EQ(colourAt(9, false), grey);

    QSignalSpy hovered(&stars, &TStarPanel::Hovered);
    QSignalSpy ended(&stars, &TStarPanel::HoverEnded);
    QSignalSpy clicked(&stars, &TStarPanel::Clicked);
    const QPoint leftOfThird(2 * TStarPanel::StarSize + 3, 8);
    SendMouse(&stars, QEvent::MouseMove, leftOfThird);
    EXPECT_TRUE(hovered.isEmpty()); // not editable

    stars.SetEditable(true);
    SendMouse(&stars, QEvent::MouseMove, leftOfThird);
    ASSERT_EQ(hovered.size(), 1);
    EXPECT_EQ(hovered.at(0).at(0).toDouble(), 2.5);
    EXPECT_EQ(stars.ShownValue(), 2.5);
    EXPECT_NE(colourAt(1, false), gold); // hovered stars are brighter
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&stars, &leave);
    ASSERT_EQ(ended.size(), 1);
    EXPECT_EQ(ended.at(0).at(0).toDouble(), 7.3);
    EXPECT_EQ(stars.ShownValue(), 7.3);

    SendMouse(&stars, QEvent::MouseButtonPress, QPoint(8 * TStarPanel::StarSize + 12, 8));
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toDouble(), 9.0);
    EXPECT_EQ(stars.Value(), 9.0);
}

} // namespace
