// The About box: logo, product captions, the copyright caption of the
// current year, OK, and the system-information command.
#pragma once

#include "Controls.h"
#include "Form.h"
#include "LineControl.h"

#include <QLabel>
#include <QPushButton>

#include <cstdint>
#include <memory>

class FrmAbout : public vb::Form {
public:
    // ---- event handlers ----
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Finds the system-information tool through the registry and starts it,
    // or says that it is unavailable.
    void StartSysInfo();
    // One registry value as text; false (and KeyVal empty) when the key or
    // the value cannot be read. A value without data raises Invalid call.
    bool GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal);

    // ---- controls (valid while the window is loaded) ----
    vb::Image* Image1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDisclaimer = nullptr;
    LineControl* Line1_1 = nullptr;  // grey, upper half of the etched rule
    LineControl* Line1_0 = nullptr;  // white, lower half
    QLabel* lblCopyright = nullptr;
    std::unique_ptr<vb::DTPicker> dtpDate;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

protected:
    Design design() const override;
    void CreateControls() override;
    void DestroyControls() override;
    void Form_Load() override;
};

inline vb::FormInstance<FrmAbout> frmAbout;
