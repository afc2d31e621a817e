// xprobe: starts one program on the current X display and times what a
// player sees, from outside the process. Prints one "key=value" per line.
//
//   xprobe [--game] [--verbose] [--idle SECONDS] [--turns N] -- COMMAND ARGS...
//
// Without --game the first mapped window counts as the program's window
// (the bare reference program). With --game the first map is the splash,
// the window named "Quorvane Concentration" is the game window, and after
// the idle period the probe plays N turns on fresh cells with XTest clicks,
// timing each face through XDamage and each turn's resolution. --verbose
// reports on stderr how much of a cell changed and keeps each changed cell as
// /tmp/xprobe-N.ppm, to check by eye that a change is the card.
//
// The program may be wrapped (e.g. by /usr/bin/time); its own process is
// found through the _NET_WM_PID of its first window. It is ended with
// SIGTERM at the end so that a wrapper still reports.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kGameTitle = "Quorvane Concentration";
constexpr int kGameClientHeight = 634;  // the game window below its menu bar

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

int px(int twips)
{
    return (twips + 7) / 15;
}

struct Probe {
    Display* dpy = nullptr;
    Window root = 0;
    int damageEvent = 0;
    int damageError = 0;
    pid_t child = 0;
    pid_t pid = 0;  // the program itself

    // Fills in from a MapNotify; the rest of the event loop only waits.
    std::function<void(const XEvent&)> onEvent;

    // Handles X events until done() or the deadline; false on timeout.
    bool pump(double deadlineMs, const std::function<bool()>& done)
    {
        while (!done()) {
            while (XPending(dpy) > 0) {
                XEvent ev;
                XNextEvent(dpy, &ev);
                if (onEvent)
                    onEvent(ev);
                if (done())
                    return true;
            }
            const double left = deadlineMs - nowMs();
            if (left <= 0)
                return false;
            pollfd pfd{ConnectionNumber(dpy), POLLIN, 0};
            poll(&pfd, 1, static_cast<int>(left) + 1);
        }
        return true;
    }

    void sleepPumping(double ms)
    {
        const double until = nowMs() + ms;
        pump(until, []() { return false; });
    }
};

long windowPid(Display* dpy, Window w)
{
    const Atom prop = XInternAtom(dpy, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long result = 0;
    if (XGetWindowProperty(dpy, w, prop, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success
        && data && count == 1 && format == 32)
        result = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return result;
}

std::string windowName(Display* dpy, Window w)
{
    char* name = nullptr;
    std::string result;
    if (XFetchName(dpy, w, &name) && name)
        result = name;
    if (name)
        XFree(name);
    return result;
}

// Run time of every thread of a process so far, in nanoseconds.
long long cpuNs(pid_t pid)
{
    long long total = 0;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d)
        return -1;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        std::ifstream f(dir + "/" + e->d_name + "/schedstat");
        long long ns = 0;
        if (f >> ns)
            total += ns;
    }
    closedir(d);
    return total;
}

struct Area {
    int x, y, w, h;
};

bool intersects(const Area& r, const XRectangle& a)
{
    return a.x < r.x + r.w && r.x < a.x + a.width && a.y < r.y + r.h && r.y < a.y + a.height;
}

std::vector<unsigned long> grab(Display* dpy, Window w, const Area& r)
{
    std::vector<unsigned long> pixels;
    XImage* img = XGetImage(dpy, w, r.x, r.y, static_cast<unsigned>(r.w), static_cast<unsigned>(r.h), AllPlanes, ZPixmap);
    if (!img)
        return pixels;
    pixels.reserve(static_cast<std::size_t>(r.w * r.h));
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x)
            pixels.push_back(XGetPixel(img, x, y));
    XDestroyImage(img);
    return pixels;
}

