// The debug window: the main-state names, the status report's values and the
// test SMS with its confirmation.

#include "Harness.h"

#include "windows/Debug.h"

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

const QString kConfirmText =
    QStringLiteral("Da li zaista zelite da posaljete na sve upisane brojeve TEST SMS poruku?");

// A status report (report ID first) whose main state byte is `mainState`.
std::vector<std::uint8_t> statusReport(std::uint8_t mainState)
{
    std::vector<std::uint8_t> report(65, 0);
    report[1] = 'G';
    report[2] = 'S';
    report[1 + 54] = mainState;
    return report;
}

} // namespace

class DebugTest : public QObject
{
    Q_OBJECT

private slots:
    void looksAsDesigned();
    void stateNames_data();
    void stateNames();
    void statusReportsFillTheEditsAndKeepTheLastName();
    void testSms_data();
    void testSms();
};

void DebugTest::looksAsDesigned()
{
    windows::TfrmDebug form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Debug"));
    QVERIFY(form.windowFlags() & Qt::Window);
    QCOMPARE(form.btSendSMS->text(), QStringLiteral("Send Test SMS to ALL"));
    QCOMPARE(form.btSendSMS->toolTip(),
             QStringLiteral("Na sve upisane brojeve telefona salje TEST SMS poruku"));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("btSendSMS")), form.btSendSMS);
    for (QLineEdit* edit : {form.sEdit1, form.sEdit2, form.sEdit3, form.sEdit4, form.sEdit5,
                            form.sEdit6, form.sEdit7, form.sEdit8, form.sEdit9}) {
        QVERIFY(edit->text().isEmpty());
        QVERIFY(!edit->isReadOnly());
        QCOMPARE(edit->palette().color(QPalette::Base), QColor(237, 245, 255));
        QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::black));
    }
    for (QLabel* label : {form.sLabel1, form.sLabel7})
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(66, 72, 80));
    QCOMPARE(form.sLabel8->text(), QStringLiteral("ANAlarmDebounceCntr"));
}

void DebugTest::stateNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byKeys");  // typed key by key, else set at once as a report does
    QTest::addColumn<QString>("name"); // empty: sEdit8 keeps what it had

    const char* names[] = {"STATE_START",
                           "STATE_IDLE",
                           "STATE_LIST_MESSAGES",
                           "STATE_RAPORT_SMS",
                           "STATE_GSM_SIGNAL",
                           "STATE_COLDSTART",
                           "STATE_UTRAPORT",
                           "STATE_INIT_RAPORT",
                           "STATE_GSM_SIM_CARD",
                           "STATE_GPRS_GET_STATE",
                           "STATE_GPRS_RAPORTING",
                           "STATE_GPRS_TRY_RECONNECT",
                           "STATE_GPRS_SEND_TEXT",
                           "STATE_GSM_SET_TXT_MODE",
                           "STATE_GSM_REGISTRATION",
                           "STATE_GSM_WAIT_FOR_CALL"};
    for (int state = 1; state <= 16; ++state)
        QTest::addRow("%d", state)
            << QString::number(state) << false << QString::fromLatin1(names[state - 1]);

    QTest::newRow("16 typed") << QStringLiteral("16") << true
                              << QStringLiteral("STATE_GSM_WAIT_FOR_CALL");
    QTest::newRow("leading zero typed") << QStringLiteral("016") << true << QString();
    QTest::newRow("leading blank typed") << QStringLiteral(" 16") << true << QString();
    QTest::newRow("trailing blank") << QStringLiteral("5 ") << false << QString();
    QTest::newRow("zero") << QStringLiteral("0") << false << QString();
    QTest::newRow("seventeen") << QStringLiteral("17") << false << QString();
    QTest::newRow("plus sign") << QStringLiteral("+3") << false << QString();
    QTest::newRow("letters") << QStringLiteral("abc") << false << QString();
}

void DebugTest::stateNames()
{
    QFETCH(QString, text);
    QFETCH(bool, byKeys);
    QFETCH(QString, name);

    windows::TfrmDebug form;
    form.show();
    form.sEdit8->setText(QStringLiteral("earlier"));
    if (byKeys)
        QTest::keyClicks(form.sEdit1, text);
    else
        form.sEdit1->setText(text);
    QCOMPARE(form.sEdit1->text(), text);
    QCOMPARE(form.sEdit8->text(), name.isEmpty() ? QStringLiteral("earlier") : name);
}

