// The high-score window: the two modes, the insertion of a new score, Save
// and Clear through the registry store, and the window's commands.
#include "HyperJump.h"
#include "QuorvaneConcentrationModule.h"
#include "StoreHelpers.h"
#include "TestSeams.h"
#include "frmAbout.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

using testing_seams::seams;

namespace {

const QStringList kTens = {"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"};

void SetTable(const QStringList& scores)
{
    for (int r = 1; r <= 10; ++r) {
        frmHighScores->Score(r) = scores.value(r - 1, "99999");
        frmHighScores->Player(r) = scores.isEmpty() ? QString("Anonymous") : QString("P%1").arg(r);
    }
}

void LoadNewEntry(int tries)
{
    frmHighScores->Unload();
    frmQuorvaneConcentration->Tries = tries;
    frmHighScores->EndWithHighScores = true;
    frmHighScores->Load();
}

QStringList GridColumn(int col)
{
    QStringList out;
    for (int r = 1; r <= 10; ++r)
        out << frmHighScores->fgHighScores->TextMatrix(r, col);
    return out;
}

QVariant Stored(const QString& name)
{
    return ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, name);
}

QByteArray StoreText()
{
    QFile f(testing_seams::RegistryFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Shows the window modally; the actions run inside its loop, then it closes.
void RunModal(const std::function<void()>& actions)
{
    QTimer::singleShot(0, [actions]() {
        EXPECT_TRUE(QTest::qWaitForWindowActive(frmHighScores->window()));
        actions();
        frmHighScores->Unload();
    });
    frmHighScores->Show(vb::Form::vbModal);
}

}  // namespace

TEST(HighScoreInsertion, NewScoreGoesBelowEqualScoresAndPushesTheTenthOut)
{
    struct Case {
        int tries;
        int rank;
        QString scores;
    };
    const Case cases[] = {
        {35, 4, "10 20 30 35 40 50 60 70 80 90"},
        {40, 5, "10 20 30 40 40 50 60 70 80 90"},
        {5, 1, "5 10 20 30 40 50 60 70 80 90"},
        {95, 10, "10 20 30 40 50 60 70 80 90 95"},
        {99, 10, "10 20 30 40 50 60 70 80 90 99"},  // numbers compare, not texts
    };
    SetTable(kTens);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tries);
        LoadNewEntry(c.tries);
        EXPECT_EQ(frmHighScores->NewScorePos, c.rank);
        EXPECT_EQ(GridColumn(0).join(' '), c.scores);
        EXPECT_EQ(GridColumn(1).value(c.rank - 1), "");
        if (c.rank < 10) {
            EXPECT_EQ(GridColumn(1).value(c.rank), QString("P%1").arg(c.rank));
        }
        EXPECT_FALSE(GridColumn(1).contains("P10"));
        EXPECT_EQ(frmHighScores->Players(c.rank), "");
        // Until Save the entry lives only in the window.
        EXPECT_EQ(frmHighScores->Score4, "40");
        EXPECT_EQ(frmHighScores->Player10, "P10");
        EXPECT_TRUE(frmHighScores->EndWithHighScores);
    }
}

TEST(HighScoreInsertion, DefaultOutOfOrderAndHandEditedTables)
{
    SetTable({});
    LoadNewEntry(57);
    EXPECT_EQ(GridColumn(0).join(' '), "57 99999 99999 99999 99999 99999 99999 99999 99999 99999");
    EXPECT_EQ(GridColumn(1).mid(0, 2), QStringList({"", "Anonymous"}));

    SetTable({"10", "99999", "20"});
    LoadNewEntry(15);
    EXPECT_EQ(frmHighScores->NewScorePos, 2);
    EXPECT_EQ(GridColumn(0).mid(0, 4), QStringList({"10", "15", "99999", "20"}));

    // A score that is no number ranks like an unfilled one and shows as is.
    QStringList edited = kTens;
    edited[2] = "lots";
    SetTable(edited);
    LoadNewEntry(35);
    EXPECT_EQ(frmHighScores->NewScorePos, 3);
    EXPECT_EQ(GridColumn(0).mid(2, 2), QStringList({"35", "lots"}));
    EXPECT_TRUE(seams().messages.empty());
    EXPECT_EQ(seams().endCalls, 0);
}

