#include "GameFixture.h"
#include "GameRecord.h"
#include "HyperJump.h"
#include "StoreHelpers.h"
#include "frmAbout.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

using testing_seams::seams;

namespace {

// Plays every pair but the jokers.
void playAllButOnePair(GameWindowTest* t, const std::function<void(int)>& playPair)
{
    (void)t;
    for (int v = 1; v <= 26; ++v)
        playPair(v);
}

}  // namespace

// Stands in for the desktop's viewer: takes the local files it is asked to
// open.
class FileViewer : public QObject {
    Q_OBJECT
public:
    FileViewer() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~FileViewer() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class GameOver : public GameWindowTest {
protected:
    void playToTheLastPair()
    {
        playAllButOnePair(this, [this](int v) { playPair(v); });
    }
    // The last pair with a given try count.
    void finishWith(int tries)
    {
        g.Tries = static_cast<std::int16_t>(tries - 1);
        playPair(53);
    }
};

TEST_F(GameOver, TheTwentySixthPairShowsNoMessage)
{
    playToTheLastPair();
    EXPECT_EQ(panel(5), QStringLiteral("26"));
    EXPECT_EQ(panel(7), QStringLiteral("1"));
    EXPECT_TRUE(seams().messages.empty());
}

TEST_F(GameOver, AQualifyingScoreOpensTheHighScoreWindowOnceInNewEntryMode)
{
    frmHighScores->Score10 = QStringLiteral("40");  // loaded before another copy cleared the table
    store::StoreTable(QStringList(10, "Anonymous"), QStringList(10, "99999"));
    playToTheLastPair();
    bool opened = false;
    bool newEntry = false;
    QString panelsSeen;
    bool saveSeen = true;
    int timerTicksInside = 0;
    whenModal([&] {
        opened = frmHighScores->IsLoaded();
        newEntry = frmHighScores->EndWithHighScores;
        panelsSeen = panel(5) + "/" + panel(7);
        saveSeen = saveEnabled() || saveButtonEnabled();
        QTest::qWait(900);  // long past the delay: no second tick
        timerTicksInside = g.Matches;
        frmHighScores->Unload();
    });
    finishWith(45);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(newEntry);
    EXPECT_EQ(panelsSeen, QStringLiteral("27/0"));
    EXPECT_FALSE(saveSeen);
    EXPECT_EQ(timerTicksInside, 27);
    EXPECT_EQ(seams().messageTexts(), QStringList{QStringLiteral("Game Over!")});
    EXPECT_FALSE(g.Timer1->Enabled());
    EXPECT_EQ(g.ClickCount, 0);
    QTest::qWait(50);
    EXPECT_FALSE(frmHighScores->IsLoaded());
}

TEST_F(GameOver, EqualOrBetterTableScoresDoNotQualify)
{
    // The new-entry flag is left as the last visit to the table set it.
    const std::pair<const char*, bool> cases[] = {{"45", false}, {"44", true}};
    for (const auto& [score10, newEntry] : cases) {
        SCOPED_TRACE(score10);
        g.NewGame();
        seams().messages.clear();
        store::StoreTable(QStringList(10, "K"), QStringList(10, score10));  // whatever this copy loaded
        frmHighScores->EndWithHighScores = newEntry;
        playToTheLastPair();
        bool shown = false;
        whenModal([&] {
            shown = frmHighScores->IsLoaded();
            if (shown)
                frmHighScores->Unload();
        });
        finishWith(45);
        QApplication::processEvents();
        EXPECT_FALSE(shown);
        EXPECT_EQ(seams().messageTexts(), QStringList{QStringLiteral("Game Over!")});
        EXPECT_FALSE(frmHighScores->IsLoaded());
        EXPECT_EQ(frmHighScores->EndWithHighScores, newEntry);
        EXPECT_FALSE(saveEnabled());
        EXPECT_FALSE(saveButtonEnabled());
        EXPECT_EQ(panel(5), QStringLiteral("27"));
        EXPECT_EQ(panel(7), QStringLiteral("0"));
    }
}

TEST_F(GameOver, ScoresCompareAsNumbersAndATextThatIsNoNumberQualifies)
{
    frmHighScores->Score10 = QStringLiteral("100");
    playToTheLastPair();
    bool opened = false;
    whenModal([&] {
        opened = frmHighScores->IsLoaded();
        frmHighScores->Unload();
    });
    finishWith(99);
    EXPECT_TRUE(opened) << "99 beats 100 although \"99\" sorts after \"100\"";

    g.NewGame();
    frmHighScores->Score10 = QStringLiteral("lots");
    playToTheLastPair();
    opened = false;
    whenModal([&] {
        opened = frmHighScores->IsLoaded();
        frmHighScores->Unload();
    });
    finishWith(30);
    EXPECT_TRUE(opened);
    EXPECT_EQ(seams().endCalls, 0) << "the finished game is not lost";
}

TEST_F(GameWindowTest, MenuShortcutsAndToolbarButtonsReachTheirCommands)
{
    (void)QTest::qWaitForWindowActive(g.window());
    key(Qt::Key_F1);
    g.Toolbar1->Buttons(7).widget->click();
    g.mnuIndex->action()->trigger();
    ASSERT_EQ(seams().helpCalls.size(), 3u);
    const QByteArray helpFile = (vb::AppPath() + "\\Help\\Quorvane Concentration Help.chm").toUtf8();
    EXPECT_EQ(seams().helpCalls[0].command, vb::HH_DISPLAY_TOPIC);
    EXPECT_EQ(seams().helpCalls[0].topic, QByteArray("Welcome....htm"));
    EXPECT_EQ(seams().helpCalls[0].file, helpFile);
    EXPECT_TRUE(seams().helpCalls[0].ownerIsNull);
    EXPECT_EQ(seams().helpCalls[1].command, vb::HH_DISPLAY_TOC);
    EXPECT_EQ(seams().helpCalls[1].topic, QByteArray("Welcome.htm"));
    EXPECT_EQ(seams().helpCalls[2].command, vb::HH_DISPLAY_INDEX);
    EXPECT_EQ(seams().helpCalls[2].number, 0);

    g.mnuQuorvane->action()->trigger();
    ASSERT_EQ(seams().shellCalls.size(), 1u);
    EXPECT_EQ(seams().shellCalls[0].file, kMakerWebAddress.toUtf8());
    EXPECT_EQ(g.StatusBar1->Panels(3).text(), kMakerWebAddress);

    key(Qt::Key_O, Qt::ControlModifier);
    g.Toolbar1->Buttons(2).widget->click();
    ASSERT_EQ(seams().fileDialogs.size(), 2u);
    EXPECT_FALSE(seams().fileDialogs[0].save);

    click(0);  // first card up: Save does nothing
    key(Qt::Key_S, Qt::ControlModifier);
    g.Toolbar1->Buttons(3).widget->click();
    EXPECT_EQ(seams().fileDialogs.size(), 2u);
    click(1);
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(seams().fileDialogs.size(), 3u);
    EXPECT_TRUE(seams().fileDialogs[2].save);

    // A key that matches no command runs nothing.
    vb::ToolbarButton stray;
    stray.Key = QStringLiteral("newgame");
    g.Toolbar1_ButtonClick(stray);
    EXPECT_EQ(g.Tries, 1);

    key(Qt::Key_F2);
    EXPECT_EQ(g.Tries, 0);
    EXPECT_FALSE(g.Timer1->Enabled());
}

TEST_F(GameWindowTest, HighScoresOpenInViewModeFromMenuAndToolbar)
{
    (void)QTest::qWaitForWindowActive(g.window());
    frmHighScores->EndWithHighScores = true;
    int opened = 0;
    whenModal([&] {
        opened += frmHighScores->IsLoaded() && !frmHighScores->EndWithHighScores ? 1 : 0;
        const QWindow* w = frmHighScores->window()->windowHandle();  // what the window manager sees
        EXPECT_TRUE(w->type() == Qt::Dialog && w->transientParent() == g.window()->windowHandle()
                    && (w->flags() & Qt::WindowMaximizeButtonHint));
        frmHighScores->Unload();
    });
    key(Qt::Key_H, Qt::ControlModifier);
    frmHighScores->EndWithHighScores = true;
    whenModal([&] {
        opened += frmHighScores->IsLoaded() && !frmHighScores->EndWithHighScores ? 1 : 0;
        frmHighScores->Unload();
    });
    g.Toolbar1->Buttons(5).widget->click();
    EXPECT_EQ(opened, 2);
}

TEST_F(GameWindowTest, AboutBoxIsOwnedByTheGameWindow)
{
    QWidget* owner = nullptr;
    whenModal([&] {
        owner = frmAbout->window() ? frmAbout->window()->parentWidget() : nullptr;
        frmAbout->Unload();
    });
    g.mnuAbout->action()->trigger();
    EXPECT_EQ(owner, g.window());
    EXPECT_TRUE(g.IsLoaded());
}

TEST_F(GameWindowTest, ExitAndTheCloseBoxEndTheProgramWithoutAQuestion)
{
    click(0);
    click(1);  // a resolution is pending
    (void)QTest::qWaitForWindowActive(g.window());
    key(Qt::Key_F3);
    EXPECT_EQ(seams().endCalls, 1);
    g.window()->close();
    EXPECT_EQ(seams().endCalls, 2);
    EXPECT_TRUE(seams().messages.empty());
}

TEST(HelpFile, TheProgramFolderReachesTheViewerAsItIsNamed)
{
    const auto restore = qScopeGuard([] {
        vb::seams::setAppPath({});
        testing_seams::InstallSeams();
    });
    vb::seams::setAppPath([] { return QStringLiteral("C:\\"); });
    EXPECT_EQ(FrmQuorvaneConcentration::HelpFilePath(), QByteArray("C:\\\\Help\\Quorvane Concentration Help.chm"))
        << "a trailing separator of the program folder is kept";

    // A program folder beyond Latin-1: the path crosses in UTF-8, and the
    // real help function finds the file by it and hands it to the viewer.
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Zo\u00EB/\u5E2E\u52A9"));
    const QString chm = program + QStringLiteral("/Help/Quorvane Concentration Help.chm");
    ASSERT_TRUE(QDir().mkpath(program + QStringLiteral("/Help")));
    {
        QFile f(chm);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    vb::seams::setAppPath([program] { return program; });
    EXPECT_EQ(FrmQuorvaneConcentration::HelpFilePath(),
              (program + QStringLiteral("\\Help\\Quorvane Concentration Help.chm")).toUtf8());
    vb::seams::setHtmlHelp(nullptr);
    FileViewer viewer;
    EXPECT_EQ(vb::HtmlHelpA(nullptr, FrmQuorvaneConcentration::HelpFilePath(), vb::HH_DISPLAY_TOPIC, "Welcome....htm"), 1);
    EXPECT_EQ(viewer.opened, QList<QUrl>{QUrl::fromLocalFile(chm)});
}

TEST_F(GameOver, ATickDueWhileAWindowIsOpenWaitsUntilItCloses)
{
    // A pending turn while the About box is open: nothing is resolved
    // behind it; the turn is settled once the box has closed.
    const int a = cellOf(8);
    const int b = cellOf(34);
    click(a);
    click(b);
    bool resolvedInside = true;
    whenModal([&] {
        QTest::qWait(900);
        resolvedInside = !g.imgCard(a).isVisible();
        frmAbout->Unload();
    });
    g.mnuAbout->action()->trigger();
    EXPECT_FALSE(resolvedInside);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !g.imgCard(a).isVisible(); }, 1000));

    // The last pair pending while the table is open in view mode: the
    // new-entry visit comes only after the view has closed.
    frmHighScores->Score10 = QStringLiteral("99999");
    for (int v = 1; v <= 26; ++v)
        if (v != 8)
            playPair(v);
    click(cellOf(53));
    click(cellOf(54));
    std::vector<bool> modes;
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (frmHighScores->IsLoaded() && frmHighScores->window()->isVisible()) {
            modes.push_back(frmHighScores->EndWithHighScores);
            if (!frmHighScores->EndWithHighScores)
                QTest::qWait(900);
            frmHighScores->Unload();
        }
    });
    watcher.start();
    g.mnuHighScores->action()->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return modes.size() == 2; }, 3000));
    EXPECT_EQ(modes, (std::vector<bool>{false, true}));
    EXPECT_EQ(g.Matches, 27);
}

