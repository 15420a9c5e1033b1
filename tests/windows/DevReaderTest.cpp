// The main window on the virtual bus with the imitation device: start-up,
// device connection, sending, reply dispatch, dashboard, timer and history.

#include "Harness.h"

#include "windows/ADSettings.h"
#include "windows/Alarmi.h"
#include "windows/CallPhonebook.h"
#include "windows/Debug.h"
#include "windows/GSMNumbers.h"
#include "windows/Izlazi.h"
#include "windows/Memory.h"
#include "windows/widgets/Gauge.h"
#include "windows/widgets/Shape.h"
#include "windows/widgets/StatusBar.h"

#include "link/connection/DeviceConnection.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <array>
#include <cerrno>

using harness::countCode;
using harness::lines;
using harness::Tool;
using windows::TMainForm;

namespace
{

using Reply = std::array<std::uint8_t, 64>;

// A status reply laid out by its byte table; everything else zero.
Reply statusReply()
{
    Reply r{};
    r[0] = 'G';
    r[1] = 'S';
    return r;
}

void showRead(TMainForm* form, const Reply& reply, std::uint16_t size = 64)
{
    form->ShowRead(form->CurrentDevice(), 0, reply.data(), size);
}

QColor textColour(const QWidget* w)
{
    return w->palette().color(QPalette::WindowText);
}

bool isRed(const QFrame* panel)
{
    return panel->palette().color(QPalette::Window) == QColor(255, 0, 0);
}

} // namespace

class DevReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void startupFindsDeviceSendsFirmwareRequestAndPolls();
    void windowsAreCreatedHiddenAndShownModelessly();
    void deviceNames_data();
    void deviceNames();
    void twoMatchingInterfacesBothReachTheDispatcher();
    void unplugDeviceEmptiesCurrentDeviceAndSilencesButtons();
    void unplugOtherInterfaceReacquiresDevice();
    void failedWriteLogsOneSelectedLineAndCounts();
    void readErrorIsLogged();
    void replyWithoutBranchOnlyCounts_data();
    void replyWithoutBranchOnlyCounts();
    void firmwareReply();
    void acknowledgedWaitTimesOutOnceWhenSilent();
    void acknowledgedWaitReturnsOnAnswer();
    void goBootloaderUnticksAutomaticBeforeWriting();
    void goBootloaderAnsweredNoSendsNothing();
    void dashboardAppliesStatusReport();
    void dashboardFieldCases_data();
    void dashboardFieldCases();
    void calculatedValuesUseLocaleSeparator();
    void unchangedTextsAreNotSetAgain();
    void statusBarDoubleClickResetsCountersOnYes();
    void timerCountsDownAndWatchesMemoryRead();
    void saveHistoryWritesCrLfLines();
    void saveHistoryFailureKeepsOldFile();
    void gaugeClampsToItsRange();
};

