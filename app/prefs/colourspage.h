#pragma once

#include <array>
#include <functional>

#include <QColor>
#include <QString>

#include "app/prefs/prefspagebase.h"

class QLabel;
class QPushButton;

// Colours: the list and card colours, each a swatch button that opens a colour chooser.
class TColoursPage : public TPrefsPageBase
{
public:
    // An invalid colour means the user cancelled.
    using TColorChooser = std::function<QColor(const QColor &initial, const QString &title)>;

    explicit TColoursPage(QWidget *parent);

    void Load(const TSettings &settings, const TPrefsContext &context) override;
    void Store(TSettings &settings) override;

    void SetColorChooser(TColorChooser chooser) { m_chooser = std::move(chooser); }

private:
    void Choose(int index);

    std::array<QPushButton *, TSettings::ColorCount> m_colors{};
    std::array<QLabel *, TSettings::ColorCount> m_labels{};
    TColorChooser m_chooser;
};