TEST(HighScoreInsertion, ScoreThatMakesNoRankOnlyShowsTheTable)
{
    SetTable(QStringList(10, "10"));
    LoadNewEntry(50);
    EXPECT_EQ(frmHighScores->NewScorePos, 0);
    EXPECT_EQ(GridColumn(0), QStringList(10, "10"));
    EXPECT_TRUE(frmHighScores->btnSave->isHidden());
    EXPECT_TRUE(frmHighScores->btnOK->isEnabled());
    EXPECT_EQ(frmHighScores->window()->defaultButton, frmHighScores->btnOK);
    EXPECT_EQ(seams().endCalls, 0);
}

TEST(HighScoreWindow, ViewModeShowsTheTableUnchanged)
{
    SetTable(kTens);
    frmHighScores->Load();
    auto& f = *frmHighScores;
    EXPECT_EQ(GridColumn(0), kTens);
    EXPECT_EQ(GridColumn(1).first(), "P1");
    EXPECT_TRUE(f.lblPlayer->isHidden());
    EXPECT_TRUE(f.txtPlayer->isHidden());
    EXPECT_TRUE(f.btnSave->isHidden());
    EXPECT_TRUE(f.btnClear->isEnabled() && f.btnOK->isEnabled());
    EXPECT_EQ(f.window()->defaultButton, f.btnOK);
    EXPECT_TRUE(f.window()->cancelButton.isNull());
    EXPECT_EQ(f.window()->focusWidget(), f.btnClear);

    auto* grid = f.fgHighScores;
    EXPECT_EQ(grid->TextMatrix(0, 0), "Score");
    EXPECT_EQ(grid->TextMatrix(0, 1), "Player");
    grid->setRow(0);
    EXPECT_TRUE(grid->CellFontBold());
    for (int r = 1; r <= 10; ++r) {
        grid->setRow(r);
        grid->setCol(1);
        EXPECT_EQ(grid->CellBackColor() == QColor(0, 255, 0), r % 2 == 0) << r;
    }
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_NEAR(grid->ColWidth(0), 700, 14);
    EXPECT_NEAR(grid->ColWidth(1), 2500, 14);
    EXPECT_FALSE(f.EndWithHighScores);
    EXPECT_EQ(f.Score1, "10");

    f.Unload();
    store::StoreTable(QStringList(10, "K"), QStringList(10, "7"));  // by another copy
    f.Load();
    EXPECT_EQ(GridColumn(0), QStringList(10, "7"));
}

TEST(HighScoreWindow, TheButtonThatEnterPressesIsTheOneDrawnAsDefault)
{
    SetTable(kTens);
    RunModal([]() {
        auto& f = *frmHighScores;
        const auto framed = [&f]() {
            QStringList out;
            for (QPushButton* b : {f.btnClear, f.btnSave, f.btnOK})
                if (b->isDefault())
                    out << b->text();
            return out.join(' ').toStdString();
        };
        EXPECT_EQ(QApplication::focusWidget(), f.btnClear);
        EXPECT_EQ(framed(), "&Clear");
        EXPECT_TRUE(f.window()->testAttribute(Qt::WA_KeyboardFocusChange)) << "the focus mark shows";
        QTest::keyClick(f.btnClear, Qt::Key_Tab);
        EXPECT_EQ(framed(), "&OK");
        QTest::keyClick(f.btnOK, Qt::Key_Backtab);
        EXPECT_EQ(framed(), "&Clear");
        f.fgHighScores->setFocus();  // no button: the window's default button takes the frame back
        EXPECT_EQ(framed(), "&OK");
        EXPECT_TRUE(f.window()->testAttribute(Qt::WA_KeyboardFocusChange));
        EXPECT_EQ(f.window()->defaultButton, f.btnOK);
        // Enter still presses the focused button, else the default one.
        f.btnClear->setFocus();
        seams().answers.push_back(vb::vbNo);
        QTest::keyClick(f.btnClear, Qt::Key_Return);
        EXPECT_EQ(seams().messageTexts(), QStringList{"Are you sure you want to clear the High Scores?"});
        EXPECT_EQ(framed(), "&Clear");
        f.fgHighScores->setFocus();
        QTest::keyClick(f.fgHighScores, Qt::Key_Return);
        EXPECT_FALSE(f.IsLoaded());
    });
}

