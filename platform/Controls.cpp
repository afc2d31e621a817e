#include "Controls.h"

#include "Platform.h"
#include "Runtime.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleHints>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <limits>

namespace vb {

void SetTwips(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(px(left), px(top), px(width), px(height));
}

// ---- Image -------------------------------------------------------------------

Image::Image(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void Image::setPicture(StdPicture picture)
{
    picture_ = std::move(picture);
    if (!stretch_ && picture_)
        resize(picture_->size());
    update();
}

void Image::setStretch(bool stretch)
{
    stretch_ = stretch;
    if (!stretch_ && picture_)
        resize(picture_->size());
    update();
}

void Image::setBorder(bool border)
{
    border_ = border;
    update();
}

void Image::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect area = rect();
    if (border_) {
        p.setPen(Qt::black);
        p.drawRect(area.adjusted(0, 0, -1, -1));
        area = area.adjusted(1, 1, -1, -1);
    }
    if (!picture_)
        return;
    if (stretch_) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(area, picture_->pixmap());
    } else {
        p.drawPixmap(area.topLeft(), picture_->pixmap());
    }
}

void Image::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        pressed_ = true;
}

void Image::mouseReleaseEvent(QMouseEvent* e)
{
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    if (click && onClick)
        Boundary(onClick);
}

// ---- Timer -------------------------------------------------------------------

Timer::Timer(QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this]() { due(); });
}

void Timer::setEnabled(bool enabled)
{
    enabled_ = enabled;
    restart();
}

void Timer::setInterval(int ms)
{
    interval_ = ms;
    restart();
}

void Timer::restart()
{
    waiting_ = false;
    if (enabled_ && interval_ > 0)
        timer_.start(static_cast<int>(interval_ * seams::timerScale()));
    else
        timer_.stop();
}

void Timer::due()
{
    if (!enabled_ || interval_ <= 0)
        return;
    if (inTick_ || ModalScope::depth() > 0) {
        // Hold the tick until the dialog or the running tick is done.
        timer_.stop();
        if (!waiting_) {
            waiting_ = true;
            QPointer<Timer> self(this);
            ModalScope::onAllClosed([self]() {
                if (self && self->waiting_) {
                    self->waiting_ = false;
                    if (self->enabled_ && self->interval_ > 0) {
                        self->timer_.start(static_cast<int>(self->interval_ * seams::timerScale()));
                        self->due();
                    }
                }
            });
        }
        return;
    }
    Tick();
}

void Timer::Tick()
{
    if (inTick_)
        return;
    inTick_ = true;
    QPointer<Timer> self(this);
    if (onTimer)
        Boundary(onTimer);
    if (self)
        inTick_ = false;
}

// ---- Toolbar -----------------------------------------------------------------

bool ToolbarButton::Enabled() const
{
    return widget ? widget->isEnabled() : true;
}

void ToolbarButton::setEnabled(bool enabled)
{
    if (widget)
        widget->setEnabled(enabled);
}

QString ToolbarButton::ToolTipText() const
{
    if (widget)
        return widget->toolTip();
    return separator ? separator->toolTip() : QString();
}

QPixmap MaskedPixmap(const QString& path, const QColor& maskColor)
{
    QImage image(path);
    if (image.isNull())
        return QPixmap();
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = maskColor.rgb() & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == mask)
                line[x] = 0;
    }
    return QPixmap::fromImage(image);
}

Toolbar::Toolbar(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    setPalette(pal);
}

void Toolbar::setButtonSize(int widthTwips, int heightTwips)
{
    buttonSize_ = QSize(px(widthTwips), px(heightTwips));
    place();
}

void Toolbar::addButton(const QString& key, const QString& toolTip, const QPixmap& image)
{
    auto b = std::make_unique<ToolbarButton>();
    b->Key = key;
    b->Index = count() + 1;
    b->widget = new QToolButton(this);
    b->widget->setAutoRaise(true);
    b->widget->setIcon(QIcon(image));
    b->widget->setIconSize(QSize(16, 16));
    b->widget->setToolTip(toolTip);
    b->widget->setFocusPolicy(Qt::NoFocus);
    ToolbarButton* raw = b.get();
    connect(b->widget, &QToolButton::clicked, this, [this, raw]() {
        if (onButtonClick)
            Boundary([this, raw]() { onButtonClick(*raw); });
    });
    buttons_.push_back(std::move(b));
    place();
}