void DebugTest::statusReportsFillTheEditsAndKeepTheLastName()
{
    // A device that never answers by itself: every status report comes from
    // the test, through the HID read path.
    Tool tool(false);
    const std::string id =
        tool.bus.plug(harness::silentProfile(u"Veltrano 8", 0x1234, 0x5678, u"DBG-1"));
    windows::TMainForm* form = tool.start();
    QTRY_VERIFY_WITH_TIMEOUT(form->CurrentDevice() != nullptr, 5000);
    QVERIFY(tool.bus.waitForReaders(id, 1, std::chrono::seconds(5)));
    windows::TfrmDebug* debug = windows::frmDebug;
    QVERIFY(!debug->isVisible()); // filled whether shown or not

    std::vector<std::uint8_t> report = statusReport(5);
    for (std::size_t i = 0; i < 6; ++i)
        report[1 + 55 + i] = static_cast<std::uint8_t>(10 + i); // bytes 55..60
    report[1 + 63] = 255;
    tool.bus.input(id, report);
    QTRY_COMPARE_WITH_TIMEOUT(debug->sEdit1->text(), QStringLiteral("5"), 5000);
    QCOMPARE(debug->sEdit8->text(), QStringLiteral("STATE_GSM_SIGNAL"));
    const QLineEdit* rest[] = {debug->sEdit2, debug->sEdit3, debug->sEdit4,
                               debug->sEdit5, debug->sEdit6, debug->sEdit7};
    for (std::size_t i = 0; i < 6; ++i)
        QCOMPARE(rest[i]->text(), QString::number(10 + i));
    QCOMPARE(debug->sEdit9->text(), QStringLiteral("255"));

    tool.bus.input(id, statusReport(0));
    QTRY_COMPARE_WITH_TIMEOUT(debug->sEdit1->text(), QStringLiteral("0"), 5000);
    QCOMPARE(debug->sEdit8->text(), QStringLiteral("STATE_GSM_SIGNAL"));
    QCOMPARE(debug->sEdit2->text(), QStringLiteral("0"));
}

void DebugTest::testSms_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("sent");

    QTest::newRow("yes sends once") << true << true << 1;
    QTest::newRow("no sends nothing") << true << false << 0;
    QTest::newRow("yes without device") << false << true << 0;
}

void DebugTest::testSms()
{
    QFETCH(bool, device);
    QFETCH(bool, answer);
    QFETCH(int, sent);

    Tool tool(device);
    if (device) {
        QVERIFY(tool.startQuiet());
    } else {
        tool.bus.plug(harness::mouseProfile());
        tool.start();
        QVERIFY(windows::MainForm->CurrentDevice() == nullptr);
    }
    tool.dialogs.confirmAnswers.push_back(answer);
    const std::uint32_t before = windows::MainForm->TxCnt;

    QTest::mouseClick(windows::frmDebug->btSendSMS, Qt::LeftButton);

    QCOMPARE(tool.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(tool.dialogs.messages[0].kind, QStringLiteral("confirm"));
    QCOMPARE(tool.dialogs.messages[0].text, kConfirmText);
    QCOMPARE(tool.dialogs.messages[0].title, QStringLiteral("Confirm"));
    // Writes are synchronous: whatever was sent is counted by now.
    QCOMPARE(windows::MainForm->TxCnt - before, static_cast<std::uint32_t>(sent));
    if (sent == 0)
        return;

    QTRY_COMPARE_WITH_TIMEOUT(countCode(*tool.device, 'S', 'T'), 1, 5000);
    for (const auto& report : tool.device->receivedReports()) {
        if (report[1] == 'S' && report[2] == 'T') {
            QCOMPARE(report.size(), std::size_t{65});
            QCOMPARE(report[3], std::uint8_t{'S'});
            for (std::size_t i = 4; i <= 26; ++i)
                QCOMPARE(report[i], std::uint8_t{0});
        }
    }
}

QTEST_MAIN(DebugTest)
#include "DebugTest.moc"
