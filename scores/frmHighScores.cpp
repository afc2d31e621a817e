#include "frmHighScores.h"

#include "HyperJump.h"
#include "Platform.h"
#include "QuorvaneConcentrationModule.h"
#include "Registry.h"
#include "frmAbout.h"
#include "frmQuorvaneConcentration.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>

#include <cstdint>
#include <initializer_list>
#include <limits>

namespace {

const QString kDefaultPlayer = QStringLiteral("Anonymous");
const QString kDefaultScore = QStringLiteral("99999");
constexpr std::int32_t kDefaultScoreNumber = 99999;

const QColor kNameBoxGreen(0, 192, 0);  // also the grid's header row
const QColor kStripeGreen(0, 255, 0);
const QColor kGridLineGrey(0xC0, 0xC0, 0xC0);

// The grid's colours: cells in the system's window colour, the area outside
// them in the window's green, light grey lines, a green header row with
// black lines and text in the button text colour.
void PaintGrid(vb::Grid* grid)
{
    const QPalette system = QApplication::palette();
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Base, vb::kWindowGreen);  // shows only outside the cells
    pal.setColor(QPalette::Text, system.color(QPalette::Text));
    pal.setColor(QPalette::Highlight, system.color(QPalette::Highlight));
    pal.setColor(QPalette::HighlightedText, system.color(QPalette::HighlightedText));
    grid->setPalette(pal);
    grid->viewport()->setPalette(pal);
    for (int r = 1; r < grid->rowCount() + grid->fixedRows(); ++r) {
        grid->setRow(r);
        for (int c = 0; c < grid->columnCount(); ++c) {
            grid->setCol(c);
            grid->setCellBackColor(system.color(QPalette::Base));
        }
    }
    grid->setRow(1);
    grid->setCol(0);
    grid->setStyleSheet(QStringLiteral("QTableView { gridline-color: %1; }").arg(kGridLineGrey.name()));
    grid->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView { background-color: %1; }"
                       "QHeaderView::section { background-color: %2; color: %3; padding: 0px 2px;"
                       " border: none; border-right: 1px solid black; border-bottom: 1px solid black; }")
            .arg(vb::kWindowGreen.name(), kNameBoxGreen.name(), system.color(QPalette::ButtonText).name()));
}

// Puts a name and its score into a table at the score's rank: the
// lowest-numbered rank whose score is greater, so below every equal score,
// also in a table out of rank order. The ranks below move down by one and the
// tenth entry drops out. The rank, or 0 when the score makes none (the table
// is then left as it is).
int InsertAtRank(vb::BoundedArray<QString, 1, 10>& players, vb::BoundedArray<QString, 1, 10>& scores,
                 double score, const QString& scoreText, const QString& name)
{
    int found = 0;
    for (int i = 10; i >= 1; --i) {
        if (ScoreValue(scores(i)) > score)
            found = i;
    }
    if (found == 0)
        return 0;
    for (int i = 10; i >= found + 1; --i) {
        scores(i) = scores(i - 1);
        players(i) = players(i - 1);
    }
    scores(found) = scoreText;
    players(found) = name;
    return found;
}

}  // namespace

double ScoreValue(const QString& score)
{
    double value = 0;
    if (vb::TextToNumber(score, &value))
        return value;
    // A hand-edited score that is no number ranks like an unfilled one.
    return std::numeric_limits<double>::infinity();
}

// ---- the table's members -----------------------------------------------------------

QString& FrmHighScores::Player(int rank)
{
    QString* members[] = {&Player1, &Player2, &Player3, &Player4, &Player5,
                          &Player6, &Player7, &Player8, &Player9, &Player10};
    if (rank < 1 || rank > 10)
        vb::Raise(vb::errSubscript);
    return *members[rank - 1];
}

QString& FrmHighScores::Score(int rank)
{
    QString* members[] = {&Score1, &Score2, &Score3, &Score4, &Score5,
                          &Score6, &Score7, &Score8, &Score9, &Score10};
    if (rank < 1 || rank > 10)
        vb::Raise(vb::errSubscript);
    return *members[rank - 1];
}

QString* FrmHighScores::Member(const QString& valueName)
{
    // Registry value names compare without regard to case.
    for (int rank = 1; rank <= 10; ++rank) {
        if (valueName.compare(PlayerValueName(rank), Qt::CaseInsensitive) == 0)
            return &Player(rank);
        if (valueName.compare(ScoreValueName(rank), Qt::CaseInsensitive) == 0)
            return &Score(rank);
    }
    return nullptr;
}