TEST(HighScoreWindow, TabAndShiftTabLeaveTheGridInBothModes)
{
    SetTable(kTens);
    frmQuorvaneConcentration->Tries = 35;
    for (bool entering : {false, true}) {
        frmHighScores->EndWithHighScores = entering;
        RunModal([entering]() {
            auto* grid = frmHighScores->fgHighScores;
            QWidget* last = entering ? frmHighScores->btnSave : frmHighScores->btnOK;
            const QList<QWidget*> stops = {last, grid, QApplication::focusWidget(), grid, last};
            for (int i = 0; i < stops.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, i < 3 ? Qt::NoModifier : Qt::ShiftModifier);
                EXPECT_EQ(QApplication::focusWidget(), stops[i]) << entering << i;
                if (stops[i] == grid) {  // the focus mark is on the load's current cell
                    EXPECT_EQ(grid->currentIndex(), grid->model()->index(9, 1));
                }
            }
        });
    }
}

TEST(HighScoreWindow, HeaderAndTenRanksFitTheGridInEveryStyle)
{
    for (const QString& key : QStyleFactory::keys()) {
        QApplication::setStyle(key);
        RunModal([key]() {
            auto* grid = frmHighScores->fgHighScores;
            const QRect rank10 = grid->visualRect(grid->model()->index(9, 1));
            EXPECT_TRUE(grid->viewport()->rect().contains(rank10)) << key.toStdString();
            EXPECT_GE(rank10.height(), grid->fontMetrics().height());  // all rows are as high
            EXPECT_GE(grid->horizontalHeader()->height(), grid->horizontalHeader()->fontMetrics().height());
            EXPECT_TRUE(grid->contentsRect().contains(grid->horizontalHeader()->geometry()));
            EXPECT_FALSE(grid->verticalScrollBar()->isVisible() || grid->horizontalScrollBar()->isVisible());
        });
    }
}

TEST(HighScoreSave, NamesAreShownAsTypedAndStoredByTheStorageRule)
{
    struct Case {
        QString typed;
        QString shown;
        QVariant stored;
    };
    const Case cases[] = {
        {"", "Anonymous", QString("Anonymous")},
        {"   ", "   ", QString("")},
        {"  Ann  ", "  Ann  ", QString("Ann")},
        {"007", "007", QString("007")},  // as the number 7 it would read back as "7"
        {"12345678901", "12345678901", QString("12345678901")},  // too big for 32 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QFile::remove(testing_seams::RegistryFile());  // each name saved into the default table
        SetTable({});
        LoadNewEntry(57);
        frmHighScores->txtPlayer->setText(c.typed);
        frmHighScores->btnSave_Click();
        EXPECT_EQ(frmHighScores->fgHighScores->TextMatrix(1, 1), c.shown);
        EXPECT_EQ(frmHighScores->Players(1), c.shown);
        EXPECT_EQ(frmHighScores->Player1, c.shown);
        EXPECT_EQ(frmHighScores->Score1, "57");
        EXPECT_EQ(Stored("Player1"), c.stored);
        EXPECT_EQ(Stored("Player1").typeId(), c.stored.typeId());  // 7 == "007" as variants
        EXPECT_EQ(Stored("Score1"), QVariant(57));
        EXPECT_EQ(Stored("Score2"), QVariant(99999));
        EXPECT_EQ(Stored("Player2"), QVariant(QString("Anonymous")));
        frmHighScores->Unload();
        frmHighScores->EndWithHighScores = false;
        frmHighScores->Load();  // the table as stored, this copy's names as typed
        EXPECT_EQ(frmHighScores->fgHighScores->TextMatrix(1, 1), c.shown);
    }
    EXPECT_TRUE(StoreText().contains("\"Score1\"=dword:00000039"));
    EXPECT_TRUE(seams().messages.empty());
}

