#include "ProgramStart.h"

#include "Platform.h"
#include "frmSplash.h"

#include <QApplication>
#include <QWidget>

#include <cstring>

bool DisplayAvailable(int argc, char** argv, const std::function<QString(const char*)>& getenv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!getenv(name).isEmpty())
            return true;
    return false;
}

bool AnyWindowShown()
{
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* w : windows)
        if (w->isVisible())
            return true;
    return false;
}

void StartProgram()
{
    vb::Boundary([]() {
        frmSplash->Show();
        vb::FormWindow* splash = frmSplash->window();
        if (!splash)
            return;
        // The splash's window is deleted after its unload; by then the game
        // window, if handed over to, is already showing.
        QObject::connect(splash, &QObject::destroyed, qApp, []() {
            vb::Boundary([]() {
                if (!AnyWindowShown())
                    vb::End(0);
            });
        });
    });
}
