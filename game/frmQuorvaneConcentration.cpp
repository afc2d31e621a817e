#include "frmQuorvaneConcentration.h"

#include "CardPictures.h"
#include "CodePage.h"
#include "GameRecord.h"
#include "HyperJump.h"
#include "Platform.h"
#include "frmAbout.h"
#include "frmHighScores.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <array>
#include <cerrno>
#include <climits>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kCardBack = 60;
constexpr int kPairs = 27;
const QString kGameFilter = QStringLiteral("Quorvane Concentration Games (*.zdk)|*.zdk");

// Cells: nine columns 1080 twips apart, six rows 1440 twips apart.
constexpr int kCellLeft = 120;
constexpr int kCellTop = 480;
constexpr int kCellWidth = 915;
constexpr int kCellHeight = 1335;

QString describe(const QFile& file)
{
    return file.errorString().isEmpty() ? QStringLiteral("unknown error") : file.errorString();
}

// The name under which a save makes its file. A link to a missing file is
// followed, link by link, to the name at its end, so that the file is made
// there exclusively and a failed save can take away exactly that file while
// the link stays. Any other path (a file, a link to one, a broken folder) is
// its own name, and opening it reports what is wrong.
QString nameToCreate(const QString& chosen)
{
    QByteArray name = QFile::encodeName(chosen);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 || errno != ENOENT)
        return chosen;
    for (int hop = 0; hop < 40; ++hop) {
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::array<char, PATH_MAX> target{};
        const ssize_t n = ::readlink(name.constData(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) == target.size())
            return chosen;
        // A relative target counts from the folder that holds the link.
        const QByteArray next(target.data(), n);
        const qsizetype slash = name.lastIndexOf('/');
        name = next.startsWith('/') || slash < 0 ? next : name.left(slash + 1) + next;
    }
    const QString result = QFile::decodeName(name);
    return QFile::encodeName(result) == name ? result : chosen;
}

}  // namespace

// ---- design ----------------------------------------------------------------

vb::Form::Design FrmQuorvaneConcentration::design() const
{
    Design d;
    d.caption = vb::kProgramTitle;
    d.clientWidth = 9810;
    d.clientHeight = 9510;
    d.border = Sizable;
    return d;
}

