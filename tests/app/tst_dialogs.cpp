#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/overwritedlg.h"
#include "app/passdlg.h"
#include "app/waitwindow.h"
#include "tests/support/widgettest.h"
#include "views/languagewide.h"

using namespace Qt::StringLiterals;

namespace {

// QTest::keyClicks only knows ASCII keys; other characters arrive as typed text.
void TypeInto(QWidget *edit, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void Type(QWidget *parent, const char *editName, const QString &text)
{
    QLineEdit *edit = Child<QLineEdit>(parent, editName);
    ASSERT_NE(edit, nullptr) << editName;
    TypeInto(edit, text);
}

// --- TPassDlg ---------------------------------------------------------------------------

TEST(PassDlg, SingleModeHasOneMaskedEditAndOkFollowsIt)
{
    TPassDlg dlg(TPassDlg::TMode::Single);
    dlg.show();
    auto *pEdit = Child<QLineEdit>(&dlg, "pEdit");
    auto *ok = Child<QPushButton>(&dlg, "OKBtn");
    ASSERT_NE(pEdit, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(Child<QLineEdit>(&dlg, "ConfEdit"), nullptr);
    EXPECT_EQ(pEdit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Enter Password"));

    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClicks(pEdit, QStringLiteral("x"));
    EXPECT_TRUE(ok->isEnabled());
    QTest::keyClick(pEdit, Qt::Key_Backspace);
    EXPECT_FALSE(ok->isEnabled());
    TypeInto(pEdit, QStringLiteral("Pässwört €"));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dlg.Password(), QStringLiteral("Pässwört €"));
}

TEST(PassDlg, ConfirmModeEnablesOkOnlyForEqualTexts)
{
    TPassDlg dlg(TPassDlg::TMode::Confirm);
    dlg.show();
    auto *ok = Child<QPushButton>(&dlg, "OKBtn");
    auto *confEdit = Child<QLineEdit>(&dlg, "ConfEdit");
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(confEdit, nullptr);
    EXPECT_EQ(confEdit->echoMode(), QLineEdit::Password);

    // Two empty texts are equal: that removes the password.
    EXPECT_TRUE(ok->isEnabled());
    Type(&dlg, "pEdit", QStringLiteral("abc"));
    EXPECT_FALSE(ok->isEnabled());
    Type(&dlg, "ConfEdit", QStringLiteral("ab"));
    EXPECT_FALSE(ok->isEnabled());
    Type(&dlg, "ConfEdit", QStringLiteral("c"));
    EXPECT_TRUE(ok->isEnabled());
    // One character more in the confirmation breaks the match again.
    Type(&dlg, "ConfEdit", QStringLiteral("d"));
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClick(confEdit, Qt::Key_Backspace);
    EXPECT_TRUE(ok->isEnabled());
    // Case matters.
    confEdit->setText(QStringLiteral("ABC"));
    EXPECT_FALSE(ok->isEnabled());
}

TEST(PassDlg, ProtectionChoiceExplainsItselfAndSimpleRefusesWhatItCannotHold)
{
    TPassDlg dlg(TPassDlg::TMode::Confirm);
    dlg.show();
    auto *strong = Child<QRadioButton>(&dlg, "StrongRadio");
    auto *simple = Child<QRadioButton>(&dlg, "SimpleRadio");
    auto *note = Child<QLabel>(&dlg, "NoteLabel");
    auto *ok = Child<QPushButton>(&dlg, "OKBtn");
    ASSERT_TRUE(strong && simple && note && ok);
    EXPECT_TRUE(strong->isChecked());
    EXPECT_TRUE(note->text().contains(u"not encrypted"_s));
    for (const char *edit : {"pEdit", "ConfEdit"})
        Type(&dlg, edit, u"密码"_s);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dlg.Protection(), TProtection::Strong);
    QTest::mouseClick(simple, Qt::LeftButton);
    EXPECT_EQ(dlg.Protection(), TProtection::Simple);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(note->text().contains(u"Windows-1252"_s));
    QTest::mouseClick(strong, Qt::LeftButton);
    EXPECT_TRUE(ok->isEnabled());

    // A catalog with simple protection shows its kind.
    TPassDlg current(TPassDlg::TMode::Confirm, nullptr, nullptr, TProtection::Simple);
    EXPECT_TRUE(Child<QRadioButton>(&current, "SimpleRadio")->isChecked());
    TPassDlg single(TPassDlg::TMode::Single);
    EXPECT_EQ(Child<QRadioButton>(&single, "StrongRadio"), nullptr);
}

TEST(PassDlg, EditsAreEmptiedEachTimeTheDialogIsShown)
{
    TPassDlg single(TPassDlg::TMode::Single);
    single.show();
    Type(&single, "pEdit", QStringLiteral("secret"));
    single.hide();
    single.show();
    EXPECT_TRUE(Child<QLineEdit>(&single, "pEdit")->text().isEmpty());
    EXPECT_FALSE(Child<QPushButton>(&single, "OKBtn")->isEnabled());

    TPassDlg confirm(TPassDlg::TMode::Confirm);
    confirm.show();
    Type(&confirm, "pEdit", QStringLiteral("one"));
    confirm.hide();
    confirm.show();
    EXPECT_TRUE(Child<QLineEdit>(&confirm, "pEdit")->text().isEmpty());
    EXPECT_TRUE(Child<QLineEdit>(&confirm, "ConfEdit")->text().isEmpty());
    EXPECT_TRUE(Child<QPushButton>(&confirm, "OKBtn")->isEnabled());
}

TEST(PassDlg, AskReturnsTheTypedTextOnOkAndNothingOnCancel)
{
    TPassDlg dlg(TPassDlg::TMode::Single);
    QString seenTitle;
    WhenModal([&seenTitle](QWidget *modal) {
        seenTitle = modal->windowTitle();
        Type(modal, "pEdit", QStringLiteral("open sesame"));
        Child<QPushButton>(modal, "OKBtn")->click();
    });
    EXPECT_EQ(dlg.Ask(QStringLiteral("Question")), QStringLiteral("open sesame"));
    EXPECT_EQ(seenTitle, QStringLiteral("Question"));

    // The text of the first question is gone, so Cancel with a typed text gives nothing.
    QString shownText = QStringLiteral("not shown");
    WhenModal([&shownText](QWidget *modal) {
        shownText = Child<QLineEdit>(modal, "pEdit")->text();
        Type(modal, "pEdit", QStringLiteral("typed"));
        Child<QPushButton>(modal, "CancelBtn")->click();
    });
    EXPECT_EQ(dlg.Ask(QStringLiteral("Question")), std::nullopt);
    EXPECT_TRUE(shownText.isEmpty());
}

// --- TPasswordPrompt --------------------------------------------------------------------

struct TPromptRun
{
    QString title;
    QString message;
    bool hasConfEdit = false;
};

// Answers the next password dialog with `text` (OK) or cancels it (nullopt).
void AnswerNextDialog(TPromptRun &run, std::optional<QString> text)
{
    WhenModal([&run, text](QWidget *modal) {
        run.title = modal->windowTitle();
        const auto *message = modal->findChild<QLabel *>(u"MessageLabel"_s);
        run.message = message ? message->text() : QString();
        run.hasConfEdit = Child<QLineEdit>(modal, "ConfEdit") != nullptr;
        if (!text) {
            Child<QPushButton>(modal, "CancelBtn")->click();
            return;
        }
        Type(modal, "pEdit", *text);
        if (run.hasConfEdit)
            Type(modal, "ConfEdit", *text);
        Child<QPushButton>(modal, "OKBtn")->click();
    });
}

TEST(PasswordPrompt, EnglishCaptionsWithoutLanguage)
{
    TPasswordPrompt prompt(nullptr, nullptr);
    TPromptRun run;
    AnswerNextDialog(run, QStringLiteral("first"));
    EXPECT_EQ(prompt.AskPassword(u"/m/films.rkd"_s, true), QStringLiteral("first"));
    EXPECT_EQ(run.title, QStringLiteral("Enter Password"));
    EXPECT_FALSE(run.hasConfEdit);
    // The body names the catalog; after a wrong password it also says so (a title is cut).
    EXPECT_EQ(run.message, u"Catalog: /m/films.rkd"_s);

    AnswerNextDialog(run, QStringLiteral("second"));
    EXPECT_EQ(prompt.AskPassword(u"/m/films.rkd"_s, false), QStringLiteral("second"));
    EXPECT_EQ(run.title, QStringLiteral("Wrong password, try again"));
    EXPECT_EQ(run.message, u"Catalog: /m/films.rkd\n\nWrong password, try again"_s);

    AnswerNextDialog(run, std::nullopt);
    EXPECT_EQ(prompt.AskPassword(u"/m/films.rkd"_s, false), std::nullopt);
}

class PasswordPromptLanguage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = m_dir.filePath(QStringLiteral("lang.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("0\tDeutsch|5000:7;\n"
                   "6871\tFalsches Kennwort{HINT}\n"
                   "6872\tKennwort eingeben\n");
        file.close();
        ASSERT_TRUE(m_language.Load(path));
        m_language.SetLanguage(0);
    }

    QTemporaryDir m_dir;
    TWideLanguage m_language;
};

TEST_F(PasswordPromptLanguage, CaptionsAreTranslatedTexts)
{
    TPasswordPrompt prompt(nullptr, &m_language);
    TPromptRun run;
    AnswerNextDialog(run, QStringLiteral("x"));
    prompt.AskPassword(u"a.rkd"_s, true);
    EXPECT_EQ(run.title, QStringLiteral("Kennwort eingeben"));

    AnswerNextDialog(run, QStringLiteral("x"));
    prompt.AskPassword(u"a.rkd"_s, false);
    EXPECT_EQ(run.title, QStringLiteral("Falsches Kennwort"));
}

TEST_F(PasswordPromptLanguage, NewPasswordUsesConfirmationModeAndText1872)
{
    TPromptRun run;
    AnswerNextDialog(run, QStringLiteral("geheim"));
    EXPECT_EQ(TPasswordPrompt::AskNewPassword(nullptr, &m_language),
              TNewPassword(QStringLiteral("geheim"), TProtection::Strong));
    EXPECT_EQ(run.title, QStringLiteral("Kennwort eingeben"));
    EXPECT_TRUE(run.hasConfEdit);
}

TEST(PasswordPrompt, NewPasswordEmptyMeansRemoveAndCancelMeansNothing)
{
    TPromptRun run;
    AnswerNextDialog(run, QString());
    EXPECT_EQ(TPasswordPrompt::AskNewPassword(nullptr, nullptr), TNewPassword());
    EXPECT_EQ(run.title, QStringLiteral("Enter Password"));

    AnswerNextDialog(run, std::nullopt);
    EXPECT_EQ(TPasswordPrompt::AskNewPassword(nullptr, nullptr), std::nullopt);
}

// --- TOverwriteDlg ----------------------------------------------------------------------

struct TButtonCase
{
    const char *button;
    TDuplicateChoice choice;
    bool accepted;
};

class OverwriteButtons : public ::testing::TestWithParam<std::tuple<TButtonCase, bool>>
{};

TEST_P(OverwriteButtons, EachButtonGivesItsChoiceAndTheCheckBox)
{
    const auto [button, doNotShow] = GetParam();
    TOverwriteDlg dlg(QStringLiteral("A record like this exists."));
    dlg.show();
    auto *box = Child<QCheckBox>(&dlg, "DontShowBox");
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    if (doNotShow)
        QTest::keyClick(box, Qt::Key_Space);
    auto *pressed = Child<QPushButton>(&dlg, button.button);
    ASSERT_NE(pressed, nullptr);
    QTest::mouseClick(pressed, Qt::LeftButton);

    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), button.accepted ? QDialog::Accepted : QDialog::Rejected);
    const TDuplicateAnswer answer = dlg.Answer();
    EXPECT_EQ(answer.choice, button.choice);
    EXPECT_EQ(answer.doNotShowAgain, doNotShow);
}