TEST(HighScoreSave, LeavesNameEntryAndEnterThenCloses)
{
    SetTable(kTens);
    frmQuorvaneConcentration->Tries = 35;
    frmHighScores->EndWithHighScores = true;
    RunModal([]() {
        auto& f = *frmHighScores;
        EXPECT_FALSE(f.btnSave->isHidden() || f.txtPlayer->isHidden() || f.lblPlayer->isHidden());
        EXPECT_FALSE(f.btnClear->isEnabled() || f.btnOK->isEnabled());
        EXPECT_EQ(f.window()->defaultButton, f.btnSave);
        EXPECT_EQ(QApplication::focusWidget(), f.txtPlayer);
        QTest::keyClicks(f.txtPlayer, "Zed");
        QTest::keyClick(f.txtPlayer, Qt::Key_Return);  // Save is the default button
        EXPECT_EQ(f.Player4, "Zed");
        EXPECT_FALSE(f.btnSave->isEnabled());
        EXPECT_FALSE(f.btnSave->isHidden());
        EXPECT_TRUE(f.btnClear->isEnabled() && f.btnOK->isEnabled());
        EXPECT_TRUE(f.txtPlayer->text().isEmpty() && f.txtPlayer->isReadOnly());
        EXPECT_EQ(f.window()->defaultButton, f.btnOK);
        EXPECT_EQ(QApplication::focusWidget(), f.btnOK);
        QTest::keyClick(f.window(), Qt::Key_Return);
        EXPECT_FALSE(f.IsLoaded());
    });
    EXPECT_TRUE(frmHighScores->EndWithHighScores);
    EXPECT_EQ(frmHighScores->NewScorePos, 4);
    EXPECT_EQ(Stored("Player4"), QVariant(QString("Zed")));
    EXPECT_EQ(Stored("Score5"), QVariant(40));

    frmHighScores->EndWithHighScores = false;
    frmHighScores->Load();
    EXPECT_EQ(GridColumn(0).join(' '), "10 20 30 35 40 50 60 70 80 90");
    EXPECT_EQ(GridColumn(1).mid(3, 2), QStringList({"Zed", "P4"}));
}

TEST(HighScoreClear, NoChangesNothingYesStoresTheDefaultTable)
{
    SetTable(kTens);
    frmHighScores->Load();
    const QByteArray before = StoreText();
    seams().answers.push_back(vb::vbNo);
    QTest::mouseClick(frmHighScores->btnClear, Qt::LeftButton);
    ASSERT_EQ(seams().messages.size(), 1u);
    EXPECT_EQ(seams().messages[0].prompt, "Are you sure you want to clear the High Scores?");
    EXPECT_EQ(seams().messages[0].buttons, vb::vbYesNo);
    EXPECT_EQ(seams().messages[0].title, "Quorvane Concentration");
    EXPECT_EQ(StoreText(), before);
    EXPECT_EQ(GridColumn(0), kTens);
    EXPECT_EQ(frmHighScores->Player1, "P1");

    seams().answers.push_back(vb::vbYes);
    frmHighScores->mnuClear->action()->trigger();
    EXPECT_EQ(seams().messages.size(), 2u);
    EXPECT_EQ(GridColumn(0), QStringList(10, "99999"));
    EXPECT_EQ(GridColumn(1), QStringList(10, "Anonymous"));
    EXPECT_EQ(frmHighScores->Player10, "Anonymous");
    EXPECT_EQ(frmHighScores->Score10, "99999");
    EXPECT_EQ(frmHighScores->Scores(1), "10");  // the working copy waits for the next load
    EXPECT_EQ(Stored("Player7"), QVariant(QString("Anonymous")));
    EXPECT_EQ(Stored("Score7"), QVariant(99999));
    EXPECT_EQ(frmHighScores->window()->focusWidget(), frmHighScores->btnClear);
}

TEST(HighScoreClear, MenuClearWaitsForSaveInNewEntryMode)
{
    SetTable(kTens);
    LoadNewEntry(35);
    frmHighScores->mnuClear->action()->trigger();
    EXPECT_TRUE(seams().messages.empty());
    frmHighScores->btnSave_Click();
    frmHighScores->mnuClear->action()->trigger();
    EXPECT_EQ(seams().messages.size(), 1u);
    EXPECT_EQ(frmHighScores->Player4, "Anonymous");  // the entry just saved is wiped too
    EXPECT_EQ(frmHighScores->Score4, "99999");
}

