#include "frmAbout.h"

#include "CardPictures.h"
#include "CodePage.h"
#include "Copyright.h"
#include "Picture.h"
#include "Platform.h"
#include "Registry.h"
#include "Runtime.h"

#include <QByteArray>
#include <QPalette>

namespace {

// READ_CONTROL with the six basic key rights: more than a read needs, but
// the store grants it.
constexpr std::uint32_t kKeyAccess = 0x2003F;
constexpr std::uint32_t kValueBufferSize = 1024;

const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kSysInfoValue = QStringLiteral("PATH");
const QString kSysInfoLocKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kSysInfoLocValue = QStringLiteral("MSINFO");
const QString kSysInfoProgram = QStringLiteral("\\MSINFO32.EXE");

const QString kDisclaimer = QStringLiteral(
    "Warning: Quorvane Concentration is protected by copyright law. Copying or handing on this "
    "program, in whole or in part, without the written consent of Quorvane Software is not "
    "permitted and may be pursued under civil and criminal law. All rights reserved.");

void SetTextColor(QLabel* label, const QColor& color)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

// Closes the key however the lookup ends, a raised error included.
class KeyCloser {
public:
    explicit KeyCloser(const vb::HKEY& key) : key_(key) {}
    ~KeyCloser() { vb::RegCloseKey(key_); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    const vb::HKEY& key_;
};

}  // namespace

FrmAbout::Design FrmAbout::design() const
{
    Design d;
    d.caption = QStringLiteral("About Quorvane Concentration");
    d.clientWidth = 7200;
    d.clientHeight = 4875;
    d.border = FixedDialog;
    d.minButton = false;
    d.maxButton = false;
    d.showInTaskbar = false;
    d.keyPreview = false;
    d.backColor = vb::VbColor(0x008000);
    return d;
}

void FrmAbout::CreateControls()
{
    QWidget* c = client();
    const QColor black = vb::VbColor(0x000000);

    Image1 = new vb::Image(c);
    vb::SetTwips(Image1, 120, 120, 3060, 3555);
    Image1->setStretch(true);
    Image1->setBorder(true);
    Image1->setPicture(vb::LoadResPicture(quorvane::pictures::logoResourcePath()));

    lblTitle = vb::MakeLabel(c, QStringLiteral("Quorvane"), 3240, 120, 3915, 720, 20.25, true, Qt::AlignHCenter | Qt::AlignTop);
    SetTextColor(lblTitle, black);

    Label2 = vb::MakeLabel(c, QStringLiteral("Concentration"), 3240, 720, 3915, 720, 24, true, Qt::AlignHCenter | Qt::AlignTop);
    SetTextColor(Label2, black);

    lblVersion = vb::MakeLabel(c, QStringLiteral("Version 1.0"), 3240, 1560, 3885, 345, 9.75, true, Qt::AlignHCenter | Qt::AlignTop);

    lblDisclaimer = vb::MakeLabel(c, kDisclaimer, 3360, 2040, 3615, 1665, 8.25, false, Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer->setWordWrap(true);
    SetTextColor(lblDisclaimer, black);

    // Grey over white, the white one a pixel lower and further right: an
    // etched rule.
    Line1_1 = new LineControl(c, 90, 3765, 7080, 3765, vb::VbColor(0x808080), 1);
    Line1_0 = new LineControl(c, 105, 3780, 7080, 3780, vb::VbColor(0xFFFFFF), 2);

    lblCopyright = vb::MakeLabel(c, DesignCopyrightCaption(), 840, 3960, 3855, 345, 8.25, false, Qt::AlignHCenter | Qt::AlignTop);
    SetTextColor(lblCopyright, black);

    dtpDate = std::make_unique<vb::DTPicker>();

    cmdOK = vb::MakeButton(c, QStringLiteral("OK"), 5565, 4080, 1260, 585, [this]() { cmdOK_Click(); });
    cmdSysInfo = vb::MakeButton(c, QStringLiteral("&System Info..."), 5640, 4275, 1245, 345,
                                [this]() { cmdSysInfo_Click(); });
    cmdSysInfo->setVisible(false);
    // Created first, OK comes first in the tab order; the hidden button
    // takes no focus and, while hidden, its access key does nothing.
    QWidget::setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();

    window()->defaultButton = cmdOK;
    window()->cancelButton = cmdOK;
}

void FrmAbout::DestroyControls()
{
    Image1 = nullptr;
    lblTitle = nullptr;
    Label2 = nullptr;
    lblVersion = nullptr;
    lblDisclaimer = nullptr;
    Line1_1 = nullptr;
    Line1_0 = nullptr;
    lblCopyright = nullptr;
    dtpDate.reset();
    cmdOK = nullptr;
    cmdSysInfo = nullptr;
}

void FrmAbout::Form_Load()
{
    ApplyCopyrightYear(*dtpDate, *lblCopyright);
}

void FrmAbout::cmdOK_Click()
{
    Unload();
}

void FrmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void FrmAbout::StartSysInfo()
{
    QString SysInfoPath;
    try {
        if (GetKeyValue(vb::HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, SysInfoPath)) {
            // The named file is trusted as it is: a failed start is the
            // message, never a second lookup.
            vb::Shell(SysInfoPath, vb::vbNormalFocus);
            return;
        }
        if (GetKeyValue(vb::HKEY_LOCAL_MACHINE, kSysInfoLocKey, kSysInfoLocValue, SysInfoPath)
            && !vb::Dir(SysInfoPath + kSysInfoProgram).isEmpty()) {
            SysInfoPath += kSysInfoProgram;
            vb::Shell(SysInfoPath, vb::vbNormalFocus);
            return;
        }
    } catch (const vb::RuntimeError&) {
        // Every failure on the way ends in the one message below.
    }
    vb::MsgBox(QStringLiteral("System Information Is Unavailable At This Time"), vb::vbOKOnly);
}

bool FrmAbout::GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal)
{
    vb::HKEY hKey = 0;
    KeyCloser closer(hKey);

    const QByteArray keyName = vb::ToAnsi(KeyName);
    const QByteArray valueName = vb::ToAnsi(SubKeyRef);
    if (vb::RegOpenKeyExA(KeyRoot, keyName.constData(), 0, kKeyAccess, &hKey) != vb::ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }

    QByteArray buffer(kValueBufferSize, '\0');
    std::uint32_t cbData = kValueBufferSize;
    std::uint32_t type = 0;
    if (vb::RegQueryValueExA(hKey, valueName.constData(), nullptr, &type,
                             reinterpret_cast<std::uint8_t*>(buffer.data()), &cbData)
        != vb::ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }

    // No data leaves no last byte to look at.
    if (cbData == 0)
        vb::Raise(vb::errInvalidCall);

    // Only a terminating NUL goes; a NUL inside the data stays.
    const int kept = static_cast<int>(cbData) - (buffer.at(static_cast<int>(cbData) - 1) == '\0' ? 1 : 0);
    const QByteArray text = buffer.left(kept);

    switch (type) {
    case vb::REG_SZ:
        KeyVal = vb::FromAnsi(text);
        break;
    case vb::REG_DWORD: {
        // Little-endian; the buffer's NULs stand in for a dropped high byte.
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<std::uint8_t>(buffer.at(i));
        KeyVal = QString::number(static_cast<std::int32_t>(number));
        break;
    }
    default:
        break;  // a type we do not read leaves KeyVal as it was
    }
    return true;
}