void FrmHighScores::TakeStoredTable()
{
    vb::BoundedArray<QString, 1, 10> players;
    vb::BoundedArray<QString, 1, 10> scores;
    StoredTable(players, scores);
    for (int k = 1; k <= 10; ++k) {
        Player(k) = players(k);
        Score(k) = scores(k);
    }
}

void FrmHighScores::StoredTable(vb::BoundedArray<QString, 1, 10>& players, vb::BoundedArray<QString, 1, 10>& scores)
{
    bool whole = false;
    const QStringList stored = ReadHighScoreTable(&whole);
    bool matched[10] = {};
    for (int k = 1; k <= 10; ++k) {
        players(k) = whole ? stored[k - 1] : Player(k);
        scores(k) = whole ? stored[k + 9] : Score(k);
        if (!whole)
            continue;
        // The store keeps a name without the blanks around it: an entry of
        // this copy's, same score and same name once trimmed, keeps showing
        // the name as the player typed it.
        for (int j = 1; j <= 10; ++j) {
            if (!matched[j - 1] && Score(j) == scores(k) && vb::Trim(Player(j)) == players(k)) {
                matched[j - 1] = true;
                players(k) = Player(j);
                break;
            }
        }
    }
}

// ---- design ----------------------------------------------------------------------

vb::Form::Design FrmHighScores::design() const
{
    Design d;
    d.caption = QStringLiteral("Quorvane Concentration High Scores");
    d.clientWidth = 5205;
    d.clientHeight = 4845;
    d.border = Sizable;
    d.backColor = vb::kWindowGreen;
    return d;
}

void FrmHighScores::CreateControls()
{
    QWidget* area = client();

    lblPlayer = vb::MakeLabel(area, QStringLiteral("&Name:"), 960, 3600, 615, 255);

    txtPlayer = new vb::TextBox(area);
    vb::SetTwips(txtPlayer, 1560, 3600, 2655, 285);
    QPalette namePalette = txtPlayer->palette();
    namePalette.setColor(QPalette::Base, kNameBoxGreen);
    txtPlayer->setPalette(namePalette);
    txtPlayer->setToolTip(QStringLiteral("Enter your name here."));
    lblPlayer->setBuddy(txtPlayer);  // Alt+N

    btnClear = vb::MakeButton(area, QStringLiteral("&Clear"), 960, 4080, 1095, 495, [this]() { btnClear_Click(); });
    btnClear->setToolTip(QStringLiteral("Clear High Scores"));

    btnSave = vb::MakeButton(area, QStringLiteral("&Save"), 2160, 4080, 855, 495, [this]() { btnSave_Click(); });
    btnSave->setToolTip(QStringLiteral("Click to save your name."));
    btnSave->setVisible(false);

    btnOK = vb::MakeButton(area, QStringLiteral("&OK"), 3120, 4080, 1095, 495, [this]() { btnOK_Click(); });
    btnOK->setToolTip(QStringLiteral("Click when finished."));

    fgHighScores = new vb::Grid(area, 11, 2, 1);
    vb::SetTwips(fgHighScores, 960, 360, 3255, 3015);
    fgHighScores->setToolTip(QStringLiteral("High Scores"));
    fgHighScores->setFocusPolicy(Qt::TabFocus);  // in the tab order, last
    PaintGrid(fgHighScores);

    QWidget::setTabOrder(txtPlayer, btnClear);
    QWidget::setTabOrder(btnClear, btnSave);
    QWidget::setTabOrder(btnSave, btnOK);
    QWidget::setTabOrder(btnOK, fgHighScores);

    QMenu* mnuFile = addMenu(QStringLiteral("&File"));
    mnuClear = std::make_unique<vb::MenuItem>(mnuFile, QStringLiteral("&Clear"));
    mnuClear->onClick = [this]() { mnuClear_Click(); };
    mnuSpacer1 = std::make_unique<vb::MenuItem>(mnuFile, QStringLiteral("-"));
    mnuExit = std::make_unique<vb::MenuItem>(mnuFile, QStringLiteral("E&xit"), QKeySequence(Qt::Key_F3));
    mnuExit->onClick = [this]() { mnuExit_Click(); };

    QMenu* mnuHelp = addMenu(QStringLiteral("&Help"));
    mnuContents = std::make_unique<vb::MenuItem>(mnuHelp, QStringLiteral("&Contents"), QKeySequence(Qt::Key_F1));
    mnuContents->onClick = [this]() { mnuContents_Click(); };
    mnuIndex = std::make_unique<vb::MenuItem>(mnuHelp, QStringLiteral("&Index"));
    mnuIndex->onClick = [this]() { mnuIndex_Click(); };
    mnuQuorvane = std::make_unique<vb::MenuItem>(mnuHelp, QStringLiteral("Quorvane Software on the Web"));
    mnuQuorvane->onClick = [this]() { mnuQuorvane_Click(); };
    mnuAbout = std::make_unique<vb::MenuItem>(mnuHelp, QStringLiteral("&About..."));
    mnuAbout->onClick = [this]() { mnuAbout_Click(); };
}

