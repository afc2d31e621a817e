#include "Platform.h"

#include "CodePage.h"
#include "Runtime.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vb {

namespace {

std::function<int(const seams::MsgBoxCall&)> g_msgBox;
std::function<std::optional<QString>(const seams::FileDialogCall&)> g_fileDialog;
std::function<QDate()> g_today;
std::function<float()> g_rnd;
std::function<void()> g_randomize;
std::function<QString()> g_appPath;
std::function<long(const seams::HtmlHelpCall&)> g_htmlHelp;
std::function<long(const seams::ShellExecuteCall&)> g_shellExecute;
std::function<bool(const QString&, int)> g_startProgram;
std::function<void(int)> g_end;
double g_timerScale = 1.0;

int g_modalDepth = 0;
std::vector<std::function<void()>> g_onAllClosed;

std::mt19937& generator()
{
    static std::mt19937 gen(static_cast<std::mt19937::result_type>(QDateTime::currentMSecsSinceEpoch()));
    return gen;
}

// Windows-style paths the game builds ("folder\Help\file") as local paths.
QString nativePath(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return QDir::cleanPath(p);
}

// A message box at least as wide as its caption needs in a bold title bar
// font, beside the window icon and three title-bar buttons. Qt sizes the box
// for its text and a narrower caption, which window managers that draw those
// buttons cut short.
void WidenForCaption(QMessageBox& box)
{
    QFont bold = box.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int button = std::max(metrics.height(), box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box));
    int width = metrics.horizontalAdvance(box.windowTitle()) + 4 * button;
    if (const QScreen* screen = box.screen())
        width = std::min(width, screen->availableGeometry().width());
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid)
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

}  // namespace

void InitPlatform()
{
    // The windows ask for Comic Sans MS; Linux desktops carry Comic Neue.
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
}

// ---- message box -----------------------------------------------------------

int MsgBox(const QString& prompt, int buttons, const QString& title)
{
    ModalScope scope;
    if (g_msgBox)
        return g_msgBox({prompt, buttons, title});

    QWidget* owner = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::NoButton, owner);
    // The focus starts on the default button and moves its frame along
    // (Qt's dialogs do so); the mark shows which button Enter presses.
    ShowFocusMarks(&box);
    WidenForCaption(box);
    // Without a window manager nothing hands the keyboard back afterwards.
    const auto giveBack = qScopeGuard([owner = QPointer<QWidget>(owner)]() {
        if (owner && owner->isVisible())
            owner->activateWindow();
    });
    if ((buttons & 7) == vbYesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes ? vbYes : vbNo;
    }
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return vbOK;
}

// ---- focus marks -----------------------------------------------------------

void ShowFocusMarks(QWidget* window)
{
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    // Qt hides the marks again whenever the focus moves other than by Tab;
    // this runs right after that and before anything is repainted.
    QObject::connect(qApp, &QApplication::focusChanged, window, [window](QWidget*, QWidget* now) {
        if (now && now->window() == window)
            window->setAttribute(Qt::WA_KeyboardFocusChange);
    });
}

// ---- error boundary and End ------------------------------------------------

void Boundary(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ProgramEnded&) {
        // A test ended the program: the handler stops here.
    } catch (const RuntimeError& e) {
        try {
            MsgBox(QStringLiteral("Run-time error '%1':\n\n%2").arg(e.number).arg(e.description));
            End(1);
        } catch (const ProgramEnded&) {
        }
    } catch (const std::exception& e) {
        try {
            MsgBox(QStringLiteral("Run-time error:\n\n%1").arg(QString::fromLocal8Bit(e.what())));
            End(1);
        } catch (const ProgramEnded&) {
        }
    }
}