void DevReaderTest::startupFindsDeviceSendsFirmwareRequestAndPolls()
{
    Tool tool;
    TMainForm* form = tool.start();

    QTRY_VERIFY_WITH_TIMEOUT(form->CurrentDevice() != nullptr, 5000);
    QVERIFY(form->VeltranoPresent());
    QCOMPARE(lines(form->DevListBox),
             QStringList({QStringLiteral("USB Optical Mouse"),
                          QStringLiteral("Veltrano 8 (Serial=VM8-SIM-0001)")}));
    QVERIFY(lines(form->HistoryListBox).contains(QStringLiteral("Arrival of USB Optical Mouse")));
    QVERIFY(lines(form->HistoryListBox)
                .contains(QStringLiteral("Arrival of Veltrano 8 (Serial=VM8-SIM-0001)")));

    // "GF" is the first thing the device hears, then "GS" every tick.
    QTRY_VERIFY_WITH_TIMEOUT(tool.device->receivedCount() >= 1, 5000);
    const auto first = tool.device->receivedReports().front();
    QCOMPARE(first.size(), std::size_t{65});
    QCOMPARE(first[0], std::uint8_t{0});
    QCOMPARE(first[1], std::uint8_t{'G'});
    QCOMPARE(first[2], std::uint8_t{'F'});
    QTRY_VERIFY_WITH_TIMEOUT(countCode(*tool.device, 'G', 'S') >= 10, 5000);
    QVERIFY(form->cbGetStatusAuto->isChecked());

    // The dashboard shows the device as present and its status.
    QTRY_COMPARE_WITH_TIMEOUT(form->StatusBar1->panelText(1), QStringLiteral("Uredjaj prisutan"),
                              5000);
    QVERIFY(form->sPanel1->isEnabled());
    QVERIFY(!isRed(form->sPanel1));
    QTRY_VERIFY_WITH_TIMEOUT(
        form->lbGSMSignal->text().startsWith(QStringLiteral("GSM Signal [RSSI:")), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(form->lbFirmwareInfo->text() != QStringLiteral("______"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(form->StatusBar1->panelText(2).startsWith(QStringLiteral("Tx/Rx: ")) &&
                                 form->RxCnt > 0,
                             5000);
    // The list is built when the handler is attached and again for the
    // controller's initial notification: one firmware request each.
    QTRY_COMPARE_WITH_TIMEOUT(countCode(*tool.device, 'G', 'F'), 2, 5000);
}

void DevReaderTest::windowsAreCreatedHiddenAndShownModelessly()
{
    Tool tool;
    TMainForm* form = tool.start();

    struct Case {
        QPushButton* button;
        QWidget* window;
        const char* title;
    };
    const Case cases[] = {
        {form->sBitBtn3, windows::frmCallPhonebook, "Call Numbers Phonebook"},
        {form->btOuts, windows::frmIzlazi, "Podešavanje izlaza"},
        {form->btShowMemory, windows::frmMemory, "Memory workbench"},
        {form->sBitBtn1, windows::frmGSMNumbers, "GSM Numbers"},
        {form->sBitBtn2, windows::frmADSettings, "AD Podešavanja"},
        {form->btAlarmi, windows::frmAlarmi, "Podešavanje alarmnih parametara"},
        {form->btDebug, windows::frmDebug, "Debug"},
    };
    QCOMPARE(form->windowTitle(), QStringLiteral("Veltrano Mini Setup"));
    for (const Case& c : cases) {
        QVERIFY(c.window != nullptr);
        QCOMPARE(c.window->windowTitle(), QString::fromUtf8(c.title));
        QVERIFY(!c.window->isVisible());
        QTest::mouseClick(c.button, Qt::LeftButton);
        QVERIFY(c.window->isVisible());
        QVERIFY(!c.window->isModal());
        c.window->close();
        QVERIFY(!c.window->isVisible());
        QVERIFY(c.window == windows::frmCallPhonebook || c.window != nullptr); // still alive
    }
    // The hidden controls stay hidden.
    for (QWidget* hidden :
         {static_cast<QWidget*>(form->btHIDInfo), static_cast<QWidget*>(form->btFirmwareInfo),
          static_cast<QWidget*>(form->DevListBox), static_cast<QWidget*>(form->HistoryListBox),
          static_cast<QWidget*>(form->ClearBtn), static_cast<QWidget*>(form->SaveBtn),
          static_cast<QWidget*>(form->lbADRaw2), static_cast<QWidget*>(form->lbADCh2Val)})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    QCOMPARE(form->findChild<QLabel*>(QStringLiteral("lbGSMSignal")), form->lbGSMSignal);
}

void DevReaderTest::deviceNames_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("vid");
    QTest::addColumn<int>("pid");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("exact product, no serial") << "Veltrano 8" << 0x1209 << 0x5656 << ""
                                              << "Veltrano 8" << true;
    QTest::newRow("no product: ids, serial suffix")
        << "" << 0x1234 << 0x00AB << "77"
        << "Device VID=1234 PID=00AB (Serial=77)" << false;
    QTest::newRow("lower case") << "veltrano 8" << 0x1209 << 0x5656 << ""
                                << "veltrano 8" << false;
    QTest::newRow("contained, followed by a zero") << "Veltrano 80" << 0x1209 << 0x5656 << ""
                                                   << "Veltrano 80" << true;
    QTest::newRow("match in the serial suffix") << "Gadget" << 0x1209 << 0x0001 << "Veltrano 8"
                                                << "Gadget (Serial=Veltrano 8)" << true;
}

void DevReaderTest::deviceNames()
{
    QFETCH(QString, product);
    QFETCH(int, vid);
    QFETCH(int, pid);
    QFETCH(QString, serial);
    QFETCH(QString, name);
    QFETCH(bool, matches);

    Tool tool(false);
    tool.bus.plug(harness::silentProfile(product.toStdU16String(), static_cast<std::uint16_t>(vid),
                                         static_cast<std::uint16_t>(pid), serial.toStdU16String()));
    TMainForm* form = tool.start();

    QTRY_COMPARE_WITH_TIMEOUT(lines(form->DevListBox), QStringList{name}, 5000);
    QCOMPARE(form->CurrentDevice() != nullptr, matches);
    QCOMPARE(form->VeltranoPresent(), matches);
    QCOMPARE(vms::link::IsToolDevice(name.toStdU16String()), matches);
}

void DevReaderTest::twoMatchingInterfacesBothReachTheDispatcher()
{
    Tool tool(false);
    auto first = std::make_shared<device::ImitationDevice>();
    const std::string firstId = tool.bus.plug(harness::veltranoProfile(first, u"A"));
    tool.deviceId = tool.bus.plug(harness::veltranoProfile(tool.device, u"B"));
    TMainForm* form = tool.start();

    QTRY_COMPARE_WITH_TIMEOUT(form->DevListBox->count(), 2, 5000);
    QVERIFY(form->CurrentDevice() != nullptr);
    // The later one is in use: it gets the polls.
    QTRY_VERIFY_WITH_TIMEOUT(countCode(*tool.device, 'G', 'S') >= 3, 5000);
    QCOMPARE(countCode(*first, 'G', 'S'), 0);
    QVERIFY(countCode(*first, 'G', 'F') >= 1);

    // The other one still has the reply handler: what it sends is counted.
    QVERIFY(tool.bus.waitForReaders(firstId, 1, std::chrono::seconds(5)));
    form->cbGetStatusAuto->setChecked(false);
    device::Faults silent;
    silent.silent = true;
    tool.device->setFaults(silent);
    QTest::qWait(300); // let replies already on the way land
    const std::uint32_t before = form->RxCnt;
    std::vector<std::uint8_t> report(65, 0);
    report[1] = 'G';
    report[2] = 'F';
    report[3] = 'X';
    tool.bus.input(firstId, report);
    QTRY_COMPARE_WITH_TIMEOUT(form->RxCnt, before + 1, 5000);
    QCOMPARE(form->lbFirmwareInfo->text(), QStringLiteral("X"));
}

void DevReaderTest::unplugDeviceEmptiesCurrentDeviceAndSilencesButtons()
{
    Tool tool;
    TMainForm* form = tool.start();
    QVERIFY(tool.settle());
    QTRY_VERIFY_WITH_TIMEOUT(form->sPanel1->isEnabled(), 5000);

    tool.bus.unplug(tool.deviceId);
    QTRY_VERIFY_WITH_TIMEOUT(form->CurrentDevice() == nullptr, 5000);
    QVERIFY(!form->VeltranoPresent());
    QVERIFY(!form->cbGetStatusAuto->isChecked());
    QCOMPARE(lines(form->DevListBox), QStringList{QStringLiteral("USB Optical Mouse")});
    QVERIFY(lines(form->HistoryListBox)
                .contains(QStringLiteral("Removal of Veltrano 8 (Serial=VM8-SIM-0001)")));
    QTRY_VERIFY_WITH_TIMEOUT(!form->sPanel1->isEnabled(), 5000);
    QVERIFY(isRed(form->sPanel1));
    QCOMPARE(form->StatusBar1->panelText(1), QStringLiteral("Uredjaj NIJE prisutan"));

    // Nothing goes out any more, whatever the user does.
    const std::uint32_t tx = form->TxCnt;
    tool.dialogs.confirmAnswers = {true};
    form->cbGetStatusAuto->setChecked(true);
    QTest::mouseClick(form->btGetStatus, Qt::LeftButton);
    QTest::mouseClick(form->btResetToBoot, Qt::LeftButton);
    form->btFirmwareInfo->click();
    form->btRele1TogleClick();
    QTest::qWait(350); // three ticks with "Automatic" ticked
    QCOMPARE(form->TxCnt, tx);
}

void DevReaderTest::unplugOtherInterfaceReacquiresDevice()
{
    Tool tool;
    TMainForm* form = tool.start();
    QVERIFY(tool.settle());
    QTRY_VERIFY_WITH_TIMEOUT(countCode(*tool.device, 'G', 'S') >= 2, 5000);
    const int gf = countCode(*tool.device, 'G', 'F');

    tool.bus.unplug(tool.mouseId);
    QTRY_VERIFY_WITH_TIMEOUT(
        lines(form->HistoryListBox).contains(QStringLiteral("Removal of USB Optical Mouse")), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(countCode(*tool.device, 'G', 'F'), gf + 1, 5000);
    QVERIFY(form->CurrentDevice() != nullptr);
    QVERIFY(form->cbGetStatusAuto->isChecked());
    QCOMPARE(lines(form->DevListBox),
             QStringList{QStringLiteral("Veltrano 8 (Serial=VM8-SIM-0001)")});
    // Polling goes on with the fresh device object.
    const int gs = countCode(*tool.device, 'G', 'S');
    QTRY_VERIFY_WITH_TIMEOUT(countCode(*tool.device, 'G', 'S') > gs + 2, 5000);
    QTest::qWait(200);
    QCOMPARE(countCode(*tool.device, 'G', 'F'), gf + 1);
}

void DevReaderTest::failedWriteLogsOneSelectedLineAndCounts()
{
    Tool tool(false);
    auto profile = harness::veltranoProfile(tool.device);
    profile.writeError = EIO;
    tool.bus.plug(profile);
    TMainForm* form = tool.start();
    QTRY_VERIFY_WITH_TIMEOUT(form->CurrentDevice() != nullptr, 5000);
    form->cbGetStatusAuto->setChecked(false);

    const int linesBefore = form->HistoryListBox->count();
    const std::uint32_t tx = form->TxCnt;
    form->btGetStatusClick();
    QCOMPARE(form->TxCnt, tx + 1);
    QCOMPARE(form->HistoryListBox->count(), linesBefore + 1);
    QCOMPARE(form->HistoryListBox->currentRow(), linesBefore);
    QCOMPARE(form->HistoryListBox->item(linesBefore)->text(),
             QStringLiteral("WRITE ERROR: Input/output error (5)"));
    QCOMPARE(tool.device->receivedCount(), std::size_t{0});
}

void DevReaderTest::readErrorIsLogged()
{
    Tool tool(false);
    auto profile = harness::veltranoProfile(tool.device);
    profile.openReadError = EACCES;
    tool.bus.plug(profile);
    TMainForm* form = tool.start();
    // Code in upper-case hexadecimal, the system's text without its full stop.
    QTRY_VERIFY_WITH_TIMEOUT(form->HistoryListBox->count() > 0 &&
                                 form->HistoryListBox->currentItem()->text() ==
                                     QStringLiteral("READ ERROR: Permission denied (D)"),
                             5000);
    QCOMPARE(vms::link::ErrorLine(u"READ ERROR", "No such device. \n", 19),
             std::u16string(u"READ ERROR: No such device (13)"));
}

void DevReaderTest::replyWithoutBranchOnlyCounts_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one byte") << QByteArray("G");
    QTest::newRow("lower case status") << QByteArray("gs\x05\x10", 4);
    QTest::newRow("mixed case status") << QByteArray("Gs\x05\x10", 4);
    QTest::newRow("action echo SO") << QByteArray("SO\x00T", 4);
    QTest::newRow("action echo SR") << QByteArray("SR\x00B", 4);
    QTest::newRow("GA with unknown sub-code") << QByteArray("GA\x00X", 4);
    QTest::newRow("GK with sub-code D") << QByteArray("GK\x00D", 4);
}

void DevReaderTest::replyWithoutBranchOnlyCounts()
{
    QFETCH(QByteArray, data);
    Tool tool(false);
    TMainForm* form = tool.start();
    const QString signal = form->lbGSMSignal->text();
    const QString firmware = form->lbFirmwareInfo->text();
    const std::uint32_t rx = form->RxCnt;

    form->ShowRead(nullptr, 0, reinterpret_cast<const std::uint8_t*>(data.constData()),
                   static_cast<std::uint16_t>(data.size()));
    QCOMPARE(form->RxCnt, rx + 1);
    QCOMPARE(form->lbGSMSignal->text(), signal);
    QCOMPARE(form->lbFirmwareInfo->text(), firmware);
    QCOMPARE(form->gaGSMSignal->value(), 5);
}

void DevReaderTest::firmwareReply()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    Reply r{};
    r[0] = 'G';
    r[1] = 'F';
    r[2] = 'V';
    r[3] = 0;
    r[4] = '1';
    r[62] = 0xE9; // é
    r[63] = 'Z';  // not part of the text
    showRead(form, r);
    QCOMPARE(form->lbFirmwareInfo->text(), QStringLiteral("V1é"));

    Reply empty{};
    empty[0] = 'G';
    empty[1] = 'F';
    showRead(form, empty);
    QCOMPARE(form->lbFirmwareInfo->text(), QString());
}

void DevReaderTest::acknowledgedWaitTimesOutOnceWhenSilent()
{
    Tool tool;
    TMainForm* form = tool.start();
    QVERIFY(tool.settle());
    device::Faults silentOnSN;
    silentOnSN.silent = true;
    silentOnSN.onlyFor = device::Code{'S', 'N'};
    tool.device->setFaults(silentOnSN);

    windows::frmGSMNumbers->WaitForOk = true;
    QElapsedTimer clock;
    clock.start();
    form->HIDSendCmd(u'S', u'N', {0, '1', '2'});
    const bool acknowledged = form->WaitForAcknowledge(windows::frmGSMNumbers->WaitForOk);
    const qint64 elapsed = clock.elapsed();

    QVERIFY(!acknowledged);
    QVERIFY2(elapsed >= 900, qPrintable(QString::number(elapsed)));
    // Ten ticks, with room for a loaded machine.
    QVERIFY2(elapsed <= 2000, qPrintable(QString::number(elapsed)));
    QCOMPARE(tool.dialogs.count(QStringLiteral("information"),
                                QStringLiteral("Nema odgovora iz uredjaja!")),
             1);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    // Polling went on during the wait.
    QVERIFY(form->cbGetStatusAuto->isChecked());
    QVERIFY(countCode(*tool.device, 'G', 'S') >= 5);
}

void DevReaderTest::acknowledgedWaitReturnsOnAnswer()
{
    Tool tool;
    TMainForm* form = tool.start();
    QVERIFY(tool.settle());

    windows::frmGSMNumbers->WaitForOk = true;
    QElapsedTimer clock;
    clock.start();
    form->HIDSendCmd(u'S', u'N', {0, '1', '2'});
    QVERIFY(form->WaitForAcknowledge(windows::frmGSMNumbers->WaitForOk));
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(tool.dialogs.messages.empty());

    // Each acknowledgement code clears its own window's flag only.
    windows::frmAlarmi->WaitForOk = true;
    windows::frmCallPhonebook->WaitForOk = true;
    Reply sp{};
    sp[0] = 'S';
    sp[1] = 'P';
    showRead(form, sp);
    QVERIFY(!windows::frmAlarmi->WaitForOk);
    QVERIFY(windows::frmCallPhonebook->WaitForOk);
    Reply sc{};
    sc[0] = 'S';
    sc[1] = 'C';
    showRead(form, sc);
    QVERIFY(!windows::frmCallPhonebook->WaitForOk);
}

void DevReaderTest::goBootloaderUnticksAutomaticBeforeWriting()
{
    Tool tool;
    TMainForm* form = tool.start();
    QVERIFY(tool.settle());

    std::uint32_t txWhenUnticked = 0;
    bool unticked = false;
    connect(form->cbGetStatusAuto, &QCheckBox::toggled, form, [&](bool on) {
        if (!on && !unticked) {
            unticked = true;
            txWhenUnticked = form->TxCnt;
        }
    });
    tool.dialogs.confirmAnswers = {true};
    const std::uint32_t tx = form->TxCnt;
    QTest::mouseClick(form->btResetToBoot, Qt::LeftButton);

    QVERIFY(unticked);
    QCOMPARE(txWhenUnticked, tx);
    QCOMPARE(form->TxCnt, tx + 1);
    QCOMPARE(tool.dialogs.messages.back().text,
             QStringLiteral("Da li zaista zelite da pokrenete BOOT mod na uredjaju? Ovaj mod je "
                            "potreban samo pri nadogradnji firmware-a uredjaja!"));
    QTRY_VERIFY_WITH_TIMEOUT(countCode(*tool.device, 'S', 'R') == 1, 5000);
    const auto reports = tool.device->receivedReports();
    for (const auto& report : reports)
        if (report[1] == 'S' && report[2] == 'R')
            QCOMPARE(report[3], std::uint8_t{'B'});
}

void DevReaderTest::goBootloaderAnsweredNoSendsNothing()
{
    Tool tool;
    TMainForm* form = tool.start();
    QVERIFY(tool.settle());
    form->cbGetStatusAuto->setChecked(false);
    const std::uint32_t tx = form->TxCnt;
    tool.dialogs.confirmAnswers = {false};
    QTest::mouseClick(form->btResetToBoot, Qt::LeftButton);
    QCOMPARE(form->TxCnt, tx);
    QCOMPARE(tool.dialogs.messages.size(), std::size_t{1});
}

void DevReaderTest::dashboardAppliesStatusReport()
{
    Tool tool(false);
    TMainForm* form = tool.start();

    Reply r = statusReply();
    r[2] = 3;  // signal
    r[3] = 17; // RSSI
    r[4] = 1;
    r[5] = 0;
    r[6] = 7; // any non-zero is on
    r[7] = 1;
    r[8] = 0x12; // raw 1 = 0x1234
    r[9] = 0x34;
    r[10] = 0xFF; // raw 2 = 65535
    r[11] = 0xFF;
    r[12] = 0x01; // SMS sent 256
    r[13] = 0x00;
    r[14] = 0x00; // SMS received 9
    r[15] = 0x09;
    r[16] = 0x00; // 12345 -> 1.2345
    r[17] = 0x00;
    r[18] = 0x30;
    r[19] = 0x39;
    r[20] = 0x00; // 2 500 000 -> 250.0000
    r[21] = 0x26;
    r[22] = 0x25;
    r[23] = 0xA0;
    const char phone[] = "+381641234567";
    std::copy(phone, phone + 13, r.begin() + 24);
    for (int i = 0; i < 7; ++i)
        r[static_cast<std::size_t>(54 + i)] = static_cast<std::uint8_t>(10 + i);
    r[61] = 1;
    r[62] = 2;
    r[63] = 255;
    showRead(form, r);

    QCOMPARE(form->StatusDIN1, std::uint8_t{1});
    QCOMPARE(form->StatusDIN3, std::uint8_t{7});
    QCOMPARE(form->StatusOUT1, std::uint8_t{1});
    QCOMPARE(form->ADRawCH1, std::uint16_t{0x1234});
    QCOMPARE(form->ADRawCH2, std::uint16_t{65535});
    QCOMPARE(form->sLabel6->text(), QStringLiteral("+381641234567"));
    QCOMPARE(form->lbGSMSignal->text(), QStringLiteral("GSM Signal [RSSI: 17]"));
    QCOMPARE(form->gaGSMSignal->value(), 3);
    QCOMPARE(form->gaGSMSignal->text(), QStringLiteral("60%"));
    QCOMPARE(form->shapeDIN1->brushColor(), QColor(255, 255, 0));
    QCOMPARE(form->shapeDIN2->brushColor(), QColor(255, 255, 255));
    QCOMPARE(form->shapeDIN3->brushColor(), QColor(255, 255, 0));
    QCOMPARE(form->shapeLEDRele->brushColor(), QColor(0, 128, 0));
    QCOMPARE(form->lbADRaw1->text(), QStringLiteral("4660"));
    QCOMPARE(form->lbADRaw2->text(), QStringLiteral("65535"));
    QCOMPARE(form->lbSMSTx->text(), QStringLiteral("256"));
    QCOMPARE(form->lbSMSRx->text(), QStringLiteral("9"));
    QCOMPARE(form->lbADCh1Val->text(), QStringLiteral("1.2345"));
    QCOMPARE(form->lbADCh2Val->text(), QStringLiteral("250.0000"));
    QCOMPARE(form->lbNetworkState->text(), QStringLiteral("HOME_NETWORK"));
    QCOMPARE(textColour(form->lbNetworkState), QColor(0, 128, 0));
    QCOMPARE(form->lbCallFuncEnabled->text(), QStringLiteral("Ukljucena"));

    // The other windows are written while hidden.
    QVERIFY(!windows::frmDebug->isVisible());
    const QLineEdit* debug[] = {windows::frmDebug->sEdit1, windows::frmDebug->sEdit2,
                                windows::frmDebug->sEdit3, windows::frmDebug->sEdit4,
                                windows::frmDebug->sEdit5, windows::frmDebug->sEdit6,
                                windows::frmDebug->sEdit7};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(debug[i]->text(), QString::number(10 + i));
    QCOMPARE(windows::frmDebug->sEdit9->text(), QStringLiteral("255"));
    QVERIFY(!windows::frmCallPhonebook->panCallNumbers->isHidden());
    QVERIFY(windows::frmCallPhonebook->panCallNumbers->isEnabled());

    // Relay and inputs go back to white, the call function off hides the panel.
    Reply off = statusReply();
    showRead(form, off);
    QCOMPARE(form->shapeDIN1->brushColor(), QColor(255, 255, 255));
    QCOMPARE(form->shapeLEDRele->brushColor(), QColor(255, 255, 255));
    QCOMPARE(form->lbCallFuncEnabled->text(), QStringLiteral("Iskljucena"));
    QVERIFY(windows::frmCallPhonebook->panCallNumbers->isHidden());
    QVERIFY(!windows::frmCallPhonebook->panCallNumbers->isEnabled());
    QCOMPARE(form->lbNetworkState->text(), QStringLiteral("NOT_REGISTERED"));
    QCOMPARE(textColour(form->lbNetworkState), QColor(255, 0, 0));
}

void DevReaderTest::dashboardFieldCases_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour"); // invalid: not checked

    QTest::newRow("phone starts with zero") << 24
                                            << QByteArray("\x00"
                                                          "123",
                                                          4)
                                            << "sLabel6"
                                            << "" << QColor();
    QTest::newRow("phone of sixteen characters")
        << 24 << QByteArray("0123456789ABCDEF") << "sLabel6"
        << "0123456789ABCDEF" << QColor();
    QTest::newRow("network searching") << 61 << QByteArray("\x03", 1) << "lbNetworkState"
                                       << "SEARCHING..." << QColor(128, 0, 128);
    QTest::newRow("network roaming") << 61 << QByteArray("\x02", 1) << "lbNetworkState"
                                     << "ROAMING_NETWORK" << QColor(0, 128, 0);
    QTest::newRow("network 7 undefined") << 61 << QByteArray("\x07", 1) << "lbNetworkState"
                                         << "UNDEFINED!?" << QColor(255, 0, 0);
    QTest::newRow("calculated -1") << 16 << QByteArray("\xFF\xFF\xFF\xFF", 4) << "lbADCh1Val"
                                   << "-0.0001" << QColor();
    QTest::newRow("calculated -5 on channel 2")
        << 20 << QByteArray("\xFF\xFF\xFF\xFB", 4) << "lbADCh2Val"
        << "-0.0005" << QColor();
    QTest::newRow("calculated 0") << 16 << QByteArray() << "lbADCh1Val"
                                  << "0.0000" << QColor();
}