TEST_F(GameWindowTest, ATickDueWhileTheOpenDialogIsUpWaitsForItsAnswer)
{
    // A fifth of every interval: the turn falls due well inside the dialog.
    vb::seams::setTimerScale(0.2);
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("ordered.zdk"));
    GameRecord record;
    for (int i = 0; i <= 53; ++i) {
        record.Cards[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i + 1);
        record.CardVisible[static_cast<std::size_t>(i)] = -1;
    }
    record.Tries = 7;
    {
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(record.encode());
    }

    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "Cancel" : "a saved game");
        g.NewGame();
        const int a = cellOf(5);
        const int b = cellOf(44);  // 5 and 18: no pair
        click(a);
        click(b);
        ASSERT_TRUE(g.Timer1->Enabled());

        bool heldInside = false;
        bool faceUpInside = false;
        vb::seams::setFileDialog([&](const vb::seams::FileDialogCall&) -> std::optional<QString> {
            QTest::qWait(1000);  // over six times the scaled 750 ms
            heldInside = g.Timer1->Enabled() && !g.Timer1->isRunning();
            faceUpInside = g.imgCard(a).Picture() == face(g.Cards(a)) && g.imgCard(b).Picture() == face(g.Cards(b));
            if (cancel)
                return std::nullopt;
            return saved;
        });
        g.mnuOpenGame->action()->trigger();
        EXPECT_TRUE(heldInside) << "the tick fell due while the dialog was up";
        EXPECT_TRUE(faceUpInside);

        if (cancel) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return g.imgCard(a).Picture() == back(); }, 5000));
            EXPECT_EQ(g.imgCard(b).Picture(), back());
            EXPECT_TRUE(g.imgCard(a).isVisible());
            EXPECT_EQ(g.ClickCount, 0);
            EXPECT_EQ(g.Tries, 1);
            EXPECT_FALSE(g.Timer1->Enabled());
        } else {
            // The opened board stays as it was read: the old turn is gone.
            QTest::qWait(1000);
            for (int i = 0; i <= 53; ++i) {
                ASSERT_EQ(g.Cards(i), i + 1);
                ASSERT_TRUE(g.imgCard(i).isVisible()) << i;
                ASSERT_EQ(g.imgCard(i).Picture(), back()) << i;
            }
            EXPECT_EQ(g.Tries, 7);
            EXPECT_EQ(panel(2), QStringLiteral("7"));
            EXPECT_EQ(g.Matches, 0);
            EXPECT_EQ(panel(5), QStringLiteral("0"));
            EXPECT_EQ(g.ClickCount, 0);
            EXPECT_FALSE(g.Timer1->Enabled());
        }
        EXPECT_TRUE(seams().messages.empty());
    }
    testing_seams::InstallSeams();
    vb::seams::setTimerScale(1.0);
}

#include "test_commands_and_game_over.moc"
