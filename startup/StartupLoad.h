// Fills the high-score table from the registry once at start-up.
#pragma once

// Reads Player1..Player10 then Score1..Score10 into the members of the same
// names of frmHighScores, without loading that window. A value that reads as
// empty (missing, empty text, or a type the table never holds) gets its
// default stored in the registry and in the member.
void LoadHighScoreTable();
