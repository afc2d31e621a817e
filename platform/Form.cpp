#include "Form.h"

#include "Controls.h"
#include "Picture.h"
#include "Platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace vb {

// ---- DefaultButton ---------------------------------------------------------

DefaultButton& DefaultButton::operator=(QPushButton* button)
{
    button_ = button;
    window_->showDefaultFrame();
    return *this;
}

// ---- FormWindow ------------------------------------------------------------

FormWindow::FormWindow(Form* form, QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), form_(form), client_(new QWidget(this))
{
    setCentralWidget(client_);
    client_->setAutoFillBackground(true);
    setAttribute(Qt::WA_DeleteOnClose, false);

    ShowFocusMarks(this);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if ((old && old->window() == this) || (now && now->window() == this))
            showDefaultFrame();
    });
}

FormWindow::~FormWindow()
{
    // The controls are deleted after this destructor; a focus change that
    // their deletion causes must not reach this half-destroyed window.
    disconnect(focusWatch_);
}

void FormWindow::showDefaultFrame()
{
    QWidget* focus = focusWidget();
    // The menu bar holds the focus only while it is worked by keys, and
    // gives it back to where it was.
    if (qobject_cast<QMenuBar*>(focus))
        return;
    auto* focused = qobject_cast<QPushButton*>(focus);
    QPushButton* framed = focused ? focused : defaultButton.data();
    // Windows shown with this one as owner are its children too.
    const QList<QPushButton*> buttons = findChildren<QPushButton*>();
    for (QPushButton* b : buttons)
        if (b->window() == this)
            b->setDefault(b == framed);
}

void FormWindow::dockTop(QWidget* w)
{
    top_.append(w);
    layoutDocked();
}

void FormWindow::dockBottom(QWidget* w)
{
    bottom_.append(w);
    layoutDocked();
}

void FormWindow::layoutDocked()
{
    const int width = client_->width();
    for (const auto& w : top_)
        if (w)
            w->setGeometry(0, w->y(), width, w->height());
    for (const auto& w : bottom_)
        if (w)
            w->setGeometry(0, client_->height() - w->height(), width, w->height());
}

void FormWindow::setDrawnFrame(bool drawn)
{
    drawnFrame_ = drawn;
    const int m = drawn ? kDrawnFrame : 0;
    setContentsMargins(m, m, m, m);
}

void FormWindow::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    if (!drawnFrame_)
        return;
    // Qt's raised Windows panel, a line a logical pixel wide: light over
    // shadow outside, midlight over dark inside, then the button face.
    const QPalette& pal = palette();
    const QColor lines[kDrawnFrame][2] = {{pal.color(QPalette::Light), pal.color(QPalette::Shadow)},
                                          {pal.color(QPalette::Midlight), pal.color(QPalette::Dark)},
                                          {pal.color(QPalette::Button), pal.color(QPalette::Button)}};
    QPainter painter(this);
    for (int i = 0; i < kDrawnFrame; ++i) {
        const QRect r = rect().adjusted(i, i, -i, -i);
        painter.fillRect(r.left(), r.top(), r.width() - 1, 1, lines[i][0]);
        painter.fillRect(r.left(), r.top() + 1, 1, r.height() - 2, lines[i][0]);
        painter.fillRect(r.left(), r.bottom(), r.width(), 1, lines[i][1]);
        painter.fillRect(r.right(), r.top(), 1, r.height() - 1, lines[i][1]);
    }
}

QMargins FormWindow::frameMargins() const
{
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

void FormWindow::place()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins known = frameMargins();
    placing_ = known.isNull();
    placedWith_ = placing_ ? likelyFrameMargins() : known;
    const QSize frame = size().grownBy(placedWith_);
    const auto start = [](int areaStart, int room, int length) { return areaStart + std::max(0, (room - length) / 2); };
    // move() places the frame's top left corner, whether or not its size is known yet.
    move(start(area.x(), area.width(), frame.width()), start(area.y(), area.height(), frame.height()));
}

QMargins FormWindow::likelyFrameMargins() const
{
    // Until the window manager has framed this window, one of ours that it
    // has framed tells the size of the frame, which spares a visible jump.
    if (windowFlags() & Qt::FramelessWindowHint)
        return QMargins();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* other = qobject_cast<FormWindow*>(w);
        if (other && other != this && other->isVisible() && !(other->windowFlags() & Qt::FramelessWindowHint)
            && !other->frameMargins().isNull())
            return other->frameMargins();
    }
    return QMargins();
}

void FormWindow::placeAgainIfFrameChanged()
{
    if (!placing_ || !isVisible() || windowState() != Qt::WindowNoState)
        return;
    const QMargins known = frameMargins();
    if (known.isNull())
        return;
    placing_ = false;
    if (known != placedWith_)
        place();
}

void FormWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // Decorating the window moves it inside the new frame.
    placeAgainIfFrameChanged();
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    // The form decides; it unloads itself when the close goes ahead.
    event->ignore();
    form_->closeRequested();
}

void FormWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutDocked();
    form_->resized();
    placeAgainIfFrameChanged();
}

