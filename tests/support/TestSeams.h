// What a test controls: message boxes (scripted answers and a record of what
// was shown), file dialogs, the date, the random source, End, help and shell.
#pragma once

#include "Platform.h"

#include <QDate>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace testing_seams {

struct Recorder {
    std::vector<vb::seams::MsgBoxCall> messages;
    std::deque<int> answers;  // next answers to Yes/No questions; vbYes when empty
    std::deque<std::optional<QString>> fileChoices;  // next file dialog results; Cancel when empty
    std::vector<vb::seams::FileDialogCall> fileDialogs;
    std::vector<vb::seams::HtmlHelpCall> helpCalls;
    std::vector<vb::seams::ShellExecuteCall> shellCalls;
    std::vector<QString> startedPrograms;
    int endCalls = 0;
    std::vector<int> endStatuses;  // the exit status of each End, in order
    QStringList messageTexts() const;
};

// The recorder that the test seams write to; reset for every test.
Recorder& seams();

// Installs every seam; called by the test main and by Reset().
void InstallSeams();

// The registry store file this test process uses.
QString RegistryFile();

}  // namespace testing_seams
