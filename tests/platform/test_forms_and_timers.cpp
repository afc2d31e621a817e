#include "Controls.h"
#include "Form.h"
#include "Platform.h"
#include "Runtime.h"
#include "TestSeams.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScreen>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <limits>

using testing_seams::seams;

namespace {

class SampleForm : public vb::Form {
public:
    int loads = 0;
    int clicks = 0;
    QPushButton* btnOK = nullptr;
    QString lastValue = QStringLiteral("design");
    QSize clientPixels{200, 100};

protected:
    Design design() const override
    {
        Design d;
        d.caption = QStringLiteral("Sample");
        d.clientWidth = clientPixels.width() * 15;
        d.clientHeight = clientPixels.height() * 15;
        d.border = FixedDialog;
        return d;
    }
    void CreateControls() override
    {
        btnOK = vb::MakeButton(client(), QStringLiteral("OK"), 150, 150, 900, 375, [this] {
            ++clicks;
            Unload();
        });
        window()->defaultButton = btnOK;
    }
    void DestroyControls() override { btnOK = nullptr; }
    void Form_Load() override { ++loads; }
};

vb::FormInstance<SampleForm> sample;

}  // namespace

TEST(Forms, OneInstanceKeepsItsMembersAcrossLoads)
{
    EXPECT_EQ(&*sample, &*sample);
    EXPECT_FALSE(sample->IsLoaded()) << "using the instance does not load the window";
    sample->Load();
    EXPECT_TRUE(sample->IsLoaded());
    EXPECT_EQ(sample->window()->client()->size(), QSize(200, 100));
    sample->lastValue = QStringLiteral("changed");
    sample->Unload();
    EXPECT_FALSE(sample->IsLoaded());
    EXPECT_EQ(sample->btnOK, nullptr);
    sample->Load();
    EXPECT_EQ(sample->loads, 2) << "every load runs the load handler again";
    EXPECT_EQ(sample->lastValue, QStringLiteral("changed"));
}

TEST(Forms, ModalShowWaitsUntilTheWindowIsUnloaded)
{
    bool sawModal = false;
    QTimer::singleShot(0, [&] {
        sawModal = vb::ModalScope::depth() == 1 && sample->window()->isVisible();
        QTest::keyClick(sample->window(), Qt::Key_Return);  // the default button
    });
    sample->Show(vb::Form::vbModal);
    EXPECT_TRUE(sawModal);
    EXPECT_EQ(sample->clicks, 1);
    EXPECT_FALSE(sample->IsLoaded());
    EXPECT_EQ(vb::ModalScope::depth(), 0);
}

TEST(Forms, OpenCentredFrameIncludedOrFromTheAreasEdgeWhereTheyDoNotFit)
{
    // The offscreen platform frames a window, like a window manager, only
    // once the window is shown.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize sizes[] = {{200, 100}, {area.width() + 40, 100}, {150, area.height() + 40}};
    for (const QSize& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        sample->clientPixels = size;
        sample->Show();
        const QRect frame = sample->window()->frameGeometry();
        ASSERT_NE(frame, sample->window()->geometry());
        const auto start = [](int areaStart, int room, int length) {
            return length > room ? areaStart : areaStart + (room - length) / 2;
        };
        EXPECT_EQ(frame.left(), start(area.left(), area.width(), frame.width()));
        EXPECT_EQ(frame.top(), start(area.top(), area.height(), frame.height()));
        sample->Unload();
    }
    sample->clientPixels = QSize(200, 100);
}

TEST(Timers, TickOncePerIntervalAndHoldTicksWhileAMessageBoxIsOpen)
{
    QObject owner;
    vb::Timer timer(&owner);
    int ticks = 0;
    int ticksDuringMessage = -1;
    timer.onTimer = [&] {
        ++ticks;
        if (ticks == 1) {
            // A message box opened by the tick itself: the timer must not
            // re-enter this handler while it is open.
            vb::seams::setMsgBox([&](const vb::seams::MsgBoxCall&) {
                QElapsedTimer wait;
                wait.start();
                while (wait.elapsed() < 120)
                    QApplication::processEvents(QEventLoop::AllEvents, 10);
                ticksDuringMessage = ticks;
                return static_cast<int>(vb::vbOK);
            });
            vb::MsgBox(QStringLiteral("wait"));
            testing_seams::InstallSeams();
            timer.setEnabled(false);
        }
    };
    timer.setInterval(20);
    timer.setEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, 1000));
    QTest::qWait(100);
    EXPECT_EQ(ticksDuringMessage, 1);
    EXPECT_EQ(ticks, 1) << "a disabled timer does not tick again";
}

TEST(Timers, RealDelayIsCloseToTheInterval)
{
    QObject owner;
    vb::Timer timer(&owner);
    QElapsedTimer clock;
    qint64 elapsed = -1;
    timer.onTimer = [&] {
        elapsed = clock.elapsed();
        timer.setEnabled(false);
    };
    timer.setInterval(750);
    clock.start();
    timer.setEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return elapsed >= 0; }, 2000));
    EXPECT_GE(elapsed, 745);
    EXPECT_LE(elapsed, 900);
}