void DevReaderTest::dashboardFieldCases()
{
    QFETCH(int, index);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QColor, colour);

    Tool tool(false);
    TMainForm* form = tool.start();
    Reply r = statusReply();
    std::copy(bytes.begin(), bytes.end(), r.begin() + index);
    showRead(form, r);

    auto* label = form->findChild<QLabel*>(control);
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), text);
    if (colour.isValid())
        QCOMPARE(textColour(label), colour);
}

void DevReaderTest::calculatedValuesUseLocaleSeparator()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Reply r = statusReply();
    r[16] = 0xFF;
    r[17] = 0xFF;
    r[18] = 0xCF;
    r[19] = 0xC7; // -12345
    showRead(form, r);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(form->lbADCh1Val->text(), QStringLiteral("-1,2345"));
}

void DevReaderTest::unchangedTextsAreNotSetAgain()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    QSignalSpy edit1(windows::frmDebug->sEdit1, &QLineEdit::textChanged);
    QSignalSpy panel(form->gaGSMSignal, &QProgressBar::valueChanged);
    Reply r = statusReply();
    r[2] = 2;
    r[54] = 5;
    showRead(form, r);
    showRead(form, r);
    QCOMPARE(edit1.count(), 1);
    QCOMPARE(panel.count(), 1);
    r[54] = 0;
    showRead(form, r);
    QCOMPARE(edit1.count(), 2);
}

