// The game window: the 9 x 6 board, the turns, the counters in the status
// bar, the Game and Help menus, the toolbar and the saved games.
#pragma once

#include "Controls.h"
#include "DeckSmall.h"
#include "Form.h"
#include "Runtime.h"

#include <array>
#include <memory>

class FrmQuorvaneConcentration : public vb::Form {
public:
    // ---- public members other windows use ----
    vb::Integer Tries;  // turns taken in the current game: the score

    void NewGame();
    void AdjustCards();
    void OpenGame();

    // ---- event handlers ----
    void imgCard_Click(int Index);
    void Timer1_Timer();
    void Toolbar1_ButtonClick(vb::ToolbarButton& Button);
    void mnuNewGame_Click();
    void mnuOpenGame_Click();
    void mnuSaveGame_Click();
    void mnuHighScores_Click();
    void mnuExit_Click();
    void mnuContents_Click();
    void mnuIndex_Click();
    void mnuQuorvane_Click();
    void mnuAbout_Click();

    // ---- controls (valid while the window is loaded) ----
    vb::Toolbar* Toolbar1 = nullptr;
    vb::Image& imgCard(int index);
    vb::StatusBar* StatusBar1 = nullptr;
    vb::Timer* Timer1 = nullptr;
    DeckSmall* Deck1 = nullptr;
    std::unique_ptr<vb::CommonDialog> cdbSaveGame;
    std::unique_ptr<vb::CommonDialog> cdbOpenGame;
    std::unique_ptr<vb::MenuItem> mnuNewGame, mnuOpenGame, mnuSaveGame, mnuSpacer1, mnuHighScores, mnuSpacer2,
        mnuExit, mnuContents, mnuIndex, mnuQuorvane, mnuAbout;

    // ---- state of the game ----
    vb::BoundedArray<vb::Integer, 0, 53> Cards;    // card number at each cell
    vb::BoundedArray<vb::Integer, 1, 54> CardUsed;  // 1 = card number dealt
    vb::Integer CardIndex;
    vb::Integer RandomCard;
    vb::Integer CardUp;       // 1 while the first card of a turn is up
    vb::Integer FirstCard;
    vb::Integer SecondCard;
    vb::Integer FirstValue;
    vb::Integer SecondValue;
    vb::Integer ClickCount;
    vb::Integer Matches;
    vb::Integer FileNum;
    QString SaveFileName;
    QString OpenFileName;

    // The help file, as the program's folder reports it, then the file.
    static QByteArray HelpFilePath();

    // The pair value of a card number.
    static std::int16_t PairValue(std::int16_t cardNumber);

protected:
    Design design() const override;
    void CreateControls() override;
    void DestroyControls() override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void SaveGame();
    void setSaveEnabled(bool enabled);
    void showCard(int index, std::int32_t cardNumber);
    std::array<vb::Image*, 54> imgCard_{};
};

inline vb::FormInstance<FrmQuorvaneConcentration> frmQuorvaneConcentration;
