#include "HyperJump.h"

#include "CodePage.h"
#include "Platform.h"

void HyperJump(QString URL)
{
    const QByteArray file = vb::ToAnsi(URL);
    vb::ShellExecuteA(nullptr, nullptr, file.constData(), nullptr, nullptr, vb::SW_SHOWNORMAL);
}