INSTANTIATE_TEST_SUITE_P(
    AllButtons,
    OverwriteButtons,
    ::testing::Combine(::testing::Values(TButtonCase{"MergeBtn", TDuplicateChoice::Merge, true},
                                         TButtonCase{"AddBtn", TDuplicateChoice::Add, true},
                                         TButtonCase{
                                             "OverwriteBtn", TDuplicateChoice::Overwrite, true},
                                         TButtonCase{"SkipBtn", TDuplicateChoice::Skip, true},
                                         TButtonCase{"CancelBtn", TDuplicateChoice::Cancel, false}),
                       ::testing::Bool()),
    [](const auto &info) {
        const TButtonCase &button = std::get<0>(info.param);
        return std::string(button.button) + (std::get<1>(info.param) ? "_Kept" : "_Once");
    });

TEST(OverwriteDlg, ShowsCaptionMessageAndButtonCaptions)
{
    // Titles from foreign files may look like markup; they are shown as typed.
    const QString message = QStringLiteral("Movie <b>Amélie</b> / Le Fabuleux Destin exists");
    TOverwriteDlg dlg(message);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Confirmation"));
    auto *label = Child<QLabel>(&dlg, "MsgLabel");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), message);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(Child<QPushButton>(&dlg, "MergeBtn")->text(), QStringLiteral("&Merge"));
    EXPECT_EQ(Child<QPushButton>(&dlg, "AddBtn")->text(), QStringLiteral("&Add"));
    EXPECT_EQ(Child<QPushButton>(&dlg, "OverwriteBtn")->text(), QStringLiteral("&Overwrite"));
    EXPECT_EQ(Child<QPushButton>(&dlg, "SkipBtn")->text(), QStringLiteral("&Do not add"));
    EXPECT_EQ(Child<QPushButton>(&dlg, "CancelBtn")->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(Child<QCheckBox>(&dlg, "DontShowBox")->text(), QStringLiteral("Do not show again"));
}