TEST(Controls, GridCellsAreAddressedThroughTheCurrentCell)
{
    QWidget parent;
    vb::Grid grid(&parent, 11, 2, 1);
    grid.setRow(0);
    grid.setCol(1);
    grid.setText(QStringLiteral("Player"));
    grid.setCellFontBold(true);
    grid.setRow(10);
    grid.setCol(0);
    grid.setText(QStringLiteral("99999"));
    grid.setCellBackColor(QColor(0, 255, 0));
    EXPECT_EQ(grid.TextMatrix(0, 1), QStringLiteral("Player"));
    EXPECT_EQ(grid.TextMatrix(10, 0), QStringLiteral("99999"));
    EXPECT_EQ(grid.CellBackColor(), QColor(0, 255, 0));
    grid.setRow(0);
    grid.setCol(1);
    EXPECT_TRUE(grid.CellFontBold());
    EXPECT_THROW(grid.setRow(11), vb::RuntimeError);
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);

    // A name of megabytes is kept whole but not laid out at every repaint.
    const QString huge(2 * 1024 * 1024, u'n');
    grid.setRow(1);
    grid.setText(huge);
    EXPECT_EQ(grid.TextMatrix(1, 1), huge);
    EXPECT_LT(grid.item(0, 1)->text().size(), 2000);

    // A text wider than its 30-pixel cell looks, as far as its longest
    // start that fits reaches, like that start: one line, no ellipsis.
    grid.resize(200, 200);
    grid.setColWidth(0, 450);
    grid.setCol(0);
    for (const QString& wide : {QStringLiteral("2147483648"), QStringLiteral("A Bcdefghij")}) {
        QString fits = wide;
        while (grid.fontMetrics().horizontalAdvance(fits) > 30 - 8)
            fits.chop(1);
        const QRect r = grid.visualRect(grid.model()->index(0, 0)).adjusted(0, 0, grid.fontMetrics().horizontalAdvance(fits) - 30, 0);
        const auto shot = [&](const QString& text) { grid.setText(text); return grid.viewport()->grab(r).toImage(); };
        EXPECT_TRUE(shot(wide) == shot(fits)) << fits.toStdString();
    }
}

TEST(MessageBoxes, AreWideEnoughForTheirCaptionBesideAnIconAndThreeButtons)
{
    vb::seams::setMsgBox(nullptr);  // the real box
    QTimer::singleShot(0, []() {
        QWidget* box = QApplication::activeModalWidget();
        QFont bold = box->font();
        bold.setBold(true);
        EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 4 * 16);
        QTest::keyClick(box, Qt::Key_Return);
    });
    vb::MsgBox(QStringLiteral("Game Over!"), vb::vbOKOnly, QStringLiteral("Quorvane Concentration"));
    testing_seams::InstallSeams();
}

TEST(Controls, ATextBoxHoldingMegabytesKeepsItsCursorStillWhileFocused)
{
    const int blink = QGuiApplication::styleHints()->cursorFlashTime();
    ASSERT_GT(blink, 0);
    QWidget window;
    auto* box = new vb::TextBox(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box->setFocus();
    box->setText(QString(1024 * 1024, u'x'));
    EXPECT_EQ(box->maxLength(), std::numeric_limits<int>::max());
    EXPECT_EQ(QGuiApplication::styleHints()->cursorFlashTime(), 0) << "each blink would lay out a megabyte";
    box->setText(QStringLiteral("Ann"));
    EXPECT_EQ(QGuiApplication::styleHints()->cursorFlashTime(), blink);
}

TEST(Controls, CancelInAFileDialogRaisesTheCancelErrorOnlyWhenAskedTo)
{
    vb::CommonDialog dialog(nullptr);
    dialog.Filter = QStringLiteral("Quorvane Concentration Games (*.zdk)|*.zdk");
    dialog.ShowOpen();  // Cancel, no error asked for
    EXPECT_TRUE(dialog.FileName.isEmpty());
    dialog.CancelError = true;
    try {
        dialog.ShowSave();
        FAIL() << "Cancel must raise";
    } catch (const vb::RuntimeError& e) {
        EXPECT_EQ(e.number, vb::errCancel);
        EXPECT_EQ(e.description, QStringLiteral("Cancel was selected."));
    }
    seams().fileChoices.push_back(QStringLiteral("/tmp/game.zdk"));
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName, QStringLiteral("/tmp/game.zdk"));
    ASSERT_EQ(seams().fileDialogs.size(), 3u);
    EXPECT_EQ(seams().fileDialogs[2].filter, QStringLiteral("Quorvane Concentration Games (*.zdk)"));
    EXPECT_TRUE(seams().fileDialogs[2].save);
}
