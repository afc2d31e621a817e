#include "SplashControls.h"

#include "Platform.h"

#include <QEvent>
#include <QMouseEvent>

ClickFrame::ClickFrame(QWidget* parent) : QFrame(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void ClickFrame::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        pressed_ = true;
}

void ClickFrame::mouseReleaseEvent(QMouseEvent* e)
{
    // Released elsewhere means the player changed their mind.
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    if (click && onClick)
        vb::Boundary(onClick);
}

void ClickSink::install(QWidget* widget)
{
    widget->installEventFilter(new ClickSink(widget));
}

bool ClickSink::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
