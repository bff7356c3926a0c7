#pragma once

#include <functional>

#include "app/prefs/prefspagebase.h"

class QCheckBox;
class QFormLayout;
class QLabel;
class QSpinBox;

// Internet Connection: proxy, user agent, time-outs, download limits and the version check.
class TInternetPage : public TPrefsPageBase
{
public:
    explicit TInternetPage(QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;

    // "Check now" starts a version check through this.
    void SetUpdateChecker(std::function<void()> checker) { m_updateChecker = std::move(checker); }
    // The outcome of a check, shown beside the button.
    void ShowUpdateStatus(const QString &text);

private:
    void BuildProxy(QFormLayout *form, QCheckBox *useProxy);
    void BuildDownloads(QFormLayout *form);
    void BuildUpdateCheck();

    std::function<void()> m_updateChecker;
    QLabel *m_updateStatus = nullptr;
    QSpinBox *m_totalLimit = nullptr;
    QSpinBox *m_stallLimit = nullptr;
};