void DevReaderTest::statusBarDoubleClickResetsCountersOnYes()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    form->TxCnt = 12;
    form->RxCnt = 7;

    tool.dialogs.confirmAnswers = {false, true};
    QTest::mouseDClick(form->StatusBar1, Qt::LeftButton);
    QCOMPARE(tool.dialogs.messages.back().text,
             QStringLiteral("Da li zelite da obrisete brojace?"));
    QCOMPARE(tool.dialogs.messages.back().title, QStringLiteral("Confirm"));
    QCOMPARE(form->TxCnt, 12u);
    QCOMPARE(form->RxCnt, 7u);

    // Where the user clicks: on a panel's text.
    auto* panel = form->StatusBar1->findChild<QLabel*>(QStringLiteral("StatusBarPanel2"));
    QVERIFY(panel != nullptr);
    QTest::mouseDClick(panel, Qt::LeftButton);
    QCOMPARE(form->TxCnt, 0u);
    QCOMPARE(form->RxCnt, 0u);
    QTRY_COMPARE_WITH_TIMEOUT(form->StatusBar1->panelText(2), QStringLiteral("Tx/Rx: 0/0"), 2000);
}

void DevReaderTest::timerCountsDownAndWatchesMemoryRead()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    form->Timer1->stop(); // ticks by hand from here

    form->TimeOut = 0;
    form->Timer1Timer();
    QCOMPARE(form->TimeOut, std::uint16_t{0});
    form->TimeOut = 2;
    form->Timer1Timer();
    QCOMPARE(form->TimeOut, std::uint16_t{1});

    windows::frmMemory->btReadMemory->setEnabled(false);
    windows::frmMemory->btSaveBin->setEnabled(false);
    windows::frmMemory->sGauge1->show();
    form->ReceiveMemoryPacketTimeOut = 2;
    form->Timer1Timer();
    QVERIFY(tool.dialogs.messages.empty());
    form->Timer1Timer();
    form->Timer1Timer();
    const QString text = QStringLiteral(
        "Doslo je do greske pri citanju memorije, molimo da citanje pokrenete ponovo.");
    QCOMPARE(tool.dialogs.count(QStringLiteral("information"), text), 1);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    QVERIFY(windows::frmMemory->btReadMemory->isEnabled());
    QVERIFY(windows::frmMemory->btSaveBin->isEnabled());
    QVERIFY(windows::frmMemory->sGauge1->isHidden());

    // No device: red, disabled, and "Automatic" sends nothing.
    QVERIFY(form->cbGetStatusAuto->isChecked());
    QCOMPARE(form->TxCnt, 0u);
    QVERIFY(isRed(form->sPanel1));
    QVERIFY(!form->sPanel1->isEnabled());
    QVERIFY(!form->btRele1Togle->isEnabled());
}

