// The results dialog's browse link: the page a plug-in found opens like a catalog link.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QUrl>

#include "app/selform.h"
#include "tests/support/widgettest.h"

namespace {

using namespace Qt::StringLiterals;

// Stands in for the desktop's opener of the schemes the plug-ins' pages use.
class TBrowser : public QObject
{
    Q_OBJECT
public:
    TBrowser()
    {
        for (const QString &scheme : Schemes)
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~TBrowser() override
    {
        for (const QString &scheme : Schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QList<QUrl> opened;

public Q_SLOTS:
    void Open(const QUrl &url) { opened.append(url); }

private:
    const QStringList Schemes{u"https"_s, u"smb"_s};
};

TEST(SelForm, BrowseLinkOpensWebPagesAndAsksForAnythingElse)
{
    TBrowser browser;
    TSelForm form;
    form.SetEntries(u"Results"_s,
                    {{u"Web"_s, "a", {}, "https://example.org/film", 0},
                     {u"Share"_s, "b", {}, "smb://server/film.desktop", 0}},
                    {});
    auto *list = Child<QListWidget>(&form, "ResultList");
    ASSERT_NE(list, nullptr);
    auto *link = Child<QLabel>(&form, "BrowseLink");

    list->setCurrentRow(0);
    emit link->linkActivated(u"#"_s);
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(u"https://example.org/film"_s)});

    list->setCurrentRow(1);
    QString shown;
    WhenModal([&](QWidget *modal) {
        if (auto *target = Child<QPlainTextEdit>(modal, "TargetText"))
            shown = target->toPlainText();
        modal->close();
    });
    emit link->linkActivated(u"#"_s);
    EXPECT_EQ(shown, u"smb://server/film.desktop"_s);
    EXPECT_EQ(browser.opened.size(), 1);

    // The window's opener, when given, decides instead.
    QStringList handed;
    form.SetUrlOpener([&](QWidget *parent, const QString &url) {
        EXPECT_EQ(parent, &form);
        handed.append(url);
    });
    emit link->linkActivated(u"#"_s);
    EXPECT_EQ(handed, QStringList{u"smb://server/film.desktop"_s});
}

} // namespace

#include "tst_selform.moc"
