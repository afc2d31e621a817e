#include "LineControl.h"

#include "Picture.h"

#include <QPainter>

#include <algorithm>

LineControl::LineControl(QWidget* parent, int x1, int y1, int x2, int y2, const QColor& color, int widthPx)
    : QWidget(parent), color_(color), width_(std::max(1, widthPx))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const int ax = vb::px(x1), ay = vb::px(y1), bx = vb::px(x2), by = vb::px(y2);
    const int left = std::min(ax, bx), top = std::min(ay, by);
    // The end point is not drawn, as with the platform's own lines.
    const int w = std::max(1, std::abs(bx - ax)) + (width_ - 1);
    const int h = std::max(1, std::abs(by - ay)) + (width_ - 1);
    setGeometry(left, top, w, h);
    from_ = QPoint(ax - left, ay - top);
    to_ = QPoint(bx - left, by - top);
}

void LineControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (from_.y() == to_.y()) {
        p.fillRect(QRect(std::min(from_.x(), to_.x()), from_.y(), std::max(1, std::abs(to_.x() - from_.x())), width_),
                   color_);
    } else if (from_.x() == to_.x()) {
        p.fillRect(QRect(from_.x(), std::min(from_.y(), to_.y()), width_, std::max(1, std::abs(to_.y() - from_.y()))),
                   color_);
    } else {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(color_, width_));
        p.drawLine(from_, to_);
    }
}