void DevReaderTest::saveHistoryWritesCrLfLines()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("history.txt"));

    // An empty list gives an empty file, replacing what was there.
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    tool.dialogs.saveNames = {path};
    form->ClearBtnClick();
    form->SaveBtnClick();
    QCOMPARE(QFileInfo(path).size(), 0);
    QCOMPARE(tool.dialogs.saveRequests.back().title, QStringLiteral("Save History"));
    QCOMPARE(tool.dialogs.saveRequests.back().defaultSuffix, QStringLiteral("txt"));
    QVERIFY(!tool.dialogs.saveRequests.back().confirmOverwrite);

    form->AddHistoryLine(QStringLiteral("Arrival of Veltrano 8"));
    form->AddHistoryLine(QStringLiteral("Removal of Uređaj č"));
    tool.dialogs.saveNames = {path};
    form->SaveBtnClick();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Arrival of Veltrano 8\r\nRemoval of Uređaj č\r\n"));
    file.close();

    // Cancelling writes nothing.
    form->ClearBtnClick();
    QCOMPARE(form->HistoryListBox->count(), 0);
    form->SaveBtnClick(); // no scripted name: cancelled
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Arrival of Veltrano 8\r\nRemoval of Uređaj č\r\n"));
}

void DevReaderTest::saveHistoryFailureKeepsOldFile()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no-such-folder/history.txt"));
    form->AddHistoryLine(QStringLiteral("line"));
    tool.dialogs.saveNames = {missing};
    form->SaveBtnClick();
    QCOMPARE(tool.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(tool.dialogs.messages.front().kind, QStringLiteral("error"));
    QVERIFY(!QFileInfo::exists(missing));
}

void DevReaderTest::gaugeClampsToItsRange()
{
    windows::Gauge gauge;
    gauge.setRange(0, 5);
    const std::pair<int, int> cases[] = {{3, 3}, {9, 5}, {0, 0}, {-2, 0}, {5, 5}};
    for (const auto& [in, shown] : cases) {
        gauge.setProgress(in);
        QCOMPARE(gauge.value(), shown);
    }
    gauge.setProgress(9);
    QCOMPARE(gauge.text(), QStringLiteral("100%"));
}

QTEST_MAIN(DevReaderTest)
#include "DevReaderTest.moc"
