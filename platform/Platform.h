// Desktop services the game calls: message boxes, the error boundary around
// every event handler, ending the program, the date, the random source, help,
// the shell and program start. Each service goes through one seam that a
// test may replace; production code never asks whether it runs under test.
#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QFile;
class QWidget;

namespace vb {

inline const QString kProgramTitle = QStringLiteral("Quorvane Concentration");

// Call once after QApplication exists: fonts and the like.
void InitPlatform();

// ---- message box -----------------------------------------------------------
enum MsgBoxStyle : int { vbOKOnly = 0, vbYesNo = 4 };
enum MsgBoxResult : int { vbOK = 1, vbYes = 6, vbNo = 7 };

int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = kProgramTitle);

// ---- focus marks -----------------------------------------------------------
// The focused control of the window shows its focus mark at all times, as on
// the desktop the game was designed for, not only after a Tab.
void ShowFocusMarks(QWidget* window);

// ---- error boundary --------------------------------------------------------
// Runs one event handler. A run-time error that escapes it shows the
// run-time error message and ends the program; nothing crosses Qt's loop.
void Boundary(const std::function<void()>& handler);

// Ends the program at once: every window goes, no handler runs after it.
[[noreturn]] void End(int exitCode = 0);

// Thrown by a test's End seam so that the handler that called End stops.
struct ProgramEnded {
    int exitCode = 0;
};

// ---- modal scopes ----------------------------------------------------------
// Open while a message box, modal window or file dialog waits for the user.
// Timers hold their ticks until the last scope closes.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    static int depth();
    // Called once when the depth goes back to 0.
    static void onAllClosed(const std::function<void()>& callback);
};

// ---- system services -------------------------------------------------------
QDate Today();
void Randomize();      // reseed from the clock
float Rnd();           // single precision, 0 <= r < 1
QString AppPath();     // the folder that holds the program, no trailing separator
long HtmlHelpA(QWidget* owner, const QByteArray& file, std::uint32_t command, const void* data);
long ShellExecuteA(QWidget* owner, const char* operation, const char* file, const char* parameters,
                   const char* directory, int showCmd);
// Starts a program without waiting; returns a task id, raises Invalid
// procedure call when it cannot be started.
double Shell(const QString& pathName, int windowStyle);
// Name of the file when a normal file of that name exists, else empty.
QString Dir(const QString& pathName);

// Opens file (its name set) for a command's record access. Only a regular
// file is opened, so that nothing waits on what a file holds: a named pipe,
// a device, a socket or a folder is refused at once. For writing, a path
// where nothing is yet is created as a new file, and an existing file is not
// truncated. False with the reason (as a sentence fragment) on failure;
// *notRegular tells that the path names something other than a file.
// *created (when given) tells that this call made the file, so that a save
// that fails can take away what it alone put there.
bool OpenRecordFile(QFile& file, bool forWriting, QString* reason, bool* notRegular, bool* created = nullptr);

constexpr std::uint32_t HH_DISPLAY_TOPIC = 0;
constexpr std::uint32_t HH_DISPLAY_TOC = 1;
constexpr std::uint32_t HH_DISPLAY_INDEX = 2;
constexpr int SW_SHOWNORMAL = 1;
constexpr int vbNormalFocus = 1;

// ---- seams -----------------------------------------------------------------
namespace seams {

struct MsgBoxCall {
    QString prompt;
    int buttons = 0;
    QString title;
};
// Answers a message box instead of the user; null restores the real one.
void setMsgBox(std::function<int(const MsgBoxCall&)> handler);

struct FileDialogCall {
    bool save = false;
    QString filter;      // Qt filter text
    QString fileName;    // the name offered
    int flags = 0;
};
// Returns the chosen path, or nothing for Cancel.
void setFileDialog(std::function<std::optional<QString>(const FileDialogCall&)> handler);
std::optional<QString> runFileDialog(const FileDialogCall& call, QWidget* owner);

void setToday(std::function<QDate()> today);
void setRandom(std::function<float()> rnd, std::function<void()> randomize = {});
void setAppPath(std::function<QString()> appPath);

struct HtmlHelpCall {
    QByteArray file;
    std::uint32_t command = 0;
    QByteArray topic;          // for commands that pass a text
    std::int32_t number = 0;   // for commands that pass a number
    bool ownerIsNull = true;
};
void setHtmlHelp(std::function<long(const HtmlHelpCall&)> handler);

struct ShellExecuteCall {
    bool ownerIsNull = true;
    bool operationIsNull = true;
    QByteArray file;
    bool parametersIsNull = true;
    bool directoryIsNull = true;
    int showCmd = 0;
};
void setShellExecute(std::function<long(const ShellExecuteCall&)> handler);

// Program start: returns false when the program cannot be started.
void setStartProgram(std::function<bool(const QString& path, int windowStyle)> handler);

// End: a test's handler records the call and throws ProgramEnded.
void setEnd(std::function<void(int)> handler);

// Multiplies every timer interval (tests only shorten waits with it).
void setTimerScale(double scale);
double timerScale();

}  // namespace seams

}  // namespace vb