TEST(HighScoreStore, FailedWritesAreReportedOnceAndChangeNothing)
{
    QTemporaryDir dir;
    qputenv("QUORVANE_REGISTRY", dir.path().toLocal8Bit());  // a folder: nothing can be written
    SetTable(kTens);
    LoadNewEntry(57);
    frmHighScores->btnSave_Click();
    ASSERT_EQ(seams().messages.size(), 1u);
    EXPECT_EQ(seams().messages[0].prompt, "The high scores could not be saved.");
    EXPECT_EQ(seams().messages[0].buttons, vb::vbOKOnly);
    EXPECT_EQ(seams().messages[0].title, "Quorvane Concentration");
    EXPECT_EQ(frmHighScores->Score6, "60");
    EXPECT_EQ(frmHighScores->fgHighScores->TextMatrix(6, 1), "");

    frmHighScores->btnClear_Click();
    EXPECT_EQ(seams().messageTexts(),
              QStringList({"The high scores could not be saved.", "Are you sure you want to clear the High Scores?",
                           "The high scores could not be saved."}));
    EXPECT_EQ(frmHighScores->Score1, "10");
    EXPECT_EQ(frmHighScores->fgHighScores->TextMatrix(1, 0), "10");
}

TEST(HighScoreStore, ASaveGoesIntoTheTableAsStoredAndOnlyOneThatSucceededChangesTheWindow)
{
    const QStringList names = {"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9", "P10"};
    const QByteArray file = QFile::encodeName(testing_seams::RegistryFile());
    FrmHighScores& f = *frmHighScores;

    // Another copy saved a name of blanks meanwhile: stored as an empty text,
    // it is still a stored table, not a vanished one.
    SetTable(kTens);
    store::StoreTable(names, kTens);
    LoadNewEntry(35);
    store::StoreTable({"P1", "", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9"},
                      {"10", "15", "20", "30", "40", "50", "60", "70", "80", "90"});
    f.txtPlayer->setText("Carol");
    f.btnSave_Click();
    EXPECT_TRUE(seams().messages.empty());
    EXPECT_EQ(Stored("Player2"), QVariant(QString()));
    EXPECT_EQ(Stored("Player5"), QVariant(QString("Carol")));
    EXPECT_EQ(Stored("Score6"), QVariant(40));
    EXPECT_EQ(f.NewScorePos, 5);
    EXPECT_EQ(GridColumn(1).mid(3, 3), QStringList({"P3", "Carol", "P4"}));

    // A Save that fails changes nothing; the retry starts from the store,
    // where the entry no longer ranks, and only shows that table.
    SetTable(kTens);
    store::StoreTable(names, kTens);
    LoadNewEntry(35);
    ASSERT_EQ(chmod(file.constData(), 0444), 0);
    f.txtPlayer->setText("Ann");
    f.btnSave_Click();
    ASSERT_EQ(seams().messageTexts(), QStringList{"The high scores could not be saved."});
    EXPECT_EQ(f.Player4, "P4");
    EXPECT_EQ(f.Players(4), "");
    EXPECT_EQ(f.fgHighScores->TextMatrix(4, 1), "");
    EXPECT_TRUE(f.btnSave->isEnabled());
    ASSERT_EQ(chmod(file.constData(), 0644), 0);
    const QStringList other = {"1", "2", "3", "4", "5", "6", "7", "10", "20", "30"};
    store::StoreTable(names, other);
    const QByteArray stored = StoreText();
    seams().messages.clear();
    f.btnSave_Click();
    EXPECT_TRUE(seams().messages.empty());
    EXPECT_EQ(StoreText(), stored);
    EXPECT_EQ(GridColumn(0), other);
    EXPECT_EQ(GridColumn(1), names);
    EXPECT_EQ(f.Score4, "4");
    EXPECT_FALSE(f.btnSave->isEnabled());
}

TEST(HighScoreStore, ANameTooLongForTheStoreStoresNoValueAndSaveCanBePressedAgain)
{
    QFile::remove(testing_seams::RegistryFile());
    SetTable(kTens);
    LoadNewEntry(35);
    FrmHighScores& f = *frmHighScores;
    f.txtPlayer->setText(QString(10 * 1024 * 1024, u'x'));  // a paste of 10 MiB
    QElapsedTimer took;
    took.start();
    testing::internal::CaptureStderr();
    f.btnSave_Click();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_LT(took.elapsed(), 2000);
    EXPECT_EQ(seams().messageTexts(), QStringList{"The high scores could not be saved."});
    EXPECT_EQ(StoreText(), QByteArray()) << "not one of the twenty values";
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("could not be written: a value of 10485761 bytes"), std::string::npos) << err;

    f.txtPlayer->setText("Ann");
    f.btnSave_Click();
    EXPECT_EQ(Stored("Player4"), QVariant(QString("Ann")));
    EXPECT_EQ(Stored("Player5"), QVariant(QString("P4")));
    EXPECT_EQ(Stored("Score10"), QVariant(90));
}