void FrmHighScores::DestroyControls()
{
    lblPlayer = nullptr;
    txtPlayer = nullptr;
    btnClear = nullptr;
    btnSave = nullptr;
    btnOK = nullptr;
    fgHighScores = nullptr;
    for (auto* item : {&mnuClear, &mnuSpacer1, &mnuExit, &mnuContents, &mnuIndex, &mnuQuorvane, &mnuAbout})
        item->reset();
}

// ---- load --------------------------------------------------------------------------

void FrmHighScores::Form_Load()
{
    TakeStoredTable();
    for (int i = 1; i <= 10; ++i)
        Players(i) = Player(i);
    for (int i = 1; i <= 10; ++i)
        Scores(i) = Score(i);

    fgHighScores->setColWidth(0, 700);
    fgHighScores->setColWidth(1, 2500);

    if (EndWithHighScores) {
        btnSave->setVisible(true);
        window()->defaultButton = btnSave;
        btnClear->setEnabled(false);
        btnOK->setEnabled(false);
    } else {
        window()->defaultButton = btnOK;
        lblPlayer->setVisible(false);
        txtPlayer->setVisible(false);
    }

    fgHighScores->setRow(0);
    fgHighScores->setCol(0);
    fgHighScores->setCellFontBold(true);
    fgHighScores->setText(QStringLiteral("Score"));
    fgHighScores->setCol(1);
    fgHighScores->setCellFontBold(true);
    fgHighScores->setText(QStringLiteral("Player"));

    // Even ranks bright green, odd ranks in the cell colour.
    for (int c = 0; c <= 1; ++c) {
        fgHighScores->setCol(c);
        for (int r = 2; r <= 10; r += 2) {
            fgHighScores->setRow(r);
            fgHighScores->setCellBackColor(kStripeGreen);
        }
    }

    bool entering = EndWithHighScores;
    if (entering && !InsertNewEntry()) {
        // The score makes no rank (no opener asks for that): there is
        // nothing to name, so the table is only shown.
        entering = false;
        btnSave->setVisible(false);
        btnClear->setEnabled(true);
        btnOK->setEnabled(true);
        window()->defaultButton = btnOK;
        lblPlayer->setVisible(false);
        txtPlayer->setVisible(false);
    }

    ShowTable(10);

    if (entering)
        txtPlayer->setFocus();
    else
        btnClear->setFocus();
}

bool FrmHighScores::InsertNewEntry()
{
    const int rank = InsertAtRank(Players, Scores, frmQuorvaneConcentration->Tries,
                                  vb::CStr(frmQuorvaneConcentration->Tries), QString());  // named by Save
    if (rank == 0)
        return false;
    NewScorePos = rank;
    return true;
}

void FrmHighScores::ShowTable(int currentRow)
{
    for (int r = 1; r <= 10; ++r) {
        fgHighScores->setRow(r);
        fgHighScores->setCol(0);
        fgHighScores->setText(Scores(r));
        fgHighScores->setCol(1);
        fgHighScores->setText(Players(r));
    }
    fgHighScores->setRow(currentRow);
    fgHighScores->setCol(1);
}

void FrmHighScores::Form_Resize()
{
    // The controls keep their places and sizes.
}

// ---- save and clear ------------------------------------------------------------------

