// The start-up window: logo, product captions and the copyright caption of
// the current year. It fills the high-score table while it loads, and hands
// over to the game window after two seconds unless a key or a click on its
// frame closes it first.
#pragma once

#include "Controls.h"
#include "Form.h"
#include "SplashControls.h"

#include <QLabel>

#include <memory>

class FrmSplash : public vb::Form {
public:
    // ---- event handlers ----
    void Frame1_Click();
    void Timer1_Timer();

    // ---- controls (valid while the window is loaded) ----
    ClickFrame* Frame1 = nullptr;
    vb::Image* imgLogo = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblWarning = nullptr;
    std::unique_ptr<vb::DTPicker> dtpDate;
    vb::Timer* Timer1 = nullptr;

    // The legal line at the foot of the frame.
    static QString WarningText();

protected:
    Design design() const override;
    void CreateControls() override;
    void DestroyControls() override;
    void Form_Load() override;
    void Form_KeyPress(int& keyAscii) override;
};

inline vb::FormInstance<FrmSplash> frmSplash;