TEST(HighScoreCommands, HelpWebAndAbout)
{
    SetTable({});
    RunModal([]() {
        auto& f = *frmHighScores;
        QTest::keyClick(f.window(), Qt::Key_F1);
        f.mnuIndex->action()->trigger();
        f.mnuQuorvane->action()->trigger();
        QTimer::singleShot(0, []() {
            EXPECT_TRUE(frmAbout->IsLoaded());
            EXPECT_EQ(frmAbout->window()->parentWidget(), frmHighScores->window());
            frmAbout->Unload();
        });
        f.mnuAbout->action()->trigger();
        EXPECT_TRUE(f.IsLoaded());
    });
    ASSERT_EQ(seams().helpCalls.size(), 2u);
    const auto& topic = seams().helpCalls[0];
    EXPECT_TRUE(topic.ownerIsNull);
    EXPECT_EQ(topic.file, FrmQuorvaneConcentration::HelpFilePath());
    EXPECT_TRUE(topic.file.endsWith("\\Help\\Quorvane Concentration Help.chm"));
    EXPECT_EQ(topic.command, vb::HH_DISPLAY_TOPIC);
    EXPECT_EQ(topic.topic, "High_Scores.htm");
    EXPECT_EQ(seams().helpCalls[1].command, vb::HH_DISPLAY_INDEX);
    EXPECT_EQ(seams().helpCalls[1].number, 0);
    ASSERT_EQ(seams().shellCalls.size(), 1u);
    EXPECT_EQ(seams().shellCalls[0].file, kMakerWebAddress.toLatin1());
    EXPECT_EQ(seams().endCalls, 0);
}

TEST(HighScoreCommands, KeysResizeAndClosing)
{
    SetTable(kTens);
    frmQuorvaneConcentration->Tries = 35;
    frmHighScores->EndWithHighScores = true;
    RunModal([]() {
        auto& f = *frmHighScores;
        QTest::keyClicks(f.txtPlayer, "Gone");
        f.btnSave->setFocus();
        QTest::keyClick(f.window(), Qt::Key_N, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), f.txtPlayer);

        const QRect grid = f.fgHighScores->geometry();
        f.window()->resize(f.window()->size() + QSize(120, 90));
        QCoreApplication::processEvents();
        EXPECT_EQ(f.fgHighScores->geometry(), grid);

        QTest::keyClick(f.window(), Qt::Key_Escape);  // no cancel button
        EXPECT_TRUE(f.IsLoaded());
        QTest::keyClick(f.window(), Qt::Key_F3);
        EXPECT_FALSE(f.IsLoaded());
    });
    // Closed before Save: the entry is gone.
    EXPECT_EQ(frmHighScores->Score4, "40");
    EXPECT_EQ(Stored("Player4"), QVariant(QString()));

    frmHighScores->EndWithHighScores = false;
    RunModal([]() {
        EXPECT_EQ(GridColumn(0), kTens);
        frmHighScores->window()->close();  // the close box does what OK does
        EXPECT_FALSE(frmHighScores->IsLoaded());
    });
    EXPECT_EQ(seams().endCalls, 0);
}