void FrmHighScores::btnSave_Click()
{
    // Only an empty box means no name: blanks are a name and are kept.
    const QString name = txtPlayer->text().isEmpty() ? kDefaultPlayer : txtPlayer->text();
    const QString score = Scores(NewScorePos);

    // The twenty values reach the file together, or none does: a crash or a
    // second copy of the game never sees names moved without their scores.
    ResetRegistryWriteFailure();
    vb::RegistryTransaction together;
    // The entry goes into the table as it is stored now, with whatever
    // another running copy of the game saved since this one read it, names
    // stored empty or edited by hand included: read under the store's lock,
    // or straight from the file when the lock could not be had (the write
    // then fails anyway). Only a table that is not stored whole (the file
    // deleted or moved aside) is this copy's own.
    vb::BoundedArray<QString, 1, 10> players;
    vb::BoundedArray<QString, 1, 10> scores;
    StoredTable(players, scores);
    const int rank = InsertAtRank(players, scores, ScoreValue(score), score, name);
    if (rank != 0) {
        // Every value as text: the scores and a name of digits become numbers.
        QVariantList values;
        for (int k = 1; k <= 10; ++k)
            values << players(k);
        for (int k = 1; k <= 10; ++k)
            values << scores(k);
        WriteHighScoreTable(values);
    }
    // An entry that no longer makes a rank in the stored table needs no write.
    const bool committed = together.Commit() == vb::ERROR_SUCCESS && !LastRegistryWriteFailed();
    if (rank != 0 && !committed) {
        // Nothing changed: name entry goes on with the typed name, and the
        // next Save starts afresh from the store as it is then.
        reportNotSaved();
        txtPlayer->setFocus();
        return;
    }

    for (int k = 1; k <= 10; ++k) {
        Players(k) = players(k);
        Scores(k) = scores(k);
    }
    if (rank != 0)
        NewScorePos = rank;
    for (int k = 1; k <= 10; ++k) {
        Player(k) = Players(k);
        Score(k) = Scores(k);
    }
    ShowTable(rank != 0 ? rank : 10);

    btnClear->setEnabled(true);
    btnOK->setEnabled(true);
    btnSave->setEnabled(false);
    txtPlayer->setText(QString());
    txtPlayer->setReadOnly(true);
    window()->defaultButton = nullptr;
    btnOK->setFocus();
    window()->defaultButton = btnOK;
}

void FrmHighScores::btnClear_Click()
{
    if (vb::MsgBox(QStringLiteral("Are you sure you want to clear the High Scores?"), vb::vbYesNo,
                   vb::kProgramTitle)
        == vb::vbNo)
        return;

    ResetRegistryWriteFailure();
    vb::RegistryTransaction together;
    // The names as text, the scores as numbers.
    QVariantList values;
    for (int k = 1; k <= 10; ++k)
        values << kDefaultPlayer;
    for (int k = 1; k <= 10; ++k)
        values << kDefaultScoreNumber;
    WriteHighScoreTable(values);
    if (together.Commit() != vb::ERROR_SUCCESS || LastRegistryWriteFailed()) {
        reportNotSaved();
        return;
    }

    for (int k = 1; k <= 10; ++k)
        Player(k) = kDefaultPlayer;
    for (int k = 1; k <= 10; ++k)
        Score(k) = kDefaultScore;

    for (int r = 1; r <= 10; ++r) {
        fgHighScores->setRow(r);
        fgHighScores->setCol(0);
        fgHighScores->setText(kDefaultScore);
        fgHighScores->setCol(1);
        fgHighScores->setText(kDefaultPlayer);
    }
}

void FrmHighScores::reportNotSaved()
{
    // Nothing was stored, and the table on screen and in the game is as it
    // was: the player may try again once the store can be written.
    vb::MsgBox(QStringLiteral("The high scores could not be saved."), vb::vbOKOnly, vb::kProgramTitle);
}

// ---- commands --------------------------------------------------------------------------

void FrmHighScores::btnOK_Click()
{
    Unload();
}

void FrmHighScores::mnuClear_Click()
{
    // Same rule as the button: no clearing while a new entry awaits its name.
    if (btnClear && btnClear->isEnabled())
        btnClear_Click();
}

void FrmHighScores::mnuExit_Click()
{
    Unload();
}

void FrmHighScores::mnuContents_Click()
{
    vb::HtmlHelpA(nullptr, FrmQuorvaneConcentration::HelpFilePath(), vb::HH_DISPLAY_TOPIC, "High_Scores.htm");
}

void FrmHighScores::mnuIndex_Click()
{
    const std::int32_t none = 0;
    vb::HtmlHelpA(nullptr, FrmQuorvaneConcentration::HelpFilePath(), vb::HH_DISPLAY_INDEX, &none);
}

void FrmHighScores::mnuQuorvane_Click()
{
    HyperJump(kMakerWebAddress);
}

void FrmHighScores::mnuAbout_Click()
{
    frmAbout->Show(vb::Form::vbModal, this);
}
