// How the program starts: the checks before Qt opens a window, and the
// splash that begins every run.
#pragma once

#include <QString>

#include <functional>

// True when Qt can be given a display: an X or Wayland display in the
// environment, or a platform chosen explicitly (variable or -platform).
// getenv is the environment to look in.
bool DisplayAvailable(int argc, char** argv, const std::function<QString(const char*)>& getenv);

inline const char kNoDisplayMessage[] =
    "quorvane-concentration: no display available; set DISPLAY or run under xvfb-run";

// True while a window of the program is on the screen.
bool AnyWindowShown();

// Creates, loads and shows the splash. When the splash goes without leaving a
// window behind (a key or a click closed it early), nothing can open one any
// more, so the run ends with status 0.
void StartProgram();
