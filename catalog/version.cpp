#include "catalog/version.h"

int VersionNumber(const QString &text)
{
    // From the last character to the first, each dot becomes as many zeros as its group
    // needs to be three digits long (counted in the text as changed so far).
    QString digits = text;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'.')
            continue;
        const qsizetype after = digits.size() - i - 1;
        const qsizetype zeros = 3 - after % 3;
        digits.replace(i, 1, QString(zeros == 3 ? 0 : zeros, u'0'));
    }
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? value : 0;
}
