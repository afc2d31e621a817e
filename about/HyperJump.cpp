#include "HyperJump.h"

#include "Platform.h"

void HyperJump(QString URL)
{
    const QByteArray file = URL.toLatin1();
    vb::ShellExecuteA(nullptr, nullptr, file.constData(), nullptr, nullptr, vb::SW_SHOWNORMAL);
}
