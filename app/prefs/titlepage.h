#pragma once

#include <QString>
#include <QStringList>

#include "app/prefs/prefspagebase.h"
#include "catalog/dbitem.h"

class QLineEdit;

// Title formatting: the title template with fields to insert and, for movies, the leading
// articles.
class TTitlePage : public TPrefsPageBase
{
public:
    TTitlePage(TPrefsSubject subject, QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;

private:
    void AddFormat(const QString &prefix, QString TSettings::*key, TRecordKind kind);
    void AddArticles();

    QLineEdit *m_prefixList = nullptr; // movies only
    // The article list as loaded: re-parsed only when the user edited its text.
    QStringList m_loadedPrefixList;
    QString m_loadedPrefixText;
};
