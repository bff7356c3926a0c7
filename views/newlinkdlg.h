#pragma once

#include <functional>
#include <optional>

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;

// "Create new link": the kind of a link, the value it points to and the text it shows.
class TNewLinkDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TNewLinkDlg(QWidget *parent = nullptr);

    // The attribute names of the link kinds, in the order of the type list.
    static const QStringList &Attributes();
    static constexpr int AnchorType = 10;

    // The row of the type list; -1 while none is chosen.
    int TypeIndex() const;
    void SetTypeIndex(int index);
    QString Value() const;
    void SetValue(const QString &value);
    QString Text() const;
    void SetText(const QString &text);
    // "<link kind=\"value\">text</link>" for the chosen type; empty while none is chosen.
    QString Markup() const;

    // "Create Hyperlink" on `memo`, a QPlainTextEdit or QTextEdit: the selection fills value
    // and text, the type is preselected from it (four characters: "Year" when a number,
    // else "ID"; "http://" or "www." in it: "URL"; else the type chosen last time), and on
    // OK the selection is replaced by the markup. `answer` stands in for the modal loop: it
    // gets the dialog as it would be shown and returns true for OK. Returns the inserted
    // markup; nothing when `memo` is not an editable memo or the dialog was cancelled.
    static std::optional<QString> Run(QWidget *memo,
                                      const std::function<bool(TNewLinkDlg &)> &answer = {});

protected:
    void showEvent(QShowEvent *event) override;

private:
    void PrepareShow();
    void TypeChanged(int index);

    QComboBox *m_typeCombo = nullptr;
    QLineEdit *m_valEdit = nullptr;
    QLineEdit *m_textEdit = nullptr;
    QLabel *m_textLabel = nullptr;
};

// The memo text after a Ctrl+Shift+click on a movie: a blank last line is dropped, then
// "<link=\"original title\">shown title</link>" becomes a new last line, or the whole text
// when the memo is empty or shows `placeholder`. Unchanged for a movie without an original
// title.
QString AddMovieLinkLine(const QString &memoText,
                         const QString &placeholder,
                         const QString &origTitle,
                         const QString &shownTitle);