int usage()
{
    std::fprintf(stderr, "usage: xprobe [--game] [--verbose] [--idle SECONDS] [--turns N] -- COMMAND ARGS...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    bool game = false;
    bool verbose = false;
    double idleSeconds = 10;
    int turns = 3;
    int i = 1;
    for (; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--game"))
            game = true;
        else if (!std::strcmp(argv[i], "--verbose"))
            verbose = true;
        else if (!std::strcmp(argv[i], "--idle") && i + 1 < argc)
            idleSeconds = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--turns") && i + 1 < argc)
            turns = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--")) {
            ++i;
            break;
        } else
            return usage();
    }
    if (i >= argc)
        return usage();

    Probe p;
    p.dpy = XOpenDisplay(nullptr);
    if (!p.dpy) {
        std::fprintf(stderr, "xprobe: cannot open the display\n");
        return 1;
    }
    int xtestEvent, xtestError, major, minor;
    if (!XTestQueryExtension(p.dpy, &xtestEvent, &xtestError, &major, &minor)
        || !XDamageQueryExtension(p.dpy, &p.damageEvent, &p.damageError)) {
        std::fprintf(stderr, "xprobe: the display lacks XTest or DAMAGE\n");
        return 1;
    }
    XDamageQueryVersion(p.dpy, &major, &minor);
    p.root = DefaultRootWindow(p.dpy);
    XSelectInput(p.dpy, p.root, SubstructureNotifyMask);
    // Park the pointer away from where any window opens.
    XTestFakeMotionEvent(p.dpy, -1, 0, 0, CurrentTime);
    XSync(p.dpy, False);

    const double t0 = nowMs();
    p.child = fork();
    if (p.child == 0) {
        execvp(argv[i], argv + i);
        std::perror("xprobe: exec");
        _exit(127);
    }

    double firstMap = -1, gameMap = -1, firstUnmap = -1;
    Window first = 0, mainWin = 0;
    p.onEvent = [&](const XEvent& ev) {
        if (ev.type == MapNotify && ev.xmap.event == p.root) {
            const Window w = ev.xmap.window;
            const double t = nowMs();
            if (!first) {
                first = w;
                firstMap = t;
                p.pid = static_cast<pid_t>(windowPid(p.dpy, w));
            }
            if (!mainWin && (!game || windowName(p.dpy, w) == kGameTitle)) {
                mainWin = w;
                gameMap = t;
            }
        } else if (ev.type == UnmapNotify && ev.xunmap.event == p.root && ev.xunmap.window == first && firstUnmap < 0) {
            firstUnmap = nowMs();
        }
    };

    auto finish = [&](int code) {
        if (p.pid > 0)
            kill(p.pid, SIGTERM);
        else
            kill(p.child, SIGTERM);
        int status = 0;
        waitpid(p.child, &status, 0);
        XCloseDisplay(p.dpy);
        return code;
    };

    if (!p.pump(t0 + 20000, [&]() { return mainWin != 0; })) {
        std::fprintf(stderr, "xprobe: no window within 20 s\n");
        return finish(1);
    }
    std::printf("pid=%d\n", static_cast<int>(p.pid));
    std::printf("first_map_ms=%.2f\n", firstMap - t0);
    std::printf("main_map_ms=%.2f\n", gameMap - t0);
    if (game) {
        std::printf("splash_shown_ms=%.2f\n", gameMap - firstMap);
        if (firstUnmap >= 0)
            std::printf("splash_unmap_ms=%.2f\n", firstUnmap - firstMap);
    }

    // Let the first paint and any start-up work settle, then sit idle.
    p.sleepPumping(1000);
    const long long cpu0 = cpuNs(p.pid);
    const double idle0 = nowMs();
    p.sleepPumping(idleSeconds * 1000);
    const long long cpu1 = cpuNs(p.pid);
    const double idle1 = nowMs();
    if (cpu0 >= 0 && cpu1 >= 0) {
        std::printf("cpu_before_idle_ms=%.2f\n", cpu0 / 1e6);
        std::printf("idle_cpu_pct=%.4f\n", (cpu1 - cpu0) / 1e6 / (idle1 - idle0) * 100.0);
    }
    std::fflush(stdout);

    if (!game || turns <= 0)
        return finish(0);

    Window dummy;
    int wx, wy;
    unsigned ww, wh, border, depth;
    XGetGeometry(p.dpy, mainWin, &dummy, &wx, &wy, &ww, &wh, &border, &depth);
    const int menuHeight = static_cast<int>(wh) - kGameClientHeight;

    const Damage damage = XDamageCreate(p.dpy, mainWin, XDamageReportRawRectangles);
    XSync(p.dpy, False);
    auto cellRegion = [&](int cell) {
        // Inside the card, clear of its edges.
        return Area{px(120 + 1080 * (cell % 9)) + 6, menuHeight + px(480 + 1440 * (cell / 9)) + 6, 49, 77};
    };

    // Waits until the region differs from `before`; the time it changed.
    auto waitChange = [&](const Area& r, const std::vector<unsigned long>& before, double deadline) {
        double changed = -1;
        bool dirty = true;  // look once at the start too
        p.onEvent = [&](const XEvent& ev) {
            if (ev.type == p.damageEvent + XDamageNotify) {
                const auto& d = reinterpret_cast<const XDamageNotifyEvent&>(ev);
                if (intersects(r, d.area))
                    dirty = true;
            }
        };
        p.pump(deadline, [&]() {
            if (dirty) {
                dirty = false;
                const auto now = grab(p.dpy, mainWin, r);
                if (now != before) {
                    changed = nowMs();
                    if (verbose) {
                        std::size_t differing = 0;
                        for (std::size_t k = 0; k < now.size() && k < before.size(); ++k)
                            differing += now[k] != before[k];
                        std::fprintf(stderr, "xprobe: %zu of %zu pixels changed\n", differing, now.size());
                        static int shot = 0;
                        const std::string name = "/tmp/xprobe-" + std::to_string(++shot) + ".ppm";
                        if (FILE* f = std::fopen(name.c_str(), "wb")) {
                            std::fprintf(f, "P6 %d %d 255\n", r.w, r.h);
                            for (unsigned long v : now) {
                                const unsigned char rgb[3] = {static_cast<unsigned char>(v >> 16),
                                                              static_cast<unsigned char>(v >> 8),
                                                              static_cast<unsigned char>(v)};
                                std::fwrite(rgb, 1, 3, f);
                            }
                            std::fclose(f);
                        }
                    }
                }
            }
            return changed >= 0;
        });
        p.onEvent = nullptr;
        return changed;
    };

    auto click = [&](const Area& r) {
        XTestFakeMotionEvent(p.dpy, -1, wx + r.x + r.w / 2, wy + r.y + r.h / 2, CurrentTime);
        XSync(p.dpy, False);
        p.sleepPumping(50);
        const double t = nowMs();
        XTestFakeButtonEvent(p.dpy, 1, True, CurrentTime);
        XTestFakeButtonEvent(p.dpy, 1, False, CurrentTime);
        XFlush(p.dpy);
        return t;
    };

    int failures = 0;
    for (int turn = 0; turn < turns && 2 * turn + 1 < 54; ++turn) {
        const Area a = cellRegion(2 * turn);
        const Area b = cellRegion(2 * turn + 1);
        p.sleepPumping(100);
        const auto backA = grab(p.dpy, mainWin, a);
        const auto backB = grab(p.dpy, mainWin, b);

        const double clickA = click(a);
        const double faceA = waitChange(a, backA, clickA + 2000);
        if (faceA < 0) {
            ++failures;
            continue;
        }
        std::printf("click_ms=%.2f\n", faceA - clickA);
        p.sleepPumping(200);
        const auto shownA = grab(p.dpy, mainWin, a);

        const double clickB = click(b);
        const double faceB = waitChange(b, backB, clickB + 2000);
        if (faceB < 0) {
            ++failures;
            continue;
        }
        std::printf("click_ms=%.2f\n", faceB - clickB);

        // The first card turns back or leaves 750 ms after the second click.
        const double resolved = waitChange(a, shownA, clickB + 3000);
        if (resolved < 0) {
            ++failures;
            continue;
        }
        std::printf("resolve_ms=%.2f\n", resolved - clickB);
        p.sleepPumping(100);
    }
    if (failures)
        std::printf("failures=%d\n", failures);
    (void)damage;  // goes with the connection
    std::fflush(stdout);
    return finish(0);
}
