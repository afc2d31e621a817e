#include "TestSeams.h"

#include <QFileInfo>

namespace testing_seams {

QStringList Recorder::messageTexts() const
{
    QStringList out;
    for (const auto& m : messages)
        out << m.prompt;
    return out;
}

Recorder& seams()
{
    static Recorder recorder;
    return recorder;
}

QString RegistryFile()
{
    return QString::fromLocal8Bit(qgetenv("QUORVANE_REGISTRY"));
}

void InstallSeams()
{
    vb::seams::setMsgBox([](const vb::seams::MsgBoxCall& call) {
        seams().messages.push_back(call);
        if ((call.buttons & 7) == vb::vbYesNo) {
            if (seams().answers.empty())
                return static_cast<int>(vb::vbYes);
            const int a = seams().answers.front();
            seams().answers.pop_front();
            return a;
        }
        return static_cast<int>(vb::vbOK);
    });
    vb::seams::setFileDialog([](const vb::seams::FileDialogCall& call) -> std::optional<QString> {
        seams().fileDialogs.push_back(call);
        if (seams().fileChoices.empty())
            return std::nullopt;
        auto choice = seams().fileChoices.front();
        seams().fileChoices.pop_front();
        return choice;
    });
    vb::seams::setHtmlHelp([](const vb::seams::HtmlHelpCall& call) {
        seams().helpCalls.push_back(call);
        return 0L;
    });
    vb::seams::setShellExecute([](const vb::seams::ShellExecuteCall& call) {
        seams().shellCalls.push_back(call);
        return 42L;
    });
    vb::seams::setStartProgram([](const QString& path, int) {
        seams().startedPrograms.push_back(path);
        // The program names Windows-style paths; look at the file they mean.
        return QFileInfo(QString(path).replace(u'\\', u'/')).isFile();
    });
    vb::seams::setEnd([](int status) {
        ++seams().endCalls;
        seams().endStatuses.push_back(status);
    });
}

}  // namespace testing_seams
