// The Advanced Search dialog: its boxes, the Clear button and the answers of the modal
// question (the window's dialog interface hands it on unchanged).
#include <algorithm>
#include <iterator>
#include <optional>

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/advsearchdlg.h"
#include "tests/support/widgettest.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int FieldsWithoutBox[] = {4, 16, 29};

bool HasBox(int field)
{
    return std::find(std::begin(FieldsWithoutBox), std::end(FieldsWithoutBox), field)
           == std::end(FieldsWithoutBox);
}

QLineEdit *Box(QWidget *dialog, int field)
{
    return dialog->findChild<QLineEdit *>(u"Criterion"_s + QString::number(field));
}

// A distinct text per field, so a box showing another field's text is caught.
QStringList Numbered()
{
    QStringList criteria;
    for (int i = 0; i < CriterionCount; ++i)
        criteria.append(u"text %1"_s.arg(i + FirstCriterionField));
    return criteria;
}

TEST(AdvSearchDlg, OneLabelledBoxPerSearchableField)
{
    TAdvSearchDlg dialog;
    EXPECT_EQ(dialog.objectName(), u"AdvSearchDlg"_s);
    EXPECT_EQ(dialog.findChildren<QLineEdit *>().size(), 26);
    const auto buddyCaption = [&](int field) {
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            if (label->buddy() == Box(&dialog, field))
                return label->text();
        }
        return QString();
    };
    EXPECT_EQ(buddyCaption(2), u"Title:"_s);
    EXPECT_EQ(buddyCaption(5), u"Year:"_s);
    EXPECT_EQ(buddyCaption(15), u"IMDB Rating:"_s);
    EXPECT_EQ(buddyCaption(17), u"Rating:"_s);
    EXPECT_EQ(buddyCaption(20), u"Borrower:"_s);
    EXPECT_EQ(buddyCaption(23), u"Location:"_s);
    EXPECT_EQ(buddyCaption(28), u"Subtitles:"_s);
    EXPECT_EQ(buddyCaption(30), u"ID:"_s);
    for (int field = FirstCriterionField; field < FirstCriterionField + CriterionCount; ++field)
        EXPECT_EQ(Box(&dialog, field) != nullptr, HasBox(field)) << field;
}

TEST(AdvSearchDlg, PresetClearAndHiddenEntries)
{
    TAdvSearchDlg dialog;
    const QStringList preset = Numbered();
    dialog.SetCriteria(preset);
    EXPECT_EQ(Box(&dialog, 2)->text(), u"text 2"_s);
    EXPECT_EQ(Box(&dialog, 30)->text(), u"text 30"_s);
    EXPECT_EQ(dialog.Criteria(), preset);

    QTest::mouseClick(dialog.findChild<QPushButton *>(u"ClearBtn"_s), Qt::LeftButton);
    const QStringList cleared = dialog.Criteria();
    ASSERT_EQ(cleared.size(), CriterionCount);
    for (int i = 0; i < CriterionCount; ++i) {
        const int field = i + FirstCriterionField;
        EXPECT_EQ(cleared[i], HasBox(field) ? QString() : preset[i]) << field;
    }

    // A short list is padded, a long one cut.
    dialog.SetCriteria({u"only title"_s});
    EXPECT_EQ(dialog.Criteria().size(), CriterionCount);
    EXPECT_EQ(Box(&dialog, 3)->text(), QString());
    dialog.SetCriteria(preset + QStringList{u"extra"_s});
    EXPECT_EQ(dialog.Criteria(), preset);
}

TEST(AdvSearchDlg, AskReturnsTheTextsOnOk)
{
    QStringList preset(CriterionCount);
    preset[5 - FirstCriterionField] = u"1990"_s;
    preset[4 - FirstCriterionField] = u"kept"_s;
    bool sawPreset = false;
    WhenModal([&](QWidget *dialog) {
        sawPreset = Box(dialog, 5)->text() == u"1990"_s;
        Box(dialog, 5)->clear();
        QTest::keyClicks(Box(dialog, 5), u"2000 - 2005"_s);
        QTest::keyClicks(Box(dialog, 7), u"Lynch"_s);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"OKBtn"_s), Qt::LeftButton);
    });
    const std::optional<QStringList> answer = TAdvSearchDlg::Ask(nullptr, preset);
    EXPECT_TRUE(sawPreset);
    ASSERT_TRUE(answer.has_value());
    QStringList expected(CriterionCount);
    expected[5 - FirstCriterionField] = u"2000 - 2005"_s;
    expected[7 - FirstCriterionField] = u"Lynch"_s;
    expected[4 - FirstCriterionField] = u"kept"_s;
    EXPECT_EQ(*answer, expected);
}

TEST(AdvSearchDlg, AskGivesNothingOnCancel)
{
    WhenModal([](QWidget *dialog) {
        QTest::keyClicks(Box(dialog, 2), u"typed"_s);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"CancelBtn"_s), Qt::LeftButton);
    });
    EXPECT_FALSE(TAdvSearchDlg::Ask(nullptr, Numbered()).has_value());
}

} // namespace
