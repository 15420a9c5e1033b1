#pragma once

// The main window: dashboard, 100 ms polling timer, command sender and reply
// dispatcher, and the owner of the device connection.

#include "link/CommandFrame.h"
#include "link/Replies.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <span>

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace hid
{
class MainThreadHandoff;
class THidDevice;
class THidDeviceController;
namespace platform
{
class Platform;
}
} // namespace hid

namespace vms::link
{
class DeviceConnection;
}

namespace windows
{

class Gauge;
class Shape;
class StatusBar;

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // `platform` and `handoff` must outlive the window.
    TMainForm(hid::platform::Platform& platform, hid::MainThreadHandoff& handoff,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // The device in use, or none: every action that sends tests it first.
    hid::THidDevice* CurrentDevice() const;
    // The tool's device was found and is in use.
    bool VeltranoPresent() const;

    // Shared state of the tool, read and written by every window.
    std::uint32_t TxCnt = 0;
    std::uint32_t RxCnt = 0;
    std::uint16_t TimeOut = 0;
    std::uint8_t StatusDIN1 = 0;
    std::uint8_t StatusDIN2 = 0;
    std::uint8_t StatusDIN3 = 0;
    std::uint8_t StatusOUT1 = 0;
    std::array<std::uint8_t, 4096> MemSaveBuffer{};
    std::uint8_t ReceiveMemoryPacketTimeOut = 0;
    std::uint16_t ADRawCH1 = 0;
    std::uint16_t ADRawCH2 = 0;

    // Dashboard panel.
    QFrame* sPanel1 = nullptr;
    QLabel* sLabel1 = nullptr;
    QLabel* lbFirmwareInfo = nullptr;
    QLabel* lbGSMSignal = nullptr;
    Gauge* gaGSMSignal = nullptr;
    QLabel* lbNetworkState = nullptr;
    QLabel* sLabel11 = nullptr;
    QLabel* sLabel8 = nullptr;
    QLabel* lbCallFuncEnabled = nullptr;
    QLabel* sLabel7 = nullptr;
    QLabel* sLabel6 = nullptr;
    QLabel* sLabel10 = nullptr;
    Shape* shapeDIN1 = nullptr;
    Shape* shapeDIN2 = nullptr;
    Shape* shapeDIN3 = nullptr;
    QLabel* sLabel13 = nullptr;
    QLabel* sLabel14 = nullptr;
    QLabel* sLabel15 = nullptr;
    QLabel* sLabel16 = nullptr;
    QPushButton* btRele1Togle = nullptr;
    Shape* shapeLEDRele = nullptr;
    QLabel* sLabel9 = nullptr;
    QLabel* sLabel2 = nullptr;
    QLabel* lbADRaw1 = nullptr;
    QLabel* lbADCh1Val = nullptr;
    QLabel* sLabel3 = nullptr;
    QLabel* lbADRaw2 = nullptr;
    QLabel* lbADCh2Val = nullptr;
    QLabel* sLabel12 = nullptr;
    QLabel* sLabel4 = nullptr;
    QLabel* lbSMSTx = nullptr;
    QLabel* sLabel5 = nullptr;
    QLabel* lbSMSRx = nullptr;

    // Button column.
    QPushButton* sBitBtn3 = nullptr;
    QPushButton* btOuts = nullptr;
    QPushButton* btShowMemory = nullptr;
    QPushButton* sBitBtn1 = nullptr;
    QPushButton* sBitBtn2 = nullptr;
    QPushButton* btAlarmi = nullptr;
    QPushButton* btResetToBoot = nullptr;
    QPushButton* btDebug = nullptr;
    QPushButton* btHIDInfo = nullptr;
    QPushButton* btFirmwareInfo = nullptr;
    QPushButton* btGetStatus = nullptr;
    QCheckBox* cbGetStatusAuto = nullptr;

    // Hidden data holders.
    QListWidget* DevListBox = nullptr;
    QPushButton* ClearBtn = nullptr;
    QPushButton* SaveBtn = nullptr;
    QListWidget* HistoryListBox = nullptr;

    StatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;

    std::unique_ptr<hid::THidDeviceController> HidCtl;

    // Appends one line to the history list and selects it.
    void AddHistoryLine(const QString& line);

    // Frame one command report and write it to the device in use. A failed
    // write is logged as "WRITE ERROR"; every report counts in TxCnt.
    void HIDSendCmd(char16_t Cmd, char16_t SubCmd, const vms::link::Params& Pars = {});
    void HIDSendCmdBuf(char16_t Cmd, char16_t SubCmd, std::span<const std::uint8_t> Block);
    // Sends a request from a vms::link::requests builder in its own form.
    void SendRequest(const vms::link::Request& request);

    // The device's data handler: counts, decodes and dispatches one reply.
    void ShowRead(hid::THidDevice* HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                  std::uint16_t Size);
    void ApplyStatus(const vms::link::StatusReport& status);

    // Waits for the acknowledgement of a write just sent, keeping the event
    // loop running: true once `waitForOk` is cleared; after TimeOut runs out,
    // shows "Nema odgovora iz uredjaja!" and returns false.
    bool WaitForAcknowledge(const bool& waitForOk);

    // Controller events.
    void FormActivate();
    bool HidCtlEnumerate(hid::THidDevice* HidDev, int Idx);
    void HidCtlDeviceChange();
    void HidCtlArrival(hid::THidDevice* HidDev);
    void HidCtlRemoval(hid::THidDevice* HidDev);
    void HidCtlDeviceDataError(hid::THidDevice* HidDev, std::uint32_t Error);

    void Timer1Timer();
    void StatusBar1DblClick();
    void btGetStatusClick();
    void btFirmwareInfoClick();
    void btRele1TogleClick();
    void btResetToBootClick();
    void btHIDInfoClick();
    void ClearBtnClick();
    void SaveBtnClick();

    void sBitBtn1Click();
    void sBitBtn2Click();
    void sBitBtn3Click();
    void btOutsClick();
    void btShowMemoryClick();
    void btAlarmiClick();
    void btDebugClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void writeReport(const vms::link::CommandReport& report);
    void buildDashboard();
    void buildButtonColumn(QWidget* parent);
    void showPresence(bool present);

    hid::MainThreadHandoff& m_handoff;
    std::unique_ptr<vms::link::DeviceConnection> m_connection;
    bool m_deviceChangeAttached = false;
    QPalette m_panelPalette;
    int m_shownPresence = -1; // -1 before the first tick, else 0 or 1
};

} // namespace windows
