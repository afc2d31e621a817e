#include "ProgramStart.h"

#include "CardPictures.h"
#include "Picture.h"
#include "Platform.h"
#include "frmSplash.h"

#include <QApplication>
#include <QTimer>
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
        // Decoding the 68 card pictures is most of the game window's load;
        // done while the splash idles (after its first paint), the hand-over
        // only builds the board. Dropped with the splash if it closes early.
        QTimer::singleShot(300, splash, []() {
            vb::Boundary([]() {
                for (int card = 1; card <= 68; ++card)
                    vb::LoadResPicture(quorvane::pictures::cardResourcePath(card));
                vb::LoadResPicture(quorvane::pictures::deckFaceResourcePath());
            });
        });
    });
}
