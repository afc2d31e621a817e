// A drawn line between two points of its parent, as a window's design gives
// it: a colour and a pen width, never focus, never a click target.
#pragma once

#include <QColor>
#include <QWidget>

class LineControl : public QWidget {
public:
    // Points in twips; widthPx is the pen width in pixels, the extra pixels
    // lying below (or right of) the line.
    LineControl(QWidget* parent, int x1, int y1, int x2, int y2, const QColor& color, int widthPx);

    QColor color() const { return color_; }
    int penWidth() const { return width_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor color_;
    int width_;
    QPoint from_;  // in the widget's own pixels
    QPoint to_;
};