void End(int exitCode)
{
    if (g_end) {
        g_end(exitCode);
        throw ProgramEnded{exitCode};
    }
    // Nothing is written at exit: every stored value is already on disk.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

// ---- modal scopes ----------------------------------------------------------

ModalScope::ModalScope()
{
    ++g_modalDepth;
}

ModalScope::~ModalScope()
{
    if (--g_modalDepth == 0 && !g_onAllClosed.empty()) {
        auto callbacks = std::move(g_onAllClosed);
        g_onAllClosed.clear();
        // Run after the closing window has gone, from the event loop.
        QTimer::singleShot(0, [callbacks]() {
            for (const auto& cb : callbacks)
                cb();
        });
    }
}

int ModalScope::depth()
{
    return g_modalDepth;
}

void ModalScope::onAllClosed(const std::function<void()>& callback)
{
    g_onAllClosed.push_back(callback);
}

// ---- system services -------------------------------------------------------

QDate Today()
{
    return g_today ? g_today() : QDate::currentDate();
}

void Randomize()
{
    if (g_randomize) {
        g_randomize();
        return;
    }
    generator().seed(static_cast<std::mt19937::result_type>(QDateTime::currentMSecsSinceEpoch()));
}

float Rnd()
{
    if (g_rnd)
        return g_rnd();
    // 24 random bits: every value is an exact single and below 1.
    return static_cast<float>(generator()() >> 8) * (1.0f / 16777216.0f);
}

QString AppPath()
{
    return g_appPath ? g_appPath() : QCoreApplication::applicationDirPath();
}

long HtmlHelpA(QWidget* owner, const QByteArray& file, std::uint32_t command, const void* data)
{
    seams::HtmlHelpCall call;
    call.file = file;
    call.command = command;
    call.ownerIsNull = owner == nullptr;
    if (command == HH_DISPLAY_INDEX) {
        call.number = data ? *static_cast<const std::int32_t*>(data) : 0;
    } else if (data) {
        call.topic = QByteArray(static_cast<const char*>(data));
    }
    if (g_htmlHelp)
        return g_htmlHelp(call);

    const QString path = nativePath(FromAnsi(file));
    if (!QFileInfo(path).isFile())
        return 0;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? 1 : 0;
}

long ShellExecuteA(QWidget* owner, const char* operation, const char* file, const char* parameters,
                   const char* directory, int showCmd)
{
    seams::ShellExecuteCall call;
    call.ownerIsNull = owner == nullptr;
    call.operationIsNull = operation == nullptr;
    call.file = file ? QByteArray(file) : QByteArray();
    call.parametersIsNull = parameters == nullptr;
    call.directoryIsNull = directory == nullptr;
    call.showCmd = showCmd;
    if (g_shellExecute)
        return g_shellExecute(call);

    // The address goes to the desktop's opener as one argument; no shell
    // ever reads it as a command line.
    const QString target = FromAnsi(call.file);
    if (target.isEmpty())
        return 2;
    const bool ok = QProcess::startDetached(QStringLiteral("xdg-open"), {target});
    return ok ? 42 : 2;
}

double Shell(const QString& pathName, int windowStyle)
{
    const QString path = nativePath(pathName);
    bool started = false;
    if (g_startProgram)
        started = !pathName.isEmpty() && g_startProgram(pathName, windowStyle);
    else
        started = !pathName.isEmpty() && QProcess::startDetached(path, {});
    if (!started)
        Raise(errInvalidCall);
    static double task = 1000;
    return ++task;
}

QString Dir(const QString& pathName)
{
    const QFileInfo info(nativePath(pathName));
    if (pathName.isEmpty() || !info.isFile() || info.isHidden())
        return QString();
    return info.fileName();
}

bool OpenRecordFile(QFile& file, bool forWriting, QString* reason, bool* notRegular, bool* created)
{
    *notRegular = false;
    bool madeIt = false;
    if (created)
        *created = false;
    const auto refuse = [&]() {
        *notRegular = true;
        *reason = QStringLiteral("it is not a regular file");
        return false;
    };
    const QByteArray path = QFile::encodeName(file.fileName());
    // Opening a pipe or a device can block or act on the device: it is
    // looked at first, and opened only when it is a plain file.
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return refuse();
    const int common = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const auto openWith = [&](int flags) {
        int fd = -1;
        do {
            fd = ::open(path.constData(), flags | common, 0666);
        } while (fd < 0 && errno == EINTR);
        return fd;
    };
    int fd = -1;
    if (!forWriting) {
        fd = openWith(O_RDONLY);
    } else {
        // A new file is made exclusively, so that only a file this call
        // made is ever taken away again; a name already there is opened as
        // it is. Should the name come and go in between, try again a few
        // times, then open as before without knowing who made it (a
        // dangling link lands here too).
        bool vanished = false;
        for (int attempt = 0; attempt < 3; ++attempt) {
            fd = openWith(O_WRONLY | O_CREAT | O_EXCL);
            if (fd >= 0) {
                madeIt = true;
                break;
            }
            if (errno != EEXIST)
                break;
            fd = openWith(O_WRONLY);
            vanished = fd < 0 && errno == ENOENT;
            if (!vanished)
                break;
        }
        if (vanished)
            fd = openWith(O_WRONLY | O_CREAT);
    }
    if (fd < 0) {
        *reason = qt_error_string(errno);
        return false;
    }
    const auto abandon = [&]() {
        if (madeIt)
            ::unlink(path.constData());
        ::close(fd);
    };
    // Something else may have taken the name since it was looked at.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        abandon();
        return refuse();
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, forWriting ? QIODevice::WriteOnly : QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *reason = file.errorString();
        abandon();
        return false;
    }
    if (created)
        *created = madeIt;
    return true;
}

// ---- seams -----------------------------------------------------------------

namespace seams {

void setMsgBox(std::function<int(const MsgBoxCall&)> handler) { g_msgBox = std::move(handler); }
void setFileDialog(std::function<std::optional<QString>(const FileDialogCall&)> handler) { g_fileDialog = std::move(handler); }
void setToday(std::function<QDate()> today) { g_today = std::move(today); }
void setRandom(std::function<float()> rnd, std::function<void()> randomize)
{
    g_rnd = std::move(rnd);
    g_randomize = std::move(randomize);
}
void setAppPath(std::function<QString()> appPath) { g_appPath = std::move(appPath); }
void setHtmlHelp(std::function<long(const HtmlHelpCall&)> handler) { g_htmlHelp = std::move(handler); }
void setShellExecute(std::function<long(const ShellExecuteCall&)> handler) { g_shellExecute = std::move(handler); }
void setStartProgram(std::function<bool(const QString&, int)> handler) { g_startProgram = std::move(handler); }
void setEnd(std::function<void(int)> handler) { g_end = std::move(handler); }
void setTimerScale(double scale) { g_timerScale = scale; }
double timerScale() { return g_timerScale; }

std::optional<QString> runFileDialog(const FileDialogCall& call, QWidget* owner)
{
    ModalScope scope;
    if (g_fileDialog)
        return g_fileDialog(call);

    QFileDialog dialog(owner);
    dialog.setNameFilter(call.filter);
    dialog.setAcceptMode(call.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(call.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Replacing a file is confirmed only when the caller asks for it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(call.flags & 0x2));
    if (!call.fileName.isEmpty())
        dialog.selectFile(call.fileName);
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (owner && owner->isVisible())
        owner->activateWindow();
    if (!chosen)
        return std::nullopt;
    return dialog.selectedFiles().first();
}

}  // namespace seams

}  // namespace vb