void FormWindow::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QPushButton* target = (focused && focused->window() == this) ? focused : defaultButton.data();
        if (target && target->isVisible() && target->isEnabled()) {
            target->click();
            return;
        }
    } else if (key == Qt::Key_Escape) {
        if (cancelButton && cancelButton->isVisible() && cancelButton->isEnabled()) {
            cancelButton->click();
            return;
        }
    }
    // A key press that types a character; Delete and Alt+key type none on
    // the desktop the game was designed for, and a character beyond the
    // code page arrives as "?".
    const QString text = event->text();
    const bool typesCharacter = !text.isEmpty() && text[0].unicode() != 0 && text[0].unicode() != 127
                                && key != Qt::Key_Delete && !(event->modifiers() & Qt::AltModifier);
    if (form_->keyPreview() && typesCharacter) {
        form_->keyPressed(text[0].unicode() < 256 ? text[0].unicode() : '?');
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void FormWindow::showEvent(QShowEvent* event)
{
    // The focus may have been set while the window was hidden, which Qt
    // does not report.
    showDefaultFrame();
    QMainWindow::showEvent(event);
    // Some platforms frame the window as soon as it exists.
    placeAgainIfFrameChanged();
}

// ---- Form ------------------------------------------------------------------

Form::~Form() = default;

QWidget* Form::client() const
{
    return window_ ? window_->client() : nullptr;
}

QMenu* Form::addMenu(const QString& caption)
{
    return window_->menuBar()->addMenu(caption);
}

void Form::Load()
{
    if (window_ || loading_)
        return;
    loading_ = true;
    const Design d = design();
    Qt::WindowFlags flags = Qt::Window;
    switch (d.border) {
    case Sizable:
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (d.minButton)
            flags |= Qt::WindowMinimizeButtonHint;
        if (d.maxButton)
            flags |= Qt::WindowMaximizeButtonHint;
        break;
    case FixedDialog:
        flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                | Qt::WindowCloseButtonHint;
        break;
    case NoTitle:
        // Undecorated to the window manager; the window draws its own frame.
        flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    }
    if (!d.showInTaskbar)
        flags |= Qt::Tool;
    flags |= Qt::CustomizeWindowHint;

    window_ = new FormWindow(this, nullptr, flags);
    window_->setWindowTitle(d.caption);
    window_->setWindowIcon(QIcon(QStringLiteral(":/res/icon.png")));
    window_->setFont(QFont(QStringLiteral("Comic Sans MS"), 8));
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSizeF(8.25);
    window_->setFont(font);
    // Only the client area is green; the menu bar keeps the desktop's colours.
    QPalette pal = window_->client()->palette();
    pal.setColor(QPalette::Window, d.backColor);
    window_->client()->setPalette(pal);

    window_->setDrawnFrame(d.border == NoTitle);

    CreateControls();

    const int menuHeight = window_->menuWidget() ? window_->menuBar()->sizeHint().height() : 0;
    const int rim = window_->drawnFrame() ? 2 * FormWindow::kDrawnFrame : 0;
    const QSize size(px(d.clientWidth) + rim, px(d.clientHeight) + menuHeight + rim);
    if (d.border == Sizable)
        window_->resize(size);
    else
        window_->setFixedSize(size);
    if (window_->layout())
        window_->layout()->activate();
    window_->layoutDocked();
    loading_ = false;

    Form_Load();
}

void Form::Unload()
{
    if (!window_)
        return;
    FormWindow* w = window_;
    window_ = nullptr;
    // The window goes only later; its timers must not tick meanwhile.
    for (Timer* timer : w->findChildren<Timer*>())
        timer->setEnabled(false);
    DestroyControls();
    if (modalLoop_)
        modalLoop_->quit();
    QWidget* owner = w->parentWidget();
    w->hide();
    w->deleteLater();
    // Without a window manager nothing hands the keyboard back to the owner.
    if (owner && owner->isVisible())
        owner->activateWindow();
}

void Form::Show(int modal, Form* owner)
{
    Load();
    if (!window_)
        return;  // the load handler unloaded the window again
    if (owner && owner->window_ && window_->parentWidget() != owner->window_) {
        // Window managers keep a dialog above its owner and off the task
        // bar; only that kind of window carries its owner to them. The
        // frame keeps the buttons the design asks for.
        Qt::WindowFlags flags = window_->windowFlags();
        if ((flags & Qt::WindowType_Mask) == Qt::Window)
            flags = (flags & ~Qt::WindowType_Mask) | Qt::Dialog;
        window_->setParent(owner->window_, flags);
    }
    window_->place();
    if (modal != vbModal) {
        window_->show();
        window_->raise();
        window_->activateWindow();
        return;
    }
    window_->setWindowModality(Qt::ApplicationModal);
    window_->show();
    window_->raise();
    window_->activateWindow();
    ModalScope scope;
    QEventLoop loop;
    QEventLoop* outer = modalLoop_;
    modalLoop_ = &loop;
    if (window_)
        loop.exec();
    modalLoop_ = outer;
}

void Form::closeRequested()
{
    Boundary([this]() {
        int cancel = 0;
        Form_Unload(cancel);
        if (!cancel)
            Unload();
    });
}

void Form::resized()
{
    if (!loading_)
        Boundary([this]() { Form_Resize(); });
}

void Form::keyPressed(int keyAscii)
{
    Boundary([this, keyAscii]() {
        int k = keyAscii;
        Form_KeyPress(k);
    });
}

}  // namespace vb
