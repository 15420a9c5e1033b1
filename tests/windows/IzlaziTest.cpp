// The relay output window: reading and writing the relay's pulse period.

#include "Harness.h"

#include "windows/Izlazi.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <chrono>

using harness::countCode;
using harness::Tool;

namespace
{

const QString kRangeWarning = QStringLiteral("Period mora biti u granicama od 1 do 250!");

// The last report with this code in the device's log, or an empty one.
std::vector<std::uint8_t> lastReport(const device::ImitationDevice& dev, char a, char b)
{
    std::vector<std::uint8_t> found;
    for (const auto& report : dev.receivedReports())
        if (report.size() >= 3 && report[1] == a && report[2] == b)
            found = report;
    return found;
}

} // namespace

class IzlaziTest : public QObject
{
    Q_OBJECT

private slots:
    void looksAsDesigned();
    void editTakesTypedDigitsOnly();
    void write_data();
    void write();
    void readShowsWhatTheDeviceHolds();
    void replyShownInDecimal_data();
    void replyShownInDecimal();
};

void IzlaziTest::looksAsDesigned()
{
    windows::TfrmIzlazi form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Podešavanje izlaza"));
    QVERIFY(form.windowFlags() & Qt::Window);
    QCOMPARE(form.sLabel1->text(), QStringLiteral("Podešavanje držanja releja u puls modu:"));
    QCOMPARE(form.sLabel2->text(), QStringLiteral("x 100ms"));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("btReadRelayDelay"))->text(),
             QStringLiteral("Pročitaj"));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("btSetRelayDelay"))->text(),
             QStringLiteral("Upiši"));
    QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("edRelayDelay")), form.edRelayDelay);
}

void IzlaziTest::editTakesTypedDigitsOnly()
{
    windows::TfrmIzlazi form;
    form.show();
    QTest::keyClicks(form.edRelayDelay, QStringLiteral("1a -2,+5.x"));
    QCOMPARE(form.edRelayDelay->text(), QStringLiteral("125"));
}

void IzlaziTest::write_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("sentPeriod"); // -1: nothing sent
    QTest::addColumn<QString>("kind");   // message shown, if any
    QTest::addColumn<QString>("message");

    const QString none;
    const QString warning = QStringLiteral("warning");
    const QString error = QStringLiteral("error");
    QTest::newRow("1") << true << "1" << 0x01 << none << none;
    QTest::newRow("250") << true << "250" << 0xFA << none << none;
    QTest::newRow("leading zeros") << true << "007" << 7 << none << none;
    QTest::newRow("0") << true << "0" << -1 << warning << kRangeWarning;
    QTest::newRow("251") << true << "251" << -1 << warning << kRangeWarning;
    QTest::newRow("300") << true << "300" << -1 << warning << kRangeWarning;
    QTest::newRow("empty") << true << "" << -1 << error
                           << QStringLiteral("'''' is not a valid integer value");
    QTest::newRow("too large") << true << "99999999999" << -1 << error
                               << QStringLiteral("''99999999999'' is not a valid integer value");
    QTest::newRow("no device, in range") << false << "100" << -1 << none << none;
    QTest::newRow("no device, out of range") << false << "251" << -1 << warning << kRangeWarning;
    QTest::newRow("no device, empty")
        << false << "" << -1 << error << QStringLiteral("'''' is not a valid integer value");
}

void IzlaziTest::write()
{
    QFETCH(bool, device);
    QFETCH(QString, text);
    QFETCH(int, sentPeriod);
    QFETCH(QString, kind);
    QFETCH(QString, message);

    Tool tool(device);
    if (device) {
        QVERIFY(tool.startQuiet());
    } else {
        tool.bus.plug(harness::mouseProfile());
        tool.start();
        QVERIFY(windows::MainForm->CurrentDevice() == nullptr);
    }
    windows::TfrmIzlazi* form = windows::frmIzlazi;
    form->edRelayDelay->setText(text);
    const std::uint32_t before = windows::MainForm->TxCnt;

    QTest::mouseClick(form->btSetRelayDelay, Qt::LeftButton);

    if (kind.isEmpty()) {
        QVERIFY(tool.dialogs.messages.empty());
    } else {
        QCOMPARE(tool.dialogs.messages.size(), std::size_t{1});
        QCOMPARE(tool.dialogs.messages[0].kind, kind);
        QCOMPARE(tool.dialogs.messages[0].text, message);
    }
    QCOMPARE(form->edRelayDelay->text(), text); // the user's value stays to be corrected
    // Writes are synchronous: whatever was sent is counted by now.
    QCOMPARE(windows::MainForm->TxCnt - before, sentPeriod < 0 ? 0u : 1u);
    if (sentPeriod < 0)
        return;

    QTRY_COMPARE_WITH_TIMEOUT(countCode(*tool.device, 'S', 'O'), 1, 5000);
    const std::vector<std::uint8_t> report = lastReport(*tool.device, 'S', 'O');
    QCOMPARE(report.size(), std::size_t{65});
    QCOMPARE(report[3], std::uint8_t{'P'});
    QCOMPARE(int{report[4]}, sentPeriod);
    for (std::size_t i = 5; i <= 26; ++i)
        QCOMPARE(report[i], std::uint8_t{0});
}

void IzlaziTest::readShowsWhatTheDeviceHolds()
{
    Tool tool;
    QVERIFY(tool.startQuiet());
    windows::TfrmIzlazi* form = windows::frmIzlazi;

    form->edRelayDelay->setText(QStringLiteral("42"));
    QTest::mouseClick(form->btSetRelayDelay, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(countCode(*tool.device, 'S', 'O'), 1, 5000);

    form->edRelayDelay->clear();
    QTest::mouseClick(form->btReadRelayDelay, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(form->edRelayDelay->text(), QStringLiteral("42"), 5000);
    const std::vector<std::uint8_t> request = lastReport(*tool.device, 'G', 'O');
    QCOMPARE(request.size(), std::size_t{65});
    for (std::size_t i = 3; i <= 26; ++i)
        QCOMPARE(request[i], std::uint8_t{0});
    QVERIFY(tool.dialogs.messages.empty());
}

void IzlaziTest::replyShownInDecimal_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<QString>("shown");

    QTest::newRow("0") << 0 << "0";
    QTest::newRow("7") << 7 << "7";
    QTest::newRow("255, above the limit") << 255 << "255";
}

void IzlaziTest::replyShownInDecimal()
{
    QFETCH(int, period);
    QFETCH(QString, shown);

    Tool tool;
    QVERIFY(tool.startQuiet());
    QVERIFY(tool.bus.waitForReaders(tool.deviceId, 1, std::chrono::seconds(5)));
    windows::frmIzlazi->edRelayDelay->setText(QStringLiteral("99"));

    std::vector<std::uint8_t> report(65, 0);
    report[1] = 'G';
    report[2] = 'O';
    report[1 + 2] = 0xEE; // not read
    report[1 + 3] = static_cast<std::uint8_t>(period);
    tool.bus.input(tool.deviceId, report);
    QTRY_COMPARE_WITH_TIMEOUT(windows::frmIzlazi->edRelayDelay->text(), shown, 5000);
}

QTEST_MAIN(IzlaziTest)
#include "IzlaziTest.moc"