TEST(OverwriteDlg, AskDuplicateWithDialogRunsModally)
{
    WhenModal([](QWidget *modal) {
        QTest::keyClick(Child<QCheckBox>(modal, "DontShowBox"), Qt::Key_Space);
        Child<QPushButton>(modal, "OverwriteBtn")->click();
    });
    const TDuplicateAnswer answer = AskDuplicateWithDialog(nullptr, QStringLiteral("dup"));
    EXPECT_EQ(answer.choice, TDuplicateChoice::Overwrite);
    EXPECT_TRUE(answer.doNotShowAgain);
}

TEST(OverwriteDlg, EscapeAfterAnEarlierAnswerIsCancel)
{
    TOverwriteDlg dlg(QStringLiteral("dup"));
    WhenModal([](QWidget *modal) { Child<QPushButton>(modal, "AddBtn")->click(); });
    EXPECT_EQ(dlg.Ask().choice, TDuplicateChoice::Add);

    // The second run must not report the first run's button.
    WhenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    const TDuplicateAnswer answer = dlg.Ask();
    EXPECT_EQ(answer.choice, TDuplicateChoice::Cancel);
    EXPECT_FALSE(answer.doNotShowAgain);
}

// --- TWaitWindow ------------------------------------------------------------------------

TEST(WaitWindow, ShowsTextAndCancelOnlyWhenCancellable)
{
    TWaitWindow wait;
    wait.ShowWait(QStringLiteral("Importing, please wait..."), false);
    EXPECT_TRUE(wait.isVisible());
    EXPECT_FALSE(wait.isModal());
    EXPECT_EQ(Child<QLabel>(&wait, "WaitLabel")->text(),
              QStringLiteral("Importing, please wait..."));
    auto *cancel = Child<QPushButton>(&wait, "CancelBtn");
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(cancel->isVisible());

    wait.ShowWait(QStringLiteral("Searching the Internet, please wait..."), true);
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_EQ(Child<QLabel>(&wait, "WaitLabel")->text(),
              QStringLiteral("Searching the Internet, please wait..."));

    wait.HideWait();
    EXPECT_FALSE(wait.isVisible());
}