void Toolbar::addSeparator(const QString& toolTip)
{
    auto b = std::make_unique<ToolbarButton>();
    b->isSeparator = true;
    b->Index = count() + 1;
    auto* sep = new QFrame(this);
    sep->setFrameShape(QFrame::VLine);
    sep->setFrameShadow(QFrame::Sunken);
    sep->setToolTip(toolTip);
    b->separator = sep;
    buttons_.push_back(std::move(b));
    place();
}

ToolbarButton& Toolbar::Buttons(int index)
{
    if (index < 1 || index > count())
        Raise(errSubscript);
    return *buttons_[static_cast<std::size_t>(index - 1)];
}

void Toolbar::place()
{
    int x = 2;
    const int y = 2;
    for (auto& b : buttons_) {
        if (b->widget) {
            b->widget->setGeometry(x, y, buttonSize_.width(), buttonSize_.height());
            x += buttonSize_.width();
        } else if (b->separator) {
            b->separator->setGeometry(x, y, 8, buttonSize_.height());
            x += 8;
        }
    }
}

// ---- StatusBar ---------------------------------------------------------------

StatusBar::StatusBar(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
}

void StatusBar::addPanel(const QString& text, int widthTwips, int minWidthTwips, bool spring)
{
    auto* label = new QLabel(text, this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setToolTip(text);
    label->setIndent(3);
    panels_.append({label, px(widthTwips), px(minWidthTwips), spring});
    place();
}

QLabel& StatusBar::Panels(int index)
{
    if (index < 1 || index > panels_.size())
        Raise(errSubscript);
    return *panels_[index - 1].label;
}

int StatusBar::panelWidth(int index) const
{
    return panels_.at(index - 1).label->width();
}

void StatusBar::resizeEvent(QResizeEvent*)
{
    place();
}

void StatusBar::place()
{
    int fixed = 0;
    for (const auto& p : panels_)
        if (!p.spring)
            fixed += p.width;
    const int gap = 2;
    const int available = width() - fixed - gap * (static_cast<int>(panels_.size()) + 1);
    int x = gap;
    for (const auto& p : panels_) {
        const int w = p.spring ? qMax(p.minWidth, available) : p.width;
        p.label->setGeometry(x, 2, w, height() - 3);
        x += w + gap;
    }
}

// ---- MenuItem ----------------------------------------------------------------

MenuItem::MenuItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut)
{
    if (caption == QStringLiteral("-")) {
        action_ = menu->addSeparator();
        return;
    }
    action_ = menu->addAction(caption);
    if (!shortcut.isEmpty()) {
        action_->setShortcut(shortcut);
        action_->setShortcutContext(Qt::WindowShortcut);
    }
    QObject::connect(action_, &QAction::triggered, action_, [handler = handler_, action = action_]() {
        if (*handler && action->isEnabled())
            Boundary(*handler);
    });
}

// ---- Grid --------------------------------------------------------------------

Grid::Grid(QWidget* parent, int rows, int cols, int fixedRows)
    : QTableWidget(rows - fixedRows, cols, parent), fixedRows_(fixedRows)
{
    // Row 0 is the fixed header row; the player cannot edit any cell.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    // Tab leaves the grid for the next control instead of walking its cells.
    setTabKeyNavigation(false);
    // Every row shows (fitRows), so there is nothing to scroll to.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAutoScroll(false);
    // A cell shows one line: as much of its text as fits, unshortened.
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    horizontalHeader()->setTextElideMode(Qt::ElideNone);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);  // the style's minimum would push rows out of sight
    for (int c = 0; c < cols; ++c) {
        setHorizontalHeaderItem(c, new QTableWidgetItem());
        for (int r = 0; r < rows - fixedRows; ++r)
            setItem(r, c, new QTableWidgetItem());
    }
    showCurrentCell();
}

// The header and the rows share the grid's height evenly, whatever frame
// the style draws around them.
void Grid::fitRows()
{
    const int rows = rowCount() + fixedRows_;
    const int height = std::max(1, (this->height() - 2 * frameWidth()) / rows);
    horizontalHeader()->setFixedHeight(height * fixedRows_);
    verticalHeader()->setDefaultSectionSize(height);
}

void Grid::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    fitRows();
}

void Grid::changeEvent(QEvent* event)
{
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        fitRows();
}

void Grid::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}

// The view's current cell, where the focus mark shows, is the grid's
// current cell; the fixed rows have none in the view.
void Grid::showCurrentCell()
{
    setCurrentIndex(row_ < fixedRows_ ? QModelIndex() : model()->index(row_ - fixedRows_, col_));
}

void Grid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableWidget::currentChanged(current, previous);
    if (current.isValid()) {
        row_ = current.row() + fixedRows_;
        col_ = current.column();
    }
}

// ---- TextBox -----------------------------------------------------------------

