// Windows with one global instance each. The instance lives for the whole
// run; Load creates the controls with their design-time values and runs
// Form_Load, Unload destroys the controls but keeps the instance.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QMargins>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <memory>

class QEventLoop;
class QMenu;

namespace vb {

class Form;
class FormWindow;

// The window's default button: Enter presses it when the focus is on no
// push button. Setting it also redraws the window's default frame.
class DefaultButton {
public:
    explicit DefaultButton(FormWindow* window) : window_(window) {}
    DefaultButton(const DefaultButton&) = delete;
    DefaultButton& operator=(const DefaultButton&) = delete;
    DefaultButton& operator=(QPushButton* button);
    QPushButton* data() const { return button_.data(); }
    bool isNull() const { return button_.isNull(); }
    operator QPushButton*() const { return button_.data(); }
    QPushButton* operator->() const { return button_.data(); }

private:
    FormWindow* window_;
    QPointer<QPushButton> button_;
};

inline const QColor kWindowGreen(0, 128, 0);

// A colour given as &H00BBGGRR.
inline QColor VbColor(unsigned value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// The top-level widget of a loaded form. Its central widget is the client
// area on which controls stand at fixed places.
class FormWindow : public QMainWindow {
    Q_OBJECT
public:
    FormWindow(Form* form, QWidget* parent, Qt::WindowFlags flags);
    ~FormWindow() override;
    Form* form() const { return form_; }
    QWidget* client() const { return client_; }

    DefaultButton defaultButton{this};
    QPointer<QPushButton> cancelButton;

    // The button that Enter would press is drawn as the default one: the
    // focused push button, else the default button. Only the drawing
    // changes; defaultButton stays as set.
    void showDefaultFrame();

    // Controls docked to the top or bottom edge follow the client's width.
    void dockTop(QWidget* w);
    void dockBottom(QWidget* w);
    void layoutDocked();

    // Centres the window, frame included, on the screen's available area;
    // in a direction in which it does not fit, its frame starts at the
    // area's edge instead. A window manager's frame is known only once it
    // has decorated the window, so the window is placed again when that
    // frame first shows up.
    void place();

    // A fixed dialog frame that the window draws around its client area
    // itself, for a window that the window manager leaves undecorated.
    static constexpr int kDrawnFrame = 3;
    void setDrawnFrame(bool drawn);
    bool drawnFrame() const { return drawnFrame_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QMargins frameMargins() const;
    QMargins likelyFrameMargins() const;
    void placeAgainIfFrameChanged();

    Form* form_;
    QWidget* client_;
    bool drawnFrame_ = false;
    bool placing_ = false;  // until the window manager's frame is known
    QMargins placedWith_;   // the frame the window was placed with
    QMetaObject::Connection focusWatch_;
    QList<QPointer<QWidget>> top_;
    QList<QPointer<QWidget>> bottom_;
};

class Form {
public:
    enum ShowMode { vbModeless = 0, vbModal = 1 };
    // NoTitle: a fixed dialog frame without title bar, drawn by the window.
    enum BorderStyle { Sizable, FixedDialog, NoTitle };

    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    void Load();
    void Unload();
    void Show(int modal = vbModeless, Form* owner = nullptr);
    bool IsLoaded() const { return window_ != nullptr; }
    FormWindow* window() const { return window_; }
    QWidget* client() const;

    // Window-level events, called by FormWindow through the error boundary.
    void closeRequested();
    void resized();
    void keyPressed(int keyAscii);
    bool keyPreview() const { return design().keyPreview; }

protected:
    Form() = default;

    struct Design {
        QString caption;
        int clientWidth = 0;   // twips
        int clientHeight = 0;  // twips
        BorderStyle border = Sizable;
        bool minButton = true;
        bool maxButton = true;
        bool showInTaskbar = true;
        bool keyPreview = false;
        QColor backColor = kWindowGreen;
    };
    virtual Design design() const = 0;
    virtual void CreateControls() = 0;   // design-time values, in table order
    virtual void DestroyControls() = 0;  // forget the controls' pointers
    virtual void Form_Load() {}
    virtual void Form_Unload(int& cancel) { (void)cancel; }
    virtual void Form_Resize() {}
    virtual void Form_KeyPress(int& keyAscii) { (void)keyAscii; }

    QMenu* addMenu(const QString& caption);

private:
    FormWindow* window_ = nullptr;
    QEventLoop* modalLoop_ = nullptr;
    bool loading_ = false;
};

// The one instance of a form class, created on first use.
template <class T>
class FormInstance {
public:
    T* operator->() const { return &get(); }
    T& operator*() const { return get(); }
    static T& get()
    {
        static T* instance = new T();  // lives until the process ends
        return *instance;
    }
};

}  // namespace vb
