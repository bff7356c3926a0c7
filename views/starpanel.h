#pragma once

#include <QWidget>

// Ten stars for a rating of 0 to 10: full, half and grey stars drawn by the program itself,
// brighter while the mouse hovers. While editable, the pointer over a star proposes k
// (right half) or k - 0.5 (left half), a click stores the proposal, and leaving shows the
// stored value again.
class TStarPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TStarPanel(QWidget *parent = nullptr);

    double Value() const { return m_value; }
    // Draws the stored value (clears any hover).
    void SetValue(double value);
    bool Editable() const { return m_editable; }
    void SetEditable(bool editable);
    // The value shown now: the hovered proposal, else the stored value.
    double ShownValue() const;
    bool Hovering() const { return m_hover >= 0; }

    QSize sizeHint() const override;

    static constexpr int StarCount = 10;
    static constexpr int StarSize = 16;

signals:
    // The pointer proposes a value (edit mode).
    void Hovered(double value);
    // The pointer left: the stored value is shown again.
    void HoverEnded(double storedValue);
    // A click stored a new value.
    void Clicked(double value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    double m_value = 0;
    double m_hover = -1;
    bool m_editable = false;
};
