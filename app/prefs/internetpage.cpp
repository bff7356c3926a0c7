#include "app/prefs/internetpage.h"

#include <initializer_list>

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/prefs/prefscontext.h"
#include "views/languagewide.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int TextInternet = 875; // 10 captions
// The download limits: 2 captions, 2 tooltips.
constexpr int TextDownloadLimits = 3950;

} // namespace

TInternetPage::TInternetPage(QWidget *parent)
    : TPrefsPageBase(u"InternetPage"_s, parent)
{
    QCheckBox *useProxy = AddCheck(
        Layout(), u"UseProxy"_s, TextInternet, u"Use a proxy server"_s, &TSettings::UseProxy);
    QFormLayout *form = AddForm();
    BuildProxy(form, useProxy);
    BuildDownloads(form);
    AddCheck(Layout(),
             u"DoUpdates"_s,
             TextInternet + 9,
             u"Check for new versions of the program and the plug-ins"_s,
             &TSettings::DoUpdates);
    BuildUpdateCheck();
    Layout()->addStretch();
}

void TInternetPage::BuildProxy(QFormLayout *form, QCheckBox *useProxy)
{
    QLineEdit *server = AddEdit(
        form, u"ProxyServer"_s, TextInternet + 1, u"Proxy server:"_s, &TSettings::ProxyServer);
    QSpinBox *port = AddSpin(
        form, u"ProxyPort"_s, TextInternet + 2, u"Port:"_s, 0, 65535, &TSettings::ProxyPort);
    QLineEdit *user = AddEdit(
        form, u"ProxyUserName"_s, TextInternet + 3, u"User name:"_s, &TSettings::ProxyUserName);
    QLineEdit *password = AddEdit(
        form, u"ProxyPassword"_s, TextInternet + 4, u"Password:"_s, &TSettings::ProxyPassword);
    password->setEchoMode(QLineEdit::Password);
    for (QWidget *proxyPart : std::initializer_list<QWidget *>{server, port, user, password}) {
        proxyPart->setEnabled(false);
        connect(useProxy, &QCheckBox::toggled, proxyPart, &QWidget::setEnabled);
    }
}

void TInternetPage::BuildDownloads(QFormLayout *form)
{
    AddEdit(form, u"UserAgent"_s, TextInternet + 5, u"User agent:"_s, &TSettings::UserAgent);
    // One hour is far beyond any useful time-out; -1 leaves the choice to the library.
    constexpr int timeoutLimit = 3600000;
    AddSpin(form,
            u"ConnectTimeout"_s,
            TextInternet + 6,
            u"Connect time-out in ms (-1: default):"_s,
            -1,
            timeoutLimit,
            &TSettings::ConnectTimeout);
    AddSpin(form,
            u"ReadTimeout"_s,
            TextInternet + 7,
            u"Read time-out in ms (-1: default):"_s,
            -1,
            timeoutLimit,
            &TSettings::ReadTimeout);
    AddSpin(form,
            u"Retries"_s,
            TextInternet + 8,
            u"Retries after a failed download:"_s,
            0,
            100,
            &TSettings::Retries);
    // Both limits start at one second: a download that may run forever is not offered.
    QSpinBox *totalLimit = AddSpin(form,
                                   u"DownloadTimeLimit"_s,
                                   TextDownloadLimits,
                                   u"Stop a download after (seconds):"_s,
                                   1,
                                   TSettings::MaxDownloadLimit,
                                   &TSettings::DownloadTimeLimit);
    QSpinBox *stallLimit = AddSpin(form,
                                   u"StallTimeLimit"_s,
                                   TextDownloadLimits + 1,
                                   u"Stop a download when no data came for (seconds):"_s,
                                   1,
                                   TSettings::MaxStallLimit,
                                   &TSettings::StallTimeLimit);
    m_totalLimit = totalLimit;
    m_stallLimit = stallLimit;
}

void TInternetPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    // The page is built before any language is known: its tooltips are set here.
    const auto text = [&context](int number, const QString &english) {
        return context.language ? context.language->Caption(number, english) : english;
    };
    m_totalLimit->setToolTip(text(TextDownloadLimits + 2,
                                  u"The longest time any download may take in all, retries "
                                  "included: web information, pictures and the version check."_s));
    m_stallLimit->setToolTip(
        text(TextDownloadLimits + 3,
             u"Also the connect and read time-outs while those are -1 (default)."_s));
}

// A check on demand; its outcome is written beside the button.
void TInternetPage::BuildUpdateCheck()
{
    auto *row = new QHBoxLayout;
    auto *checkNow = new QPushButton(u"Check &now"_s, this);
    checkNow->setObjectName(u"CheckNowBtn"_s);
    m_updateStatus = new QLabel(this);
    m_updateStatus->setObjectName(u"UpdateStatus"_s);
    m_updateStatus->setWordWrap(true);
    row->addWidget(checkNow);
    row->addWidget(m_updateStatus, 1);
    Layout()->addLayout(row);
    connect(checkNow, &QPushButton::clicked, this, [this] {
        if (m_updateChecker) {
            ShowUpdateStatus(u"Checking..."_s);
            m_updateChecker();
        }
    });
}

void TInternetPage::ShowUpdateStatus(const QString &text)
{
    m_updateStatus->setText(text);
}