namespace {

// Beyond this many characters a layout of the text takes tens of milliseconds.
constexpr qsizetype kLongText = 100000;

// The desktop's blink time, kept while a text box holds the cursor still.
int gFlashTime = -1;

}  // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& text) { steadyCursor(hasFocus() && text.size() > kLongText); });
}

TextBox::~TextBox()
{
    steadyCursor(false);
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    steadyCursor(text().size() > kLongText);
    QLineEdit::focusInEvent(event);
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    steadyCursor(false);
}

void TextBox::steadyCursor(bool steady)
{
    if (steady == steady_)
        return;
    steady_ = steady;
    // The blink time is the application's; only one text box has the focus.
    QStyleHints* hints = QGuiApplication::styleHints();
    if (steady) {
        gFlashTime = hints->cursorFlashTime();
        hints->setCursorFlashTime(0);
    } else if (gFlashTime >= 0) {
        hints->setCursorFlashTime(gFlashTime);
        gFlashTime = -1;
    }
}

QTableWidgetItem* Grid::cell(int row, int col) const
{
    if (row < 0 || row >= rowCount() + fixedRows_ || col < 0 || col >= columnCount())
        Raise(errSubscript);
    if (row < fixedRows_)
        return horizontalHeaderItem(col);
    return item(row - fixedRows_, col);
}

void Grid::setRow(int row)
{
    cell(row, 0);
    row_ = row;
    showCurrentCell();
}

void Grid::setCol(int col)
{
    cell(0, col);
    col_ = col;
    showCurrentCell();
}

// A cell shows at most a line of its text, and laying out a name of
// megabytes at every repaint would hold the window up for seconds: the view
// gets the text's first characters, which show the same, and the cell keeps
// the whole text.
constexpr qsizetype kShownCharacters = 1000;

QString Grid::Text() const
{
    return TextMatrix(row_, col_);
}

void Grid::setText(const QString& text)
{
    QTableWidgetItem* item = cell(row_, col_);
    item->setData(Qt::UserRole, text);
    item->setText(text.size() > kShownCharacters ? text.left(kShownCharacters) : text);
}

QString Grid::TextMatrix(int row, int col) const
{
    const QTableWidgetItem* item = cell(row, col);
    const QVariant whole = item->data(Qt::UserRole);
    return whole.isValid() ? whole.toString() : item->text();
}

bool Grid::CellFontBold() const
{
    return cell(row_, col_)->font().bold();
}

void Grid::setCellFontBold(bool bold)
{
    QTableWidgetItem* it = cell(row_, col_);
    QFont f = font();
    f.setBold(bold);
    it->setFont(f);
}

QColor Grid::CellBackColor() const
{
    const QBrush brush = cell(row_, col_)->background();
    return brush.style() == Qt::NoBrush ? palette().color(QPalette::Base) : brush.color();
}

void Grid::setCellBackColor(const QColor& color)
{
    cell(row_, col_)->setBackground(color);
}

int Grid::ColWidth(int col) const
{
    return columnWidth(col) * kTwipsPerPixel;
}

void Grid::setColWidth(int col, int twips)
{
    setColumnWidth(col, px(twips));
}

// ---- CommonDialog ------------------------------------------------------------

void CommonDialog::ShowSave()
{
    show(true);
}

void CommonDialog::ShowOpen()
{
    show(false);
}

void CommonDialog::show(bool save)
{
    // "Description|pattern|Description|pattern" becomes Qt's filter list.
    const QStringList parts = Filter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i].section(u'(', 0, 0).trimmed(), parts[i + 1]);
    seams::FileDialogCall call;
    call.save = save;
    call.filter = filters.join(QStringLiteral(";;"));
    call.fileName = FileName;
    call.flags = Flags;
    const std::optional<QString> chosen = seams::runFileDialog(call, owner_);
    if (!chosen) {
        if (CancelError)
            Raise(errCancel);
        return;
    }
    FileName = *chosen;
}

// ---- plain controls ----------------------------------------------------------

QLabel* MakeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h, double points, bool bold,
                  Qt::Alignment align)
{
    auto* label = new QLabel(caption, parent);
    QFont f(QStringLiteral("Comic Sans MS"));
    f.setPointSizeF(points);
    f.setBold(bold);
    label->setFont(f);
    label->setAlignment(align);
    label->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    SetTwips(label, l, t, w, h);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                        const std::function<void()>& onClick)
{
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    SetTwips(button, l, t, w, h);
    QObject::connect(button, &QPushButton::clicked, button, [onClick]() { Boundary(onClick); });
    return button;
}

}  // namespace vb