void FrmQuorvaneConcentration::CreateControls()
{
    QWidget* parent = client();

    Toolbar1 = new vb::Toolbar(parent);
    vb::SetTwips(Toolbar1, 0, 0, 9810, 420);
    Toolbar1->setButtonSize(345, 330);
    QList<QPixmap> ImageList1;
    for (int i = 1; i <= 5; ++i)
        ImageList1 << vb::MaskedPixmap(quorvane::pictures::toolbarResourcePath(i), vb::VbColor(0xC0C0C0));
    Toolbar1->addButton(QStringLiteral("NewGame"), QStringLiteral("New Game"), ImageList1[0]);
    Toolbar1->addButton(QStringLiteral("OpenGame"), QStringLiteral("Open Game"), ImageList1[1]);
    Toolbar1->addButton(QStringLiteral("SaveGame"), QStringLiteral("Save Game"), ImageList1[2]);
    Toolbar1->addSeparator(QStringLiteral("Help"));
    Toolbar1->addButton(QStringLiteral("HighScores"), QString(), ImageList1[3]);
    Toolbar1->addSeparator(QString());
    Toolbar1->addButton(QStringLiteral("Help"), QString(), ImageList1[4]);
    Toolbar1->onButtonClick = [this](vb::ToolbarButton& b) { Toolbar1_ButtonClick(b); };
    window()->dockTop(Toolbar1);

    for (int i = 0; i <= 53; ++i) {
        auto* cell = new vb::Image(parent);
        cell->setStretch(true);
        vb::SetTwips(cell, kCellLeft + 1080 * (i % 9), kCellTop + 1440 * (i / 9), kCellWidth, kCellHeight);
        cell->onClick = [this, i]() { imgCard_Click(i); };
        imgCard_[static_cast<std::size_t>(i)] = cell;
    }

    StatusBar1 = new vb::StatusBar(parent);
    QFont statusFont(QStringLiteral("Comic Sans MS"));
    statusFont.setPointSizeF(8.25);
    StatusBar1->setFont(statusFont);
    vb::SetTwips(StatusBar1, 0, 9135, 9810, 375);
    StatusBar1->addPanel(QStringLiteral("Tries"), 600, 600, false);
    StatusBar1->addPanel(QString(), 700, 700, false);
    StatusBar1->addPanel(kMakerWebAddress, 4315, 1000, true);
    StatusBar1->addPanel(QStringLiteral("Matches Made"), 1210, 1210, false);
    StatusBar1->addPanel(QString(), 500, 500, false);
    StatusBar1->addPanel(QStringLiteral("Matches Remaining"), 1600, 1600, false);
    StatusBar1->addPanel(QString(), 500, 500, false);
    window()->dockBottom(StatusBar1);

    Timer1 = new vb::Timer(window());
    Timer1->setEnabled(false);
    Timer1->setInterval(750);
    Timer1->onTimer = [this]() { Timer1_Timer(); };

    // The deck is stored in the window's design with the empty-slot picture
    // and no card number, and sits right of the designed client area.
    Deck1 = new DeckSmall(parent);
    vb::PropertyBag storedDeck;
    storedDeck.WriteProperty(QStringLiteral("Picture"), QVariant::fromValue(vb::LoadResPicture(quorvane::pictures::cardResourcePath(55))),
                             QVariant::fromValue(vb::StdPicture()));
    Deck1->LoadFrom(storedDeck);
    vb::SetTwips(Deck1, 10200, 3600, DeckSmall::kWidth, DeckSmall::kHeight);

    cdbSaveGame = std::make_unique<vb::CommonDialog>(window());
    cdbOpenGame = std::make_unique<vb::CommonDialog>(window());

    QMenu* mnuGame = addMenu(QStringLiteral("&Game"));
    mnuNewGame = std::make_unique<vb::MenuItem>(mnuGame, QStringLiteral("&New Game"), QKeySequence(Qt::Key_F2));
    mnuOpenGame = std::make_unique<vb::MenuItem>(mnuGame, QStringLiteral("&Open Game"), QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSaveGame = std::make_unique<vb::MenuItem>(mnuGame, QStringLiteral("&Save Game"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSpacer1 = std::make_unique<vb::MenuItem>(mnuGame, QStringLiteral("-"));
    mnuHighScores = std::make_unique<vb::MenuItem>(mnuGame, QStringLiteral("&High Scores"), QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuSpacer2 = std::make_unique<vb::MenuItem>(mnuGame, QStringLiteral("-"));
    mnuExit = std::make_unique<vb::MenuItem>(mnuGame, QStringLiteral("E&xit"), QKeySequence(Qt::Key_F3));
    QMenu* mnuHelp = addMenu(QStringLiteral("&Help"));
    mnuContents = std::make_unique<vb::MenuItem>(mnuHelp, QStringLiteral("&Contents"), QKeySequence(Qt::Key_F1));
    mnuIndex = std::make_unique<vb::MenuItem>(mnuHelp, QStringLiteral("&Index"));
    mnuQuorvane = std::make_unique<vb::MenuItem>(mnuHelp, QStringLiteral("Quorvane Software on the Web"));
    mnuAbout = std::make_unique<vb::MenuItem>(mnuHelp, QStringLiteral("&About..."));

    mnuNewGame->onClick = [this]() { mnuNewGame_Click(); };
    mnuOpenGame->onClick = [this]() { mnuOpenGame_Click(); };
    mnuSaveGame->onClick = [this]() { mnuSaveGame_Click(); };
    mnuHighScores->onClick = [this]() { mnuHighScores_Click(); };
    mnuExit->onClick = [this]() { mnuExit_Click(); };
    mnuContents->onClick = [this]() { mnuContents_Click(); };
    mnuIndex->onClick = [this]() { mnuIndex_Click(); };
    mnuQuorvane->onClick = [this]() { mnuQuorvane_Click(); };
    mnuAbout->onClick = [this]() { mnuAbout_Click(); };
}

void FrmQuorvaneConcentration::DestroyControls()
{
    Toolbar1 = nullptr;
    imgCard_.fill(nullptr);
    StatusBar1 = nullptr;
    Timer1 = nullptr;
    Deck1 = nullptr;
    cdbSaveGame.reset();
    cdbOpenGame.reset();
    mnuNewGame.reset();
    mnuOpenGame.reset();
    mnuSaveGame.reset();
    mnuSpacer1.reset();
    mnuHighScores.reset();
    mnuSpacer2.reset();
    mnuExit.reset();
    mnuContents.reset();
    mnuIndex.reset();
    mnuQuorvane.reset();
    mnuAbout.reset();
}

vb::Image& FrmQuorvaneConcentration::imgCard(int index)
{
    if (index < 0 || index > 53 || !imgCard_[static_cast<std::size_t>(index)])
        vb::Raise(vb::errSubscript);
    return *imgCard_[static_cast<std::size_t>(index)];
}

void FrmQuorvaneConcentration::Form_Load()
{
    NewGame();
}

void FrmQuorvaneConcentration::Form_Unload(int& cancel)
{
    (void)cancel;
    // Closing the game window ends the program; nothing is asked or saved.
    vb::End();
}

// ---- shared rules ----------------------------------------------------------

void FrmQuorvaneConcentration::setSaveEnabled(bool enabled)
{
    mnuSaveGame->setEnabled(enabled);
    Toolbar1->Buttons(3).setEnabled(enabled);
}

void FrmQuorvaneConcentration::showCard(int index, std::int32_t cardNumber)
{
    Deck1->setChangeCard(cardNumber);
    imgCard(index).setPicture(Deck1->Picture());
}

std::int16_t FrmQuorvaneConcentration::PairValue(std::int16_t cardNumber)
{
    vb::Integer value = cardNumber;
    if (cardNumber >= 27 && cardNumber <= 52)
        value -= 26;
    if (cardNumber == 54)
        value -= 1;
    return value;
}

QByteArray FrmQuorvaneConcentration::HelpFilePath()
{
    return vb::ToAnsi(vb::AppPath() + QStringLiteral("\\Help\\Quorvane Concentration Help.chm"));
}

// ---- the deal --------------------------------------------------------------

void FrmQuorvaneConcentration::NewGame()
{
    for (CardIndex = 1; CardIndex <= 54; ++CardIndex)
        CardUsed(CardIndex) = 0;

    vb::Randomize();
    Deck1->setChangeCard(kCardBack);

    for (CardIndex = 0; CardIndex <= 53; ++CardIndex) {
        imgCard(CardIndex).setVisible(true);
        imgCard(CardIndex).setPicture(Deck1->Picture());
        // r * 53 + 1 is exact in double precision; only the conversion rounds.
        do {
            const double r = vb::Rnd();
            RandomCard = vb::CInt(r * 53.0 + 1.0);
        } while (CardUsed(RandomCard) != 0);
        Cards(CardIndex) = RandomCard;
        CardUsed(RandomCard) = 1;
        imgCard(CardIndex).setStretch(false);
    }

    Tries = 0;
    Matches = 0;
    StatusBar1->Panels(2).setText(vb::CStr(Tries));
    setSaveEnabled(true);

    // A resolution still pending from the previous board is dropped.
    Timer1->setEnabled(false);
    ClickCount = 0;
    CardUp = 0;
    FirstCard = 0;
    SecondCard = 0;

    StatusBar1->Panels(5).setText(QStringLiteral("0"));
    StatusBar1->Panels(7).setText(QStringLiteral("27"));
}

// ---- turns -----------------------------------------------------------------

void FrmQuorvaneConcentration::imgCard_Click(int Index)
{
    ClickCount += 1;
    if (ClickCount > 2)
        return;  // the turn waits for its resolution

    if (CardUp == 0) {
        CardUp = 1;
        FirstCard = Index;
        showCard(Index, Cards(Index));
        setSaveEnabled(false);
        return;
    }

    if (Index == FirstCard) {
        ClickCount -= 1;
        return;
    }

    Timer1->setEnabled(true);
    CardUp = 0;
    SecondCard = Index;
    showCard(Index, Cards(Index));
    // The count stops at the largest score the table can hold.
    if (Tries < 32767)
        Tries += 1;
    StatusBar1->Panels(2).setText(vb::CStr(Tries));
    setSaveEnabled(true);
}

void FrmQuorvaneConcentration::AdjustCards()
{
    FirstValue = PairValue(Cards(FirstCard));
    SecondValue = PairValue(Cards(SecondCard));
}

void FrmQuorvaneConcentration::Timer1_Timer()
{
    AdjustCards();

    if (FirstValue != SecondValue) {
        Deck1->setChangeCard(kCardBack);
        imgCard(FirstCard).setPicture(Deck1->Picture());
        imgCard(SecondCard).setPicture(Deck1->Picture());
    } else {
        imgCard(FirstCard).setVisible(false);
        imgCard(SecondCard).setVisible(false);
        Matches += 1;
        StatusBar1->Panels(5).setText(vb::CStr(Matches));
        StatusBar1->Panels(7).setText(vb::CStr(kPairs - Matches));

        if (Matches == kPairs) {
            vb::MsgBox(QStringLiteral("Game Over!"), vb::vbOKOnly, vb::kProgramTitle);
            setSaveEnabled(false);
            // Ranked against the table as stored now: another running copy
            // may have saved or cleared since this one loaded it.
            frmHighScores->TakeStoredTable();
            if (ScoreValue(frmHighScores->Score10) > static_cast<double>(Tries)) {
                frmHighScores->EndWithHighScores = true;
                frmHighScores->Show(vb::Form::vbModal, this);
            }
            if (!IsLoaded())
                return;
        }
    }

    Timer1->setEnabled(false);
    ClickCount = 0;
}

// ---- commands --------------------------------------------------------------

void FrmQuorvaneConcentration::Toolbar1_ButtonClick(vb::ToolbarButton& Button)
{
    if (Button.Key == QStringLiteral("NewGame"))
        NewGame();
    if (Button.Key == QStringLiteral("OpenGame"))
        OpenGame();
    if (Button.Key == QStringLiteral("SaveGame"))
        SaveGame();
    if (Button.Key == QStringLiteral("HighScores"))
        mnuHighScores_Click();
    if (Button.Key == QStringLiteral("Help"))
        vb::HtmlHelpA(nullptr, HelpFilePath(), vb::HH_DISPLAY_TOC, "Welcome.htm");
}

void FrmQuorvaneConcentration::mnuNewGame_Click()
{
    NewGame();
}

void FrmQuorvaneConcentration::mnuOpenGame_Click()
{
    OpenGame();
}

void FrmQuorvaneConcentration::mnuSaveGame_Click()
{
    SaveGame();
}

void FrmQuorvaneConcentration::mnuHighScores_Click()
{
    frmHighScores->EndWithHighScores = false;
    frmHighScores->Show(vb::Form::vbModal, this);
}

void FrmQuorvaneConcentration::mnuExit_Click()
{
    vb::End();
}

void FrmQuorvaneConcentration::mnuContents_Click()
{
    vb::HtmlHelpA(nullptr, HelpFilePath(), vb::HH_DISPLAY_TOPIC, "Welcome....htm");
}

void FrmQuorvaneConcentration::mnuIndex_Click()
{
    const std::int32_t noKeyword = 0;
    vb::HtmlHelpA(nullptr, HelpFilePath(), vb::HH_DISPLAY_INDEX, &noKeyword);
}

void FrmQuorvaneConcentration::mnuQuorvane_Click()
{
    HyperJump(kMakerWebAddress);
}

void FrmQuorvaneConcentration::mnuAbout_Click()
{
    frmAbout->Show(vb::Form::vbModal, this);
}

// ---- saved games -----------------------------------------------------------

void FrmQuorvaneConcentration::SaveGame()
{
    cdbSaveGame->CancelError = true;
    try {
        cdbSaveGame->Flags = 1026;  // confirm before replacing a file
        cdbSaveGame->Filter = kGameFilter;
        cdbSaveGame->ShowSave();
        SaveFileName = cdbSaveGame->FileName;

        // An existing file keeps whatever lies beyond the record.
        const QString fileName = nameToCreate(SaveFileName);
        QFile file(fileName);
        FileNum = 1;
        QString why;
        bool notRegular = false;
        bool created = false;
        if (!vb::OpenRecordFile(file, true, &why, &notRegular, &created)) {
            vb::MsgBox(QStringLiteral("The game could not be saved to \"%1\": %2.").arg(SaveFileName, why));
            return;
        }
        for (int i = 0; i <= 53; ++i) {
            SavedGame.Cards[static_cast<std::size_t>(i)] = Cards(i);
            SavedGame.CardVisible[static_cast<std::size_t>(i)] = imgCard(i).isHidden() ? 0 : -1;  // the cell's own flag, not the window's
        }
        SavedGame.Tries = Tries;
        SavedGame.Matches = Matches;
        const QByteArray record = SavedGame.encode();
        // Only a record that has reached the disk counts as saved.
        bool written = file.seek(0) && file.write(record) == record.size() && file.flush()
                       && ::fsync(file.handle()) == 0;
        QString reason = describe(file);
        struct stat ours {};
        const bool known = ::fstat(file.handle(), &ours) == 0;
        file.close();
        if (written && file.error() != QFileDevice::NoError) {
            written = false;
            reason = describe(file);
        }
        if (!written) {
            // A file this save made holds no game: it goes, unless its name
            // has meanwhile been given to another file. A file that was
            // there before stays, and so does a link that led to it.
            const QByteArray name = QFile::encodeName(fileName);
            struct stat now {};
            if (created && known && ::lstat(name.constData(), &now) == 0 && now.st_dev == ours.st_dev
                && now.st_ino == ours.st_ino)
                ::unlink(name.constData());
            vb::MsgBox(QStringLiteral("The game could not be saved to \"%1\": %2.").arg(SaveFileName, reason));
        }
    } catch (const vb::RuntimeError&) {
        // Cancel in the dialog: nothing is written and nothing is said.
    }
}

void FrmQuorvaneConcentration::OpenGame()
{
    cdbOpenGame->CancelError = true;
    try {
        cdbOpenGame->Flags = 4096;  // only an existing file
        cdbOpenGame->Filter = kGameFilter;
        cdbOpenGame->ShowOpen();
        OpenFileName = cdbOpenGame->FileName;

        QFile file(OpenFileName);
        FileNum = 1;
        QString why;
        bool notRegular = false;
        if (!vb::OpenRecordFile(file, false, &why, &notRegular)) {
            if (notRegular)  // a pipe, a device or a folder holds no game
                vb::MsgBox(QStringLiteral("\"%1\" is not a valid saved game.").arg(OpenFileName));
            else
                vb::MsgBox(QStringLiteral("The game \"%1\" could not be opened: %2.").arg(OpenFileName, why));
            return;
        }
        const QByteArray bytes = file.read(GameRecord::kSize);
        const bool readFailed = bytes.isNull() && file.error() != QFileDevice::NoError;
        const QString reason = describe(file);
        file.close();
        if (readFailed) {
            vb::MsgBox(QStringLiteral("The game \"%1\" could not be read: %2.").arg(OpenFileName, reason));
            return;
        }

        // The whole record is checked before anything on the board changes.
        GameRecord record;
        if (!ReadSavedGame(bytes, &record)) {
            vb::MsgBox(QStringLiteral("\"%1\" is not a valid saved game.").arg(OpenFileName));
            return;
        }
        SavedGame = record;

        Deck1->setChangeCard(kCardBack);
        for (CardIndex = 0; CardIndex <= 53; ++CardIndex) {
            const auto i = static_cast<std::size_t>(CardIndex.get());
            Cards(CardIndex) = SavedGame.Cards[i];
            imgCard(CardIndex).setPicture(Deck1->Picture());
            imgCard(CardIndex).setVisible(SavedGame.CardVisible[i] != 0);
        }
        Tries = SavedGame.Tries;
        Matches = SavedGame.Matches;
        StatusBar1->Panels(2).setText(vb::CStr(Tries));
        setSaveEnabled(true);
        StatusBar1->Panels(5).setText(vb::CStr(Matches));
        StatusBar1->Panels(7).setText(vb::CStr(kPairs - Matches));

        Timer1->setEnabled(false);
        ClickCount = 0;
        CardUp = 0;
        FirstCard = 0;
        SecondCard = 0;
    } catch (const vb::RuntimeError&) {
        // Cancel in the dialog: the game goes on as it was.
    }
}
