// The reference for the start-up benchmark: the least a Qt Widgets program
// does to show a window of the game window's size (654 x 634 below a menu
// bar), centred on the screen like the game's windows.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Window"));
    window.setCentralWidget(new QWidget(&window));
    window.menuBar()->addMenu(QStringLiteral("&Game"));
    window.menuBar()->addMenu(QStringLiteral("&Help"));
    const QSize size(654, 634 + window.menuBar()->sizeHint().height());
    window.resize(size);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.move(screen.x() + (screen.width() - size.width()) / 2, screen.y() + (screen.height() - size.height()) / 2);
    window.show();
    return app.exec();
}