TEST(WaitWindow, CancelSetsTheFlagUntilTheNextShowWait)
{
    TWaitWindow wait;
    int calls = 0;
    wait.SetOnCancel([&calls] { ++calls; });
    wait.ShowWait(QStringLiteral("busy"), true);
    EXPECT_FALSE(wait.CancelRequested());

    QTest::mouseClick(Child<QPushButton>(&wait, "CancelBtn"), Qt::LeftButton);
    wait.ProcessEvents();
    EXPECT_TRUE(wait.CancelRequested());
    EXPECT_EQ(calls, 1);
    // The flag survives hiding: the caller reads it after the work stops.
    wait.HideWait();
    EXPECT_TRUE(wait.CancelRequested());

    wait.ShowWait(QStringLiteral("busy again"), true);
    EXPECT_FALSE(wait.CancelRequested());
}

TEST(WaitWindow, EscapeAndCloseCancelOnlyWhenCancellable)
{
    TWaitWindow wait;
    wait.ShowWait(QStringLiteral("busy"), false);
    QTest::keyClick(&wait, Qt::Key_Escape);
    EXPECT_FALSE(wait.close());
    EXPECT_FALSE(wait.CancelRequested());
    EXPECT_TRUE(wait.isVisible());

    wait.ShowWait(QStringLiteral("busy"), true);
    QTest::keyClick(&wait, Qt::Key_Escape);
    EXPECT_TRUE(wait.CancelRequested());

    wait.ShowWait(QStringLiteral("busy"), true);
    EXPECT_FALSE(wait.close());
    EXPECT_TRUE(wait.CancelRequested());
    EXPECT_TRUE(wait.isVisible());
}

} // namespace
