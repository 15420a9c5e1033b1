#include "windows/DevReader.h"
#include "windows/Controls.h"

#include "windows/ADSettings.h"
#include "windows/Alarmi.h"
#include "windows/CallPhonebook.h"
#include "windows/Debug.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"
#include "windows/GSMNumbers.h"
#include "windows/Info.h"
#include "windows/Izlazi.h"
#include "windows/Memory.h"
#include "windows/widgets/Gauge.h"
#include "windows/widgets/Shape.h"
#include "windows/widgets/StatusBar.h"

#include "hid/HidControllerClass.h"
#include "link/Requests.h"
#include "link/connection/DeviceConnection.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <variant>

namespace windows
{
namespace
{

const QColor kPanelText(66, 72, 80);
const QColor kPurple(128, 0, 128);
const QColor kRed(255, 0, 0);

QFont boldFont(const QWidget* widget, bool underline = false)
{
    QFont font = widget->font();
    font.setBold(true);
    font.setUnderline(underline);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

template <typename W> void setTextIfChanged(W* widget, const QString& text)
{
    if (widget->text() != text)
        widget->setText(text);
}

// A label of fixed size does not make its panel lay out again whenever its
// text changes, which a status report does ten times a second. The label
// remembers how many characters it was sized for, so that measuring text,
// which costs more than the layout, happens only when a longer text comes.
const char* const kFitsChars = "vmsFitsChars";

int textWidth(const QLabel* label, const QString& text)
{
    // A little slack for glyphs wider than the ones measured.
    return label->fontMetrics().horizontalAdvance(text) + 2 * label->margin() + 6;
}

void pinSize(QLabel* label, const QString& widest)
{
    const int width = std::max(label->sizeHint().width(), textWidth(label, widest));
    label->setFixedSize(width, label->sizeHint().height());
    label->setProperty(kFitsChars, std::max(widest.size(), label->text().size()));
}

// Widens a pinned label when a longer text would not fit: nothing is clipped.
void setValueText(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    if (text.size() > label->property(kFitsChars).toLongLong()) {
        const int needed = textWidth(label, text);
        if (needed > label->maximumWidth())
            label->setFixedWidth(needed);
        label->setProperty(kFitsChars, text.size());
    }
    label->setText(text);
}

void showWindow(QWidget* window)
{
    if (window == nullptr)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

TMainForm::TMainForm(hid::platform::Platform& platform, hid::MainThreadHandoff& handoff,
                     QWidget* parent)
    : QMainWindow(parent), m_handoff(handoff)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Veltrano Mini Setup"));
    setMinimumSize(450, 500);

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 1);

    sPanel1 = named(new QFrame(central), "sPanel1");
    sPanel1->setFrameShape(QFrame::StyledPanel);
    sPanel1->setAutoFillBackground(true);
    setTextColour(sPanel1, kPanelText);
    m_panelPalette = sPanel1->palette();
    left->addWidget(sPanel1, 1);
    buildDashboard();

    DevListBox = named(new QListWidget(central), "DevListBox");
    ClearBtn = named(new QPushButton(QStringLiteral("Clear"), central), "ClearBtn");
    ClearBtn->setFlat(true);
    SaveBtn = named(new QPushButton(QStringLiteral("Save"), central), "SaveBtn");
    SaveBtn->setFlat(true);
    HistoryListBox = named(new QListWidget(central), "HistoryListBox");
    for (QWidget* hidden :
         {static_cast<QWidget*>(DevListBox), static_cast<QWidget*>(ClearBtn),
          static_cast<QWidget*>(SaveBtn), static_cast<QWidget*>(HistoryListBox)}) {
        hidden->hide();
        left->addWidget(hidden);
    }

    auto* right = new QVBoxLayout;
    columns->addLayout(right);
    buildButtonColumn(central);
    for (QWidget* button :
         {static_cast<QWidget*>(sBitBtn3), static_cast<QWidget*>(btOuts),
          static_cast<QWidget*>(btShowMemory), static_cast<QWidget*>(sBitBtn1),
          static_cast<QWidget*>(sBitBtn2), static_cast<QWidget*>(btAlarmi),
          static_cast<QWidget*>(btResetToBoot), static_cast<QWidget*>(btDebug),
          static_cast<QWidget*>(btHIDInfo), static_cast<QWidget*>(btFirmwareInfo),
          static_cast<QWidget*>(btGetStatus), static_cast<QWidget*>(cbGetStatusAuto)})
        right->addWidget(button);
    right->addStretch(1);
    setCentralWidget(central);

    StatusBar1 = named(new StatusBar({120, 150, 50}, this), "StatusBar1");
    StatusBar1->setPanelText(0, QStringLiteral("Brannisol 03062013"));
    StatusBar1->setPanelText(1, QStringLiteral("Status"));
    StatusBar1->setPanelText(2, QStringLiteral("Tx/Rx:"));
    setStatusBar(StatusBar1);

    connect(StatusBar1, &StatusBar::doubleClicked, this, &TMainForm::StatusBar1DblClick);
    connect(btRele1Togle, &QPushButton::clicked, this, &TMainForm::btRele1TogleClick);
    connect(sBitBtn3, &QPushButton::clicked, this, &TMainForm::sBitBtn3Click);
    connect(btOuts, &QPushButton::clicked, this, &TMainForm::btOutsClick);
    connect(btShowMemory, &QPushButton::clicked, this, &TMainForm::btShowMemoryClick);
    connect(sBitBtn1, &QPushButton::clicked, this, &TMainForm::sBitBtn1Click);
    connect(sBitBtn2, &QPushButton::clicked, this, &TMainForm::sBitBtn2Click);
    connect(btAlarmi, &QPushButton::clicked, this, &TMainForm::btAlarmiClick);
    connect(btResetToBoot, &QPushButton::clicked, this, &TMainForm::btResetToBootClick);
    connect(btDebug, &QPushButton::clicked, this, &TMainForm::btDebugClick);
    connect(btHIDInfo, &QPushButton::clicked, this, &TMainForm::btHIDInfoClick);
    connect(btFirmwareInfo, &QPushButton::clicked, this, &TMainForm::btFirmwareInfoClick);
    connect(btGetStatus, &QPushButton::clicked, this, &TMainForm::btGetStatusClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TMainForm::ClearBtnClick);
    connect(SaveBtn, &QPushButton::clicked, this, &TMainForm::SaveBtnClick);

    // Precise: the acknowledged-write time-out is counted in these ticks.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();

    HidCtl = std::make_unique<hid::THidDeviceController>(platform, m_handoff);
    vms::link::DeviceConnection::Hooks hooks;
    hooks.log = [this](const std::u16string& line) { AddHistoryLine(toQString(line)); };
    hooks.listAdd = [this](const std::u16string& name) { DevListBox->addItem(toQString(name)); };
    hooks.listClear = [this] { DevListBox->clear(); };
    hooks.setAutomatic = [this](bool on) { cbGetStatusAuto->setChecked(on); };
    hooks.requestFirmware = [this] { btFirmwareInfo->click(); };
    hooks.data = [this](hid::THidDevice* HidDev, std::uint8_t ReportID, const std::uint8_t* Data,
                        std::uint16_t Size) { ShowRead(HidDev, ReportID, Data, Size); };
    m_connection = std::make_unique<vms::link::DeviceConnection>(*HidCtl, std::move(hooks));
    HidCtl->SetOnArrival([this](hid::THidDevice* HidDev) { HidCtlArrival(HidDev); });
    HidCtl->SetOnRemoval([this](hid::THidDevice* HidDev) { HidCtlRemoval(HidDev); });
    HidCtl->SetOnEnumerate(
        [this](hid::THidDevice* HidDev, int Idx) { return HidCtlEnumerate(HidDev, Idx); });
    HidCtl->SetOnDeviceDataError([this](hid::THidDevice* HidDev, std::uint32_t Error) {
        HidCtlDeviceDataError(HidDev, Error);
    });

    if (const QScreen* screen = QApplication::primaryScreen()) {
        resize(sizeHint().expandedTo(minimumSize()));
        move(screen->availableGeometry().center() - rect().center());
    }
}

TMainForm::~TMainForm()
{
    // Devices first, while the windows their last replies write into exist.
    Timer1->stop();
    HidCtl->SetOnDeviceChange({});
    // Handing back runs the last queued replies and errors of each device,
    // which still reach the connection and this window.
    m_connection->HandBackAll();
    m_connection.reset();
    HidCtl.reset();
}

hid::THidDevice* TMainForm::CurrentDevice() const
{
    return m_connection ? m_connection->CurrentDevice() : nullptr;
}

bool TMainForm::VeltranoPresent() const
{
    return m_connection && m_connection->VeltranoPresent();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FormActivate();
}

void TMainForm::FormActivate()
{
    // Attaching the handler scans at once; later activations change nothing.
    if (m_deviceChangeAttached)
        return;
    m_deviceChangeAttached = true;
    HidCtl->SetOnDeviceChange([this] { HidCtlDeviceChange(); });
}

bool TMainForm::HidCtlEnumerate(hid::THidDevice* HidDev, int Idx)
{
    return m_connection->Enumerate(HidDev, Idx);
}

void TMainForm::HidCtlDeviceChange()
{
    m_connection->DeviceChange();
}

void TMainForm::HidCtlArrival(hid::THidDevice* HidDev)
{
    m_connection->Arrival(HidDev);
}

void TMainForm::HidCtlRemoval(hid::THidDevice* HidDev)
{
    m_connection->Removal(HidDev);
}

void TMainForm::HidCtlDeviceDataError(hid::THidDevice* HidDev, std::uint32_t Error)
{
    m_connection->DataError(HidDev, Error);
}

void TMainForm::HIDSendCmd(char16_t Cmd, char16_t SubCmd, const vms::link::Params& Pars)
{
    writeReport(vms::link::frameParams(Cmd, SubCmd, Pars));
}

void TMainForm::HIDSendCmdBuf(char16_t Cmd, char16_t SubCmd, std::span<const std::uint8_t> Block)
{
    writeReport(vms::link::frameBlock(Cmd, SubCmd, Block));
}

void TMainForm::SendRequest(const vms::link::Request& request)
{
    if (request.form == vms::link::Request::Form::Block)
        HIDSendCmdBuf(request.cmd, request.subCmd, request.block);
    else
        HIDSendCmd(request.cmd, request.subCmd, request.params);
}

void TMainForm::writeReport(const vms::link::CommandReport& report)
{
    hid::THidDevice* device = CurrentDevice();
    if (device == nullptr)
        return;

    // The device's output report length decides how much goes out; a device
    // that reports more than a frame gets zero padding, never bytes from
    // beyond the frame, and one whose length is unknown gets the whole frame.
    std::vector<std::uint8_t> out(report.begin(), report.end());
    if (const std::uint16_t length = device->Caps().OutputReportByteLength; length != 0)
        out.resize(length, 0);

    std::uint32_t written = 0;
    if (!device->WriteFile(out, written)) {
        const std::uint32_t error = hid::GetLastError();
        AddHistoryLine(
            toQString(vms::link::ErrorLine(u"WRITE ERROR", device->SysErrorMessage(error), error)));
    }
    ++TxCnt;
}

void TMainForm::ShowRead(hid::THidDevice* /*HidDev*/, std::uint8_t /*ReportID*/,
                         const std::uint8_t* Data, std::uint16_t Size)
{
    ++RxCnt;
    const vms::link::Reply reply =
        vms::link::decodeReply(std::span<const std::uint8_t>(Data, Data != nullptr ? Size : 0));

    if (const auto* firmware = std::get_if<vms::link::FirmwareInfo>(&reply)) {
        setTextIfChanged(lbFirmwareInfo, toQString(firmware->text));
    } else if (const auto* status = std::get_if<vms::link::StatusReport>(&reply)) {
        ApplyStatus(*status);
    } else if (const auto* page = std::get_if<vms::link::MemoryPage>(&reply)) {
        if (frmMemory != nullptr)
            frmMemory->HandleMemoryPage(*page);
    } else if (const auto* number = std::get_if<vms::link::GsmNumber>(&reply)) {
        if (frmGSMNumbers != nullptr)
            frmGSMNumbers->HandleGsmNumber(*number);
    } else if (const auto* text = std::get_if<vms::link::SmsText>(&reply)) {
        if (frmAlarmi != nullptr)
            frmAlarmi->HandleSmsText(*text);
    } else if (const auto* alarm = std::get_if<vms::link::AnalogAlarm>(&reply)) {
        if (frmAlarmi != nullptr)
            frmAlarmi->HandleAnalogAlarm(*alarm);
    } else if (const auto* triggers = std::get_if<vms::link::DigitalTriggers>(&reply)) {
        if (frmAlarmi != nullptr)
            frmAlarmi->HandleDigitalTriggers(*triggers);
    } else if (const auto* coefficients = std::get_if<vms::link::Coefficients>(&reply)) {
        if (frmADSettings != nullptr)
            frmADSettings->HandleCoefficients(*coefficients);
    } else if (const auto* record = std::get_if<vms::link::PhonebookRecord>(&reply)) {
        if (frmCallPhonebook != nullptr)
            frmCallPhonebook->HandlePhonebookRecord(*record);
    } else if (const auto* period = std::get_if<vms::link::RelayPeriod>(&reply)) {
        if (frmIzlazi != nullptr)
            frmIzlazi->HandleRelayPeriod(*period);
    } else if (const auto* ack = std::get_if<vms::link::Acknowledgement>(&reply)) {
        switch (ack->of) {
        case vms::link::Acknowledgement::Of::GsmNumber:
            if (frmGSMNumbers != nullptr)
                frmGSMNumbers->WaitForOk = false;
            break;
        case vms::link::Acknowledgement::Of::SmsText:
            if (frmAlarmi != nullptr)
                frmAlarmi->WaitForOk = false;
            break;
        case vms::link::Acknowledgement::Of::PhonebookRecord:
            if (frmCallPhonebook != nullptr)
                frmCallPhonebook->WaitForOk = false;
            break;
        }
    }
}

void TMainForm::ApplyStatus(const vms::link::StatusReport& status)
{
    StatusDIN1 = status.din1;
    StatusDIN2 = status.din2;
    StatusDIN3 = status.din3;
    StatusOUT1 = status.relay;
    ADRawCH1 = status.raw1;
    ADRawCH2 = status.raw2;

    const QColor white(255, 255, 255);
    setValueText(sLabel6, toQString(status.phoneNumber));
    setValueText(lbGSMSignal, QStringLiteral("GSM Signal [RSSI: %1]").arg(status.rssi));
    gaGSMSignal->setProgress(status.signal);
    shapeDIN1->setBrushColor(status.din1 != 0 ? QColor(255, 255, 0) : white);
    shapeDIN2->setBrushColor(status.din2 != 0 ? QColor(255, 255, 0) : white);
    shapeDIN3->setBrushColor(status.din3 != 0 ? QColor(255, 255, 0) : white);
    shapeLEDRele->setBrushColor(status.relay != 0 ? QColor(0, 128, 0) : white);
    setValueText(lbADRaw1, QString::number(status.raw1));
    setValueText(lbADRaw2, QString::number(status.raw2));
    setValueText(lbSMSTx, QString::number(status.smsTx));
    setValueText(lbSMSRx, QString::number(status.smsRx));

    setValueText(lbADCh1Val, fixedPointText(status.calc1));
    setValueText(lbADCh2Val, fixedPointText(status.calc2));

    if (frmDebug != nullptr) {
        QLineEdit* edits[] = {frmDebug->sEdit1, frmDebug->sEdit2, frmDebug->sEdit3,
                              frmDebug->sEdit4, frmDebug->sEdit5, frmDebug->sEdit6,
                              frmDebug->sEdit7};
        for (std::size_t i = 0; i < status.debug.size(); ++i)
            setTextIfChanged(edits[i], QString::number(status.debug[i]));
    }

    setValueText(lbNetworkState,
                 toQString(std::u16string(vms::link::networkStateText(status.networkState))));
    const vms::link::Rgb rgb = vms::link::networkStateColour(status.networkState);
    const QColor networkColour(rgb.r, rgb.g, rgb.b);
    if (lbNetworkState->palette().color(QPalette::WindowText) != networkColour)
        setTextColour(lbNetworkState, networkColour);

    const bool callOn = status.callFunction != 0;
    setValueText(lbCallFuncEnabled,
                 callOn ? QStringLiteral("Ukljucena") : QStringLiteral("Iskljucena"));
    if (frmCallPhonebook != nullptr) {
        frmCallPhonebook->panCallNumbers->setEnabled(callOn);
        frmCallPhonebook->panCallNumbers->setVisible(callOn);
    }

    if (frmDebug != nullptr)
        setTextIfChanged(frmDebug->sEdit9, QString::number(status.debounce));
}

bool TMainForm::WaitForAcknowledge(const bool& waitForOk)
{
    TimeOut = 10;
    while (waitForOk) {
        // Sleeps until the next event: a reply, a timer tick, user input.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (waitForOk && TimeOut == 0) {
            dialogs().information(
                QApplication::activeWindow() != nullptr ? QApplication::activeWindow() : this,
                QStringLiteral("Nema odgovora iz uredjaja!"));
            break;
        }
    }
    return !waitForOk;
}

void TMainForm::buildDashboard()
{
    QFrame* p = sPanel1;
    auto label = [p](const char* name, const QString& text) {
        return named(new QLabel(text, p), name);
    };
    auto heading = [&label](const char* name, const char* text, int spaces) {
        QLabel* l = label(name, QString::fromUtf8(text) + QString(spaces, QLatin1Char(' ')));
        l->setFont(boldFont(l, true));
        return l;
    };

    sLabel1 = label("sLabel1", QStringLiteral("Firmware:"));
    sLabel1->setFont(boldFont(sLabel1));
    lbFirmwareInfo = label("lbFirmwareInfo", QStringLiteral("______"));
    lbFirmwareInfo->setFont(boldFont(lbFirmwareInfo));
    setTextColour(lbFirmwareInfo, kPurple);
    lbFirmwareInfo->setWordWrap(true);

    lbGSMSignal = heading("lbGSMSignal", "GSM Signal [00]:", 53);
    gaGSMSignal = named(new Gauge(p), "gaGSMSignal");
    gaGSMSignal->setRange(0, 5);
    gaGSMSignal->setProgress(5);
    lbNetworkState = label("lbNetworkState", QStringLiteral("Network State"));
    lbNetworkState->setFont(boldFont(lbNetworkState));

    sLabel11 = heading("sLabel11", "CALL FUNKCIJA", 56);
    sLabel8 = label("sLabel8", QStringLiteral("Status:"));
    lbCallFuncEnabled = label("lbCallFuncEnabled", QStringLiteral("__________"));
    sLabel7 = label("sLabel7", QStringLiteral("Broj Telefona:"));
    sLabel6 = label("sLabel6", QStringLiteral("____"));

    sLabel10 = heading("sLabel10", "DIGITALNI ULAZI/IZLAZI", 40);
    shapeDIN1 = named(new Shape(p), "shapeDIN1");
    shapeDIN2 = named(new Shape(p), "shapeDIN2");
    shapeDIN3 = named(new Shape(p), "shapeDIN3");
    sLabel13 = label("sLabel13", QStringLiteral("Ulaz 1"));
    sLabel14 = label("sLabel14", QStringLiteral("Ulaz 2"));
    sLabel15 = label("sLabel15", QStringLiteral("Ulaz 3"));
    for (QLabel* l : {sLabel13, sLabel14, sLabel15}) {
        l->setFont(boldFont(l));
        setTextColour(l, Qt::black);
    }
    sLabel16 = label("sLabel16", QStringLiteral("RELEJNI IZLAZ"));
    setTextColour(sLabel16, Qt::black);
    btRele1Togle = named(new QPushButton(QStringLiteral("Togle"), p), "btRele1Togle");
    btRele1Togle->setFont(boldFont(btRele1Togle));
    shapeLEDRele = named(new Shape(p), "shapeLEDRele");

    sLabel9 = heading("sLabel9", "ANALOGNI ULAZI", 53);
    sLabel2 = label("sLabel2", QStringLiteral("ADKanal1:"));
    lbADRaw1 = label("lbADRaw1", QStringLiteral("____"));
    lbADCh1Val = label("lbADCh1Val", QStringLiteral("_______"));
    sLabel3 = label("sLabel3", QStringLiteral("ADKanal2:"));
    lbADRaw2 = label("lbADRaw2", QStringLiteral("____"));
    lbADCh2Val = label("lbADCh2Val", QStringLiteral("_______"));
    for (QLabel* l : {lbADRaw1, lbADRaw2})
        l->setToolTip(QStringLiteral("ADRaw vrednost"));
    for (QLabel* l : {lbADCh1Val, lbADCh2Val})
        l->setToolTip(QStringLiteral("Kalkulisana AD Vrednost"));

    sLabel12 = heading("sLabel12", "STATISTIKA", 60);
    sLabel4 = label("sLabel4", QStringLiteral("SMSa Poslato:"));
    lbSMSTx = label("lbSMSTx", QStringLiteral("__________"));
    sLabel5 = label("sLabel5", QStringLiteral("SMSa Primljeno:"));
    lbSMSRx = label("lbSMSRx", QStringLiteral("__________"));

    auto* grid = new QGridLayout(p);
    grid->setColumnStretch(2, 1);
    int row = 0;
    auto pair = [grid, &row](QWidget* a, QWidget* b) {
        grid->addWidget(a, row, 0);
        grid->addWidget(b, row, 1, 1, 2);
        ++row;
    };
    auto whole = [grid, &row](QWidget* w) {
        grid->addWidget(w, row, 0, 1, 3);
        ++row;
    };

    pair(sLabel1, lbFirmwareInfo);
    whole(lbGSMSignal);
    grid->addWidget(gaGSMSignal, row, 0, 1, 2);
    grid->addWidget(lbNetworkState, row, 2);
    ++row;
    whole(sLabel11);
    pair(sLabel8, lbCallFuncEnabled);
    pair(sLabel7, sLabel6);
    whole(sLabel10);
    auto* inputs = new QHBoxLayout;
    for (auto [shape, caption] : {std::pair{shapeDIN1, sLabel13}, std::pair{shapeDIN2, sLabel14},
                                  std::pair{shapeDIN3, sLabel15}}) {
        inputs->addWidget(shape);
        inputs->addWidget(caption);
        inputs->addSpacing(12);
    }
    inputs->addStretch(1);
    grid->addLayout(inputs, row++, 0, 1, 3);
    auto* relay = new QHBoxLayout;
    relay->addWidget(sLabel16);
    relay->addSpacing(12);
    relay->addWidget(btRele1Togle);
    relay->addWidget(shapeLEDRele);
    relay->addStretch(1);
    grid->addLayout(relay, row++, 0, 1, 3);
    whole(sLabel9);
    grid->addWidget(sLabel2, row, 0);
    grid->addWidget(lbADRaw1, row, 1);
    grid->addWidget(lbADCh1Val, row, 2);
    ++row;
    grid->addWidget(sLabel3, row, 0);
    grid->addWidget(lbADRaw2, row, 1);
    grid->addWidget(lbADCh2Val, row, 2);
    ++row;
    for (QLabel* hidden : {sLabel3, lbADRaw2, lbADCh2Val})
        hidden->hide();
    whole(sLabel12);
    pair(sLabel4, lbSMSTx);
    pair(sLabel5, lbSMSRx);
    grid->setRowStretch(row, 1);

    pinSize(lbGSMSignal, lbGSMSignal->text());
    pinSize(lbNetworkState, QStringLiteral("ROAMING_NETWORK"));
    pinSize(lbCallFuncEnabled, QStringLiteral("Iskljucena"));
    pinSize(sLabel6, QStringLiteral("+000000000000000"));
    for (QLabel* l : {lbADRaw1, lbADRaw2, lbSMSTx, lbSMSRx})
        pinSize(l, QStringLiteral("65535"));
    for (QLabel* l : {lbADCh1Val, lbADCh2Val})
        pinSize(l, QStringLiteral("-00000.0000"));
}

void TMainForm::buildButtonColumn(QWidget* c)
{
    auto button = [c](const char* name, const char* caption, bool bold = true) {
        auto* b = named(new QPushButton(QString::fromUtf8(caption), c), name);
        if (bold)
            b->setFont(boldFont(b));
        return b;
    };
    sBitBtn3 = button("sBitBtn3", "Call Imenik");
    btOuts = button("btOuts", "Izlazi");
    btShowMemory = button("btShowMemory", "Memorija");
    sBitBtn1 = button("sBitBtn1", "GSM Brojevi");
    sBitBtn2 = button("sBitBtn2", "AD Ulazi");
    btAlarmi = button("btAlarmi", "Alarmi");
    btResetToBoot = button("btResetToBoot", "Go Bootloader");
    btDebug = button("btDebug", "Debug", false);
    btHIDInfo = button("btHIDInfo", "HID Info");
    btHIDInfo->hide();
    btFirmwareInfo = button("btFirmwareInfo", "Firmware Info");
    btFirmwareInfo->hide();
    btGetStatus = button("btGetStatus", "Get Status");
    cbGetStatusAuto = named(new QCheckBox(QStringLiteral("Automatic"), c), "cbGetStatusAuto");
    cbGetStatusAuto->setChecked(true);
}

void TMainForm::AddHistoryLine(const QString& line)
{
    HistoryListBox->addItem(line);
    HistoryListBox->setCurrentRow(HistoryListBox->count() - 1);
}

void TMainForm::showPresence(bool present)
{
    if (m_shownPresence == int{present})
        return;
    m_shownPresence = int{present};
    StatusBar1->setPanelText(1, present ? QStringLiteral("Uredjaj prisutan")
                                        : QStringLiteral("Uredjaj NIJE prisutan"));
    if (present) {
        sPanel1->setPalette(m_panelPalette);
    } else {
        QPalette red = m_panelPalette;
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            red.setColor(group, QPalette::Window, kRed);
        // The panel's grey text is hard to read on red; black reads well.
        red.setColor(QPalette::Disabled, QPalette::WindowText, Qt::black);
        sPanel1->setPalette(red);
    }
    sPanel1->setEnabled(present);
}

void TMainForm::Timer1Timer()
{
    if (TimeOut > 0)
        --TimeOut;

    showPresence(VeltranoPresent());

    if (cbGetStatusAuto->isChecked())
        btGetStatusClick();

    StatusBar1->setPanelText(2, QStringLiteral("Tx/Rx: %1/%2").arg(TxCnt).arg(RxCnt));

    if (ReceiveMemoryPacketTimeOut > 0) {
        --ReceiveMemoryPacketTimeOut;
        if (ReceiveMemoryPacketTimeOut == 0 && frmMemory != nullptr) {
            frmMemory->btReadMemory->setEnabled(true);
            frmMemory->btSaveBin->setEnabled(true);
            frmMemory->sGauge1->hide();
            dialogs().information(frmMemory, QStringLiteral("Doslo je do greske pri citanju "
                                                            "memorije, molimo da citanje "
                                                            "pokrenete ponovo."));
        }
    }
}

void TMainForm::StatusBar1DblClick()
{
    if (!dialogs().confirm(this, QStringLiteral("Da li zelite da obrisete brojace?")))
        return;
    TxCnt = 0;
    RxCnt = 0;
}

void TMainForm::btGetStatusClick()
{
    if (CurrentDevice() != nullptr)
        SendRequest(vms::link::requests::getStatus());
}

void TMainForm::btFirmwareInfoClick()
{
    if (CurrentDevice() != nullptr)
        SendRequest(vms::link::requests::getFirmware());
}

void TMainForm::btRele1TogleClick()
{
    if (CurrentDevice() != nullptr)
        SendRequest(vms::link::requests::toggleRelay());
}

void TMainForm::btResetToBootClick()
{
    if (!dialogs().confirm(this, QStringLiteral("Da li zaista zelite da pokrenete BOOT mod na "
                                                "uredjaju? Ovaj mod je potreban samo pri "
                                                "nadogradnji firmware-a uredjaja!")))
        return;
    if (CurrentDevice() == nullptr)
        return;
    // Polling stops first: the device restarts and would not answer.
    cbGetStatusAuto->setChecked(false);
    SendRequest(vms::link::requests::restartToBootloader());
}

void TMainForm::btHIDInfoClick()
{
    if (CurrentDevice() == nullptr)
        return;
    TInfoForm form(this);
    form.Dev = CurrentDevice();
    form.exec();
}

void TMainForm::ClearBtnClick()
{
    HistoryListBox->clear();
}

void TMainForm::SaveBtnClick()
{
    Dialogs::SaveOptions options;
    options.title = QStringLiteral("Save History");
    options.directory = QDir::currentPath();
    options.filter = QStringLiteral("Text Files (*.txt);;All Files (*.*)");
    options.defaultSuffix = QStringLiteral("txt");
    options.confirmOverwrite = false;
    const QString fileName = dialogs().saveFileName(this, options);
    if (fileName.isEmpty())
        return;

    QByteArray text;
    for (int i = 0; i < HistoryListBox->count(); ++i) {
        text += HistoryListBox->item(i)->text().toLocal8Bit();
        text += "\r\n";
    }
    // Written beside the target and renamed over it only when complete, so a
    // failed save never leaves a half-written history in place of a good one.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        dialogs().error(this, QStringLiteral("Cannot create file \"%1\". %2")
                                  .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    }
}

void TMainForm::sBitBtn1Click()
{
    showWindow(frmGSMNumbers);
}

void TMainForm::sBitBtn2Click()
{
    showWindow(frmADSettings);
}

void TMainForm::sBitBtn3Click()
{
    showWindow(frmCallPhonebook);
}

void TMainForm::btOutsClick()
{
    showWindow(frmIzlazi);
}

void TMainForm::btShowMemoryClick()
{
    showWindow(frmMemory);
}

void TMainForm::btAlarmiClick()
{
    showWindow(frmAlarmi);
}

void TMainForm::btDebugClick()
{
    showWindow(frmDebug);
}

} // namespace windows
