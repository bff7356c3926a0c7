#pragma once

#include <QImage>
#include <QWidget>

// A picture at full size in a window of its own. The window is as large as the picture
// but never larger than the screen; a larger picture is scaled down into it.
class TPicView : public QWidget
{
    Q_OBJECT

public:
    // A separate window owned by `owner` (closed with it), deleted when closed.
    TPicView(const QImage &image, QWidget *owner);

    // The client size for a picture on a screen of the given size.
    static QSize ViewSize(QSize picture, QSize screen);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QImage m_image;
};
