#pragma once

#include "link/Replies.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace windows
{

// Analog input calibration (unit ADSettings).
class TfrmADSettings : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmADSettings(QWidget* parent = nullptr);

    // "GK" reply: the analog input coefficients.
    void HandleCoefficients(const vms::link::Coefficients& reply);

    // Channel 1.
    QLabel* sLabel3 = nullptr;
    QCheckBox* cbUseVoltageOUTCH1 = nullptr;
    QLabel* sLabel8 = nullptr;
    QLineEdit* edADRawOffsetCh1 = nullptr;
    QLabel* sLabel1 = nullptr;
    QLineEdit* edKoefKCh1 = nullptr;
    QLabel* sLabel2 = nullptr;
    QLineEdit* edKoefNCh1 = nullptr;
    QPushButton* btGetKoef = nullptr;
    QPushButton* btSetKoef = nullptr;

    // Calibration.
    QPushButton* btADZerro = nullptr;
    QLineEdit* edADZerro = nullptr;
    QPushButton* btADFullscale = nullptr;
    QLineEdit* edADFullScale = nullptr;
    QLabel* sLabel12 = nullptr;
    QLineEdit* edVrednostPriFS = nullptr;
    QPushButton* btADCalcKN = nullptr;

    // Channel 2: hidden, filled by a read and written back as read.
    QLabel* sLabel4 = nullptr;
    QCheckBox* cbUseVoltageOUTCH2 = nullptr;
    QLabel* sLabel9 = nullptr;
    QLineEdit* edADRawOffsetCh2 = nullptr;
    QLabel* sLabel5 = nullptr;
    QLineEdit* edKoefKCh2 = nullptr;
    QLabel* sLabel6 = nullptr;
    QLineEdit* edKoefNCh2 = nullptr;
    QLineEdit* edSMSAnalog2 = nullptr;

    // Notes.
    QLabel* sLabel7 = nullptr;
    QLabel* sLabel14 = nullptr;
    QLabel* sLabel13 = nullptr;
    QLabel* sLabel10 = nullptr;

    // The analog input's SMS text.
    QLabel* sLabel11 = nullptr;
    QLineEdit* edSMSAnalog1 = nullptr;
    QPushButton* sBitBtn1 = nullptr;
    QPushButton* sBitBtn2 = nullptr;

    void btGetKoefClick();
    void btSetKoefClick();
    void btADZerroClick();
    void btADFullscaleClick();
    void btADCalcKNClick();
    void sBitBtn1Click();
    void sBitBtn2Click();
};

} // namespace windows
