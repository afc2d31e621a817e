// Controls with the semantics the windows' code relies on, on Qt widgets.
// Places and sizes are given in twips.
#pragma once

#include "Picture.h"

#include <QAction>
#include <QDate>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QToolButton;
class QPushButton;

namespace vb {

void SetTwips(QWidget* w, int left, int top, int width, int height);

// ---- picture cell ------------------------------------------------------------
class Image : public QWidget {
    Q_OBJECT
public:
    explicit Image(QWidget* parent);
    StdPicture Picture() const { return picture_; }
    void setPicture(StdPicture picture);
    bool Stretch() const { return stretch_; }
    void setStretch(bool stretch);
    void setBorder(bool border);
    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    StdPicture picture_;
    bool stretch_ = false;
    bool border_ = false;
    bool pressed_ = false;
};

// ---- timer -------------------------------------------------------------------
// One tick per interval while enabled with a non-zero interval. A tick never
// runs inside another tick of the same timer, nor while a message box or a
// modal window is open: it then waits until the last of them has closed.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int Interval() const { return interval_; }
    void setInterval(int ms);
    std::function<void()> onTimer;
    // Runs the tick now, as the timer would (tests drive the timer so).
    void Tick();
    bool isRunning() const { return timer_.isActive(); }

private:
    void restart();
    void due();
    QTimer timer_;
    bool enabled_ = false;
    int interval_ = 0;
    bool inTick_ = false;
    bool waiting_ = false;
};

// ---- toolbar -----------------------------------------------------------------
class Toolbar;
class ToolbarButton {
public:
    QString Key;
    bool isSeparator = false;
    bool Enabled() const;
    void setEnabled(bool enabled);
    QString ToolTipText() const;
    int Index = 0;
    QToolButton* widget = nullptr;
    QWidget* separator = nullptr;
};

class Toolbar : public QFrame {
    Q_OBJECT
public:
    explicit Toolbar(QWidget* parent);
    // image: 1-based index into the image list, 0 for none.
    void addButton(const QString& key, const QString& toolTip, const QPixmap& image);
    void addSeparator(const QString& toolTip);
    void setButtonSize(int widthTwips, int heightTwips);
    ToolbarButton& Buttons(int index);  // 1-based; raises Subscript out of range
    int count() const { return static_cast<int>(buttons_.size()); }
    std::function<void(ToolbarButton&)> onButtonClick;

private:
    void place();
    std::vector<std::unique_ptr<ToolbarButton>> buttons_;
    QSize buttonSize_{23, 22};
};

// The light grey that the image list shows as transparent.
QPixmap MaskedPixmap(const QString& path, const QColor& maskColor);

// ---- status bar ----------------------------------------------------------------
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent);
    void addPanel(const QString& text, int widthTwips, int minWidthTwips, bool spring);
    QLabel& Panels(int index);  // 1-based; raises Subscript out of range
    int count() const { return panels_.size(); }
    int panelWidth(int index) const;

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void place();
    struct Panel {
        QLabel* label;
        int width;
        int minWidth;
        bool spring;
    };
    QList<Panel> panels_;
};

// ---- menu item ---------------------------------------------------------------
// The click handler outlives the item while it runs, so a click that
// unloads the item's window is safe.
class MenuItem {
public:
    MenuItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {});
    bool Enabled() const { return action_->isEnabled(); }
    void setEnabled(bool enabled) { action_->setEnabled(enabled); }
    QAction* action() const { return action_; }

private:
    std::shared_ptr<std::function<void()>> handler_ = std::make_shared<std::function<void()>>();
    QAction* action_;

public:
    std::function<void()>& onClick = *handler_;
};

// ---- grid ----------------------------------------------------------------------
class Grid : public QTableWidget {
    Q_OBJECT
public:
    Grid(QWidget* parent, int rows, int cols, int fixedRows);
    int Row() const { return row_; }
    void setRow(int row);
    int Col() const { return col_; }
    void setCol(int col);
    QString Text() const;
    void setText(const QString& text);
    QString TextMatrix(int row, int col) const;
    bool CellFontBold() const;
    void setCellFontBold(bool bold);
    QColor CellBackColor() const;
    void setCellBackColor(const QColor& color);
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    int fixedRows() const { return fixedRows_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    QTableWidgetItem* cell(int row, int col) const;
    void showCurrentCell();
    void fitRows();
    int row_ = 1;
    int col_ = 0;
    int fixedRows_;
};

// ---- text box -------------------------------------------------------------------
// A text box without a length limit. Qt lays out the whole text at every
// paint, and so at every blink of the cursor: for a paste of megabytes that
// takes seconds each time and would keep the game busy for as long as the
// text stays. While such a text has the focus the cursor stays lit instead.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent);
    ~TextBox() override;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void steadyCursor(bool steady);
    bool steady_ = false;
};

// ---- date picker (hidden; it only yields the date) -------------------------------
class DTPicker {
public:
    QDate Value;
    int Year() const { return Value.year(); }
};

// ---- file dialog -----------------------------------------------------------------
class CommonDialog {
public:
    explicit CommonDialog(QWidget* owner) : owner_(owner) {}
    bool CancelError = false;
    int Flags = 0;
    QString Filter;    // "Description|pattern"
    QString FileName;  // offered, and the chosen path afterwards
    void ShowSave();
    void ShowOpen();

private:
    void show(bool save);
    QPointer<QWidget> owner_;
};

// ---- plain controls --------------------------------------------------------------
QLabel* MakeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h, double points = 8.25,
                  bool bold = false, Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);
QPushButton* MakeButton(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                        const std::function<void()>& onClick);

}  // namespace vb
