#pragma once

#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QStringList>

// Small widgets only the movie and person cards use.

// A drop-down that shows its text like a plain field while the card is read: no edge, no
// arrow, no list, and the wheel scrolls the card instead of changing the value.
class TCardCombo : public QComboBox
{
public:
    explicit TCardCombo(QWidget *parent = nullptr);

    bool ViewMode() const { return m_viewMode; }
    void SetViewMode(bool flag);
    // Replaces the choices and keeps the typed text.
    void SetChoices(const QStringList &choices);

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_viewMode = false;
};

// The poster or photo: the picture scaled to the panel, or an empty placeholder area.
// Screenshot and cover slots keep the picture's proportions, centred in the panel.
class TPicturePanel : public QFrame
{
public:
    explicit TPicturePanel(QWidget *parent = nullptr);

    const QImage &Image() const { return m_image; }
    bool HasImage() const { return !m_image.isNull(); }
    void SetImage(const QImage &image);
    void SetProportional(bool flag) { m_proportional = flag; }

    // The size the panel takes: without a picture 140 x 100; a picture that fits within
    // maxWidth x maxHeight keeps its size, a larger one is scaled down to fit, keeping
    // its aspect ratio (the limiting side gets the limit, the other is rounded down).
    static QSize FittedSize(QSize picture, int maxWidth, int maxHeight);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    bool m_proportional = false;
};
