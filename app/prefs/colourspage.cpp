#include "app/prefs/colourspage.h"

#include <iterator>

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextListColors = 800;
constexpr int TextMovieColors = 801;
constexpr int TextColorNames = 802; // 21 labels

constexpr char ColorProperty[] = "windowsColor";

const char16_t *const ColorNames[] = {u"List background:",
                                      u"Bookmarked record:",
                                      u"Movie not seen:",
                                      u"Loaned movie:",
                                      u"Series that has episodes:",
                                      u"Episode:",
                                      u"Selected row:",
                                      u"Selected bookmarked record:",
                                      u"Selected movie not seen:",
                                      u"Selected loaned movie:",
                                      u"Selected series with episodes:",
                                      u"Selected episode:",
                                      u"Wished movie:",
                                      u"Selected wished movie:",
                                      u"List text:",
                                      u"Selected list text:",
                                      u"Card: main information:",
                                      u"Card: custom fields:",
                                      u"Card: file information:",
                                      u"Card: screenshots and covers:",
                                      u"Card: background:"};

static_assert(std::size(ColorNames) == TSettings::ColorCount);

// Stored colours are Windows colour values: red in the low byte, then green, then blue.
// The high byte (Windows system colours) cannot be shown and is kept until the user picks.
QColor FromWindowsColor(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int ToWindowsColor(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

void SetSwatch(QPushButton *button, int value)
{
    button->setProperty(ColorProperty, value);
    QPixmap swatch(48, 16);
    swatch.fill(FromWindowsColor(value));
    button->setIcon(swatch);
    button->setIconSize(swatch.size());
    button->setToolTip(FromWindowsColor(value).name().toUpper());
}

} // namespace

TColoursPage::TColoursPage(QWidget *parent)
    : TPrefsPageBase(u"ColoursPage"_s, parent)
{
    AddCheck(Layout(),
             u"DoListColors"_s,
             TextListColors,
             u"Colour the list rows by their state"_s,
             &TSettings::DoListColors);
    AddCheck(Layout(),
             u"DoMovieColors"_s,
             TextMovieColors,
             u"Colour the panes of the cards"_s,
             &TSettings::DoMovieColors);
    auto *grid = new QGridLayout;
    Layout()->addLayout(grid);
    constexpr int rows = (TSettings::ColorCount + 1) / 2;
    for (int n = 0; n < TSettings::ColorCount; ++n) {
        QLabel *label = NewLabel(this, TextColorNames + n, Str(ColorNames[n]));
        label->setObjectName(u"ColorLabel%1"_s.arg(n));
        QPushButton *button = NewButton(this, u"Color%1"_s.arg(n), 0, QString());
        label->setBuddy(button);
        SetSwatch(button, 0);
        m_colors[size_t(n)] = button;
        m_labels[size_t(n)] = label;
        grid->addWidget(label, n % rows, (n / rows) * 2);
        grid->addWidget(button, n % rows, (n / rows) * 2 + 1);
        connect(button, &QPushButton::clicked, this, [this, n] { Choose(n); });
    }
    Layout()->addStretch();
}

void TColoursPage::Choose(int index)
{
    QPushButton *button = m_colors[size_t(index)];
    if (!m_chooser)
        return;
    QString title = m_labels[size_t(index)]->text();
    title.remove(u'&');
    if (title.endsWith(u':'))
        title.chop(1);
    const QColor chosen =
        m_chooser(FromWindowsColor(button->property(ColorProperty).toInt()), title);
    if (chosen.isValid())
        SetSwatch(button, ToWindowsColor(chosen));
}

void TColoursPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    for (int n = 0; n < TSettings::ColorCount; ++n)
        SetSwatch(m_colors[size_t(n)], settings.Colors[size_t(n)]);
}

void TColoursPage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    for (int n = 0; n < TSettings::ColorCount; ++n)
        settings.Colors[size_t(n)] = m_colors[size_t(n)]->property(ColorProperty).toInt();
}
