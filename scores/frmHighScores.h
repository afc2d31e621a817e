// The high-score window and the high-score table it carries for the whole
// run: ten names and scores held as text, rank 1 the best (lowest) score.
#pragma once

#include "Controls.h"
#include "Form.h"
#include "Runtime.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

class FrmHighScores : public vb::Form {
public:
    // ---- the high-score table ----
    QString Player1, Player2, Player3, Player4, Player5, Player6, Player7, Player8, Player9, Player10;
    QString Score1, Score2, Score3, Score4, Score5, Score6, Score7, Score8, Score9, Score10;
    bool EndWithHighScores = false;  // True: the next load inserts a new entry

    // The table takes the one as stored when all twenty values are stored,
    // whatever another running copy of the game saved or cleared; otherwise
    // it stays as this copy holds it. The game calls it before it ranks a
    // finished game, and every load of the window before it shows the table.
    void TakeStoredTable();

    // The members by rank (1..10) and by registry value name.
    QString& Player(int rank);
    QString& Score(int rank);
    QString* Member(const QString& valueName);

    // ---- event handlers ----
    void btnSave_Click();
    void btnClear_Click();
    void btnOK_Click();
    void mnuClear_Click();
    void mnuExit_Click();
    void mnuContents_Click();
    void mnuIndex_Click();
    void mnuQuorvane_Click();
    void mnuAbout_Click();

    // ---- controls (valid while the window is loaded) ----
    QLabel* lblPlayer = nullptr;
    vb::TextBox* txtPlayer = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnOK = nullptr;
    vb::Grid* fgHighScores = nullptr;
    std::unique_ptr<vb::MenuItem> mnuClear, mnuSpacer1, mnuExit, mnuContents, mnuIndex, mnuQuorvane, mnuAbout;

    // ---- the working copy ----
    vb::BoundedArray<QString, 1, 10> Players;
    vb::BoundedArray<QString, 1, 10> Scores;
    vb::Integer NewScorePos;

protected:
    Design design() const override;
    void CreateControls() override;
    void DestroyControls() override;
    void Form_Load() override;
    void Form_Resize() override;

private:
    // The table that TakeStoredTable takes, into players and scores.
    void StoredTable(vb::BoundedArray<QString, 1, 10>& players, vb::BoundedArray<QString, 1, 10>& scores);
    // Puts the new score at its rank in the working copy; false when it
    // makes no rank.
    bool InsertNewEntry();
    // Shows the working copy's ten rows; the current cell ends on the name
    // of the given row.
    void ShowTable(int currentRow);
    void reportNotSaved();
};

inline vb::FormInstance<FrmHighScores> frmHighScores;

// A stored score read as a number. A text that is no number (a store edited
// by hand) counts as greater than any number of tries, like an unfilled rank.
double ScoreValue(const QString& score);
