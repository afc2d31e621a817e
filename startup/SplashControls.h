// Small controls the splash needs beyond the platform's: a frame that reports
// a click on its own surface, and a way to keep a child's clicks from
// reaching the frame beneath it.
#pragma once

#include <QFrame>
#include <QObject>

#include <functional>

// A frame with a Click: button down and up again on the frame itself. Clicks
// on its children reach it only when a child lets them through.
class ClickFrame : public QFrame {
    Q_OBJECT
public:
    explicit ClickFrame(QWidget* parent);
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool pressed_ = false;
};

// Takes every mouse button event of the widget it is installed on, so that
// the widget's parent never sees it (a QLabel lets them through).
class ClickSink : public QObject {
    Q_OBJECT
public:
    explicit ClickSink(QObject* parent) : QObject(parent) {}
    static void install(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
