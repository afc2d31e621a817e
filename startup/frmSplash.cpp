#include "frmSplash.h"

#include "CardPictures.h"
#include "Copyright.h"
#include "Picture.h"
#include "StartupLoad.h"
#include "frmQuorvaneConcentration.h"

namespace {

constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignTop;

// A caption on the frame: its clicks stop here, so that only the frame's own
// surface closes the splash.
QLabel* SplashLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h, double points, bool bold)
{
    QLabel* label = vb::MakeLabel(parent, caption, l, t, w, h, points, bold, kCentred);
    label->setWordWrap(true);
    label->setAutoFillBackground(false);
    ClickSink::install(label);
    return label;
}

}  // namespace

QString FrmSplash::WarningText()
{
    return QStringLiteral("Warning: this program is protected by copyright law. See About for details.");
}

vb::Form::Design FrmSplash::design() const
{
    Design d;
    d.caption = QString();
    d.clientWidth = 7665;
    d.clientHeight = 4620;
    d.border = NoTitle;
    d.minButton = false;
    d.maxButton = false;
    d.showInTaskbar = false;
    d.keyPreview = true;
    d.backColor = vb::VbColor(0x00008000);
    return d;
}

void FrmSplash::CreateControls()
{
    QWidget* client = this->client();

    Frame1 = new ClickFrame(client);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);  // the etched rim of a frame without caption
    Frame1->setAutoFillBackground(true);
    QPalette pal = Frame1->palette();
    pal.setColor(QPalette::Window, vb::VbColor(0x00008000));
    Frame1->setPalette(pal);
    vb::SetTwips(Frame1, 150, 60, 7305, 4395);
    Frame1->onClick = [this]() { Frame1_Click(); };

    imgLogo = new vb::Image(Frame1);
    vb::SetTwips(imgLogo, 120, 240, 3135, 3615);
    imgLogo->setStretch(true);
    imgLogo->setBorder(true);
    imgLogo->setPicture(vb::LoadResPicture(quorvane::pictures::logoResourcePath()));

    Label1 = SplashLabel(Frame1, QStringLiteral("Quorvane"), 3345, 600, 3825, 675, 24, true);
    lblProductName = SplashLabel(Frame1, QStringLiteral("Concentration"), 3345, 1560, 3825, 765, 27.75, true);
    lblVersion = SplashLabel(Frame1, QStringLiteral("Version 1.0"), 3360, 2760, 3795, 345, 12, true);
    lblCopyright = SplashLabel(Frame1, DesignCopyrightCaption(), 3360, 3480, 3735, 255, 8.25, false);
    lblWarning = SplashLabel(Frame1, WarningText(), 240, 3960, 6885, 315, 6.75, false);

    dtpDate = std::make_unique<vb::DTPicker>();  // never shown

    Timer1 = new vb::Timer(window());
    Timer1->onTimer = [this]() { Timer1_Timer(); };
    Timer1->setInterval(2000);
    Timer1->setEnabled(true);
}

void FrmSplash::DestroyControls()
{
    // The timer goes with the window, but only later: no tick may come first.
    if (Timer1)
        Timer1->setEnabled(false);
    Frame1 = nullptr;
    imgLogo = nullptr;
    Label1 = nullptr;
    lblProductName = nullptr;
    lblVersion = nullptr;
    lblCopyright = nullptr;
    lblWarning = nullptr;
    dtpDate.reset();
    Timer1 = nullptr;
}

void FrmSplash::Form_Load()
{
    ApplyCopyrightYear(*dtpDate, *lblCopyright);
    LoadHighScoreTable();
}

void FrmSplash::Form_KeyPress(int& keyAscii)
{
    (void)keyAscii;  // any character closes the splash
    Unload();
}

void FrmSplash::Frame1_Click()
{
    Unload();
}

void FrmSplash::Timer1_Timer()
{
    // The game window deals while still hidden; the splash stays up meanwhile.
    frmQuorvaneConcentration->Load();
    frmQuorvaneConcentration->Show();
    Timer1->setInterval(0);
    Unload();
}
