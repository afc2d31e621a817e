// Quorvane Concentration: the program starts with its splash window.
#include "Platform.h"
#include "ProgramStart.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    // Without a display Qt would abort with a core dump; say why instead.
    const auto getenv = [](const char* name) { return QString::fromLocal8Bit(std::getenv(name)); };
    if (!DisplayAvailable(argc, argv, getenv)) {
        std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvane-concentration"));
    vb::InitPlatform();

    StartProgram();
    return app.exec();
}
