// The alarm settings window on the virtual bus with the imitation device:
// the analog alarm and digital-input groups, the chained read of the SMS
// texts and their acknowledged writes.

#include "Harness.h"

#include "windows/ADSettings.h"
#include "windows/Alarmi.h"
#include "windows/widgets/Gauge.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>
#include <vector>

using harness::bytes;
using harness::countCode;
using harness::Report;
using harness::reportsOf;
using harness::Tool;
using windows::TfrmAlarmi;
using windows::TMainForm;

namespace
{

using Reply = std::array<std::uint8_t, 64>;

void inject(TMainForm* form, const Reply& reply)
{
    form->ShowRead(form->CurrentDevice(), 0, reply.data(),
                   static_cast<std::uint16_t>(reply.size()));
}

class LocaleGuard
{
public:
    explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(m_saved); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

private:
    QLocale m_saved;
};

QLocale localeNamed(const QString& name)
{
    return name == QStringLiteral("sr")
               ? QLocale(QLocale::Serbian, QLocale::LatinScript, QLocale::Serbia)
               : QLocale::c();
}

QColor textColour(const QLineEdit* edit)
{
    return edit->palette().color(QPalette::Text);
}

const QString kMaxNotAboveMin = QStringLiteral("Maximalna vrednost mora biti VECA od Minimalne!");
const QString kNoAnswer = QStringLiteral("Nema odgovora iz uredjaja!");

} // namespace

class AlarmiTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void layoutKeepsCaptionsAndHiddenColumn();
    void analogAlarmWriteBytes_data();
    void analogAlarmWriteBytes();
    void analogAlarmWriteRefused_data();
    void analogAlarmWriteRefused();
    void analogAlarmReadBackInLocale_data();
    void analogAlarmReadBackInLocale();
    void analogAlarmReplyCustomTextsByte_data();
    void analogAlarmReplyCustomTextsByte();
    void digitalTriggersWriteAndReadBack();
    void digitalTriggersWriteRefusesBadDelay();
    void digitalTriggersReplyFlags_data();
    void digitalTriggersReplyFlags();
    void readAllTextsFillsBothWindows_data();
    void readAllTextsFillsBothWindows();
    void readAlarmTextsOnly();
    void chainWithWrongIndicesChangesNothingButEnds();
    void replyOutsideAChainOnlyFillsItsText();
    void writeBlockOfThreeLetters();
    void writeCutsToThirtyCharacters_data();
    void writeCutsToThirtyCharacters();
    void writeWithAllTextsEmptySendsNothing();
    void silentDeviceGivesOneMessagePerText();
    void textsOutsideTheDeviceCharacterSetAreRefused();
    void lengthColouring_data();
    void lengthColouring();
    void noDeviceDoesNothing();
};

void AlarmiTest::layoutKeepsCaptionsAndHiddenColumn()
{
    Tool tool(false);
    tool.start();
    TfrmAlarmi* w = windows::frmAlarmi;
    QCOMPARE(w->windowTitle(), QStringLiteral("Podešavanje alarmnih parametara"));
    QCOMPARE(w->btnGetDINTrigers->text(), QStringLiteral("Pročitaj "));
    QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("edANAlarmMaxVal")), w->edANAlarmMaxVal);
    QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("SetSMSs")), w->SetSMSs);
    QVERIFY(w->cbCustomANAlarmSMSs->toolTip().startsWith(QStringLiteral("Ukoliko je cekiran")));
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{w->sLabel2, w->sEdit3, w->sEdit4, w->sEdit6, w->sCheckBox5,
                                         w->gaSMSGauge1, w->gaSMSGauge2})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    QCOMPARE(w->gaSMSGauge1->maximum(), 100);
    QCOMPARE(w->gaSMSGauge1->progress(), 0);
    QCOMPARE(w->SMSNumbReadPointer, std::uint8_t{0});
}

void AlarmiTest::analogAlarmWriteBytes_data()
{
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QString>("count");
    QTest::addColumn<bool>("alarmOn");
    QTest::addColumn<bool>("custom");
    QTest::addColumn<QByteArray>("bytes4to16");

    QTest::newRow("limits 12.5 / 2.25")
        << "12.5"
        << "2.25"
        << "15"
        << "3" << true << false << QByteArray::fromHex("0001E848000057E4000F030100");
    QTest::newRow("negative minimum, repeat 300")
        << "0"
        << "-3.5"
        << "300"
        << "255" << false << true << QByteArray::fromHex("00000000FFFF7748012CFF0001");
    QTest::newRow("widths wrap: repeat 65836, count 256")
        << "1"
        << "-1"
        << "65836"
        << "256" << true << true << QByteArray::fromHex("00002710FFFFD8F0012C000101");
}

void AlarmiTest::analogAlarmWriteBytes()
{
    QFETCH(QString, maximum);
    QFETCH(QString, minimum);
    QFETCH(QString, repeat);
    QFETCH(QString, count);
    QFETCH(bool, alarmOn);
    QFETCH(bool, custom);
    QFETCH(QByteArray, bytes4to16);

    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->edANAlarmMaxVal->setText(maximum);
    w->edANAlarmMinVal->setText(minimum);
    w->edANVremePonavljanja->setText(repeat);
    w->edMaxSMSForSendind->setText(count);
    w->cbAN1AlarmOn->setChecked(alarmOn);
    w->cbCustomANAlarmSMSs->setChecked(custom);

    QTest::mouseClick(w->btSetAnalogAlarmSettings, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*tool.device, 'S', 'A').size(), std::size_t{1}, 5000);
    const Report report = reportsOf(*tool.device, 'S', 'A').front();
    QCOMPARE(report[3], std::uint8_t{'A'});
    QCOMPARE(bytes(report, 4, 16), bytes4to16);
    QCOMPARE(bytes(report, 17, 26), QByteArray(10, '\0'));
    QVERIFY(tool.dialogs.messages.empty());
}

void AlarmiTest::analogAlarmWriteRefused_data()
{
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");

    const QString info = QStringLiteral("information");
    const QString error = QStringLiteral("error");
    QTest::newRow("equal after scaling") << "1.00004"
                                         << "1.00001"
                                         << "1"
                                         << "1" << info << kMaxNotAboveMin;
    // Both halves go to the even neighbour, 0.
    QTest::newRow("equal after rounding") << "0.00005"
                                          << "-0.00005"
                                          << "0"
                                          << "0" << info << kMaxNotAboveMin;
    QTest::newRow("minimum above maximum") << "-1"
                                           << "2"
                                           << "1"
                                           << "1" << info << kMaxNotAboveMin;
    // The conversions come first: a bad field wins over limits in the wrong order.
    QTest::newRow("bad maximum") << "abc"
                                 << "5"
                                 << "1"
                                 << "1" << error << "'abc' is not a valid floating point value";
    QTest::newRow("bad minimum") << "1"
                                 << "5,5"
                                 << "1"
                                 << "1" << error << "'5,5' is not a valid floating point value";
    QTest::newRow("empty repeat") << "1"
                                  << "5"
                                  << ""
                                  << "1" << error << "'''' is not a valid integer value";
    QTest::newRow("decimal count") << "1"
                                   << "5"
                                   << "1"
                                   << "3.0" << error << "''3.0'' is not a valid integer value";
}

void AlarmiTest::analogAlarmWriteRefused()
{
    QFETCH(QString, maximum);
    QFETCH(QString, minimum);
    QFETCH(QString, repeat);
    QFETCH(QString, count);
    QFETCH(QString, kind);
    QFETCH(QString, message);

    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->edANAlarmMaxVal->setText(maximum);
    w->edANAlarmMinVal->setText(minimum);
    w->edANVremePonavljanja->setText(repeat);
    w->edMaxSMSForSendind->setText(count);

    const std::uint32_t sent = form->TxCnt;
    QTest::mouseClick(w->btSetAnalogAlarmSettings, Qt::LeftButton);

    QCOMPARE(form->TxCnt, sent);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    QCOMPARE(tool.dialogs.messages.front().kind, kind);
    QCOMPARE(tool.dialogs.messages.front().text, message);
    QCOMPARE(w->edANAlarmMaxVal->text(), maximum); // the fields stay as typed
    QCOMPARE(w->edANAlarmMinVal->text(), minimum);
}

void AlarmiTest::analogAlarmReadBackInLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<QString>("shownMaximum");
    QTest::addColumn<QString>("shownMinimum");

    QTest::newRow("full stop") << "C"
                               << "12.5"
                               << "-3.5"
                               << "12.5000"
                               << "-3.5000";
    QTest::newRow("comma") << "sr"
                           << "12,5"
                           << "-3,5"
                           << "12,5000"
                           << "-3,5000";
}

void AlarmiTest::analogAlarmReadBackInLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, maximum);
    QFETCH(QString, minimum);
    QFETCH(QString, shownMaximum);
    QFETCH(QString, shownMinimum);

    const LocaleGuard guard(localeNamed(locale));
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->edANAlarmMaxVal->setText(maximum);
    w->edANAlarmMinVal->setText(minimum);
    w->edANVremePonavljanja->setText(QStringLiteral("300"));
    w->edMaxSMSForSendind->setText(QStringLiteral("7"));
    w->cbAN1AlarmOn->setChecked(true);
    w->cbCustomANAlarmSMSs->setChecked(true);
    QTest::mouseClick(w->btSetAnalogAlarmSettings, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*tool.device, 'S', 'A').size(), std::size_t{1}, 5000);
    QVERIFY(tool.dialogs.messages.empty());

    for (QLineEdit* edit :
         {w->edANAlarmMaxVal, w->edANAlarmMinVal, w->edANVremePonavljanja, w->edMaxSMSForSendind})
        edit->clear();
    w->cbAN1AlarmOn->setChecked(false);
    w->cbCustomANAlarmSMSs->setChecked(false);
    QTest::mouseClick(w->btGetAnalogAlarmSettings, Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(w->edANAlarmMaxVal->text(), shownMaximum, 5000);
    QCOMPARE(w->edANAlarmMinVal->text(), shownMinimum);
    QCOMPARE(w->edANVremePonavljanja->text(), QStringLiteral("300"));
    QCOMPARE(w->edMaxSMSForSendind->text(), QStringLiteral("7"));
    QVERIFY(w->cbAN1AlarmOn->isChecked());
    QVERIFY(w->cbCustomANAlarmSMSs->isChecked());
    // The hidden channel-2 column is never filled.
    for (QLineEdit* edit : {w->sEdit3, w->sEdit4, w->sEdit6})
        QVERIFY(edit->text().isEmpty());
}

void AlarmiTest::analogAlarmReplyCustomTextsByte_data()
{
    QTest::addColumn<int>("byte15");
    QTest::addColumn<int>("byte16");
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("alarmOn");
    QTest::addColumn<bool>("custom");

    QTest::newRow("0 unticks") << 0 << 0 << true << false << false;
    QTest::newRow("1 ticks") << 1 << 1 << false << true << true;
    QTest::newRow("2 leaves ticked") << 2 << 2 << true << true << true;
    QTest::newRow("2 leaves unticked") << 0xFF << 2 << false << true << false;
}

void AlarmiTest::analogAlarmReplyCustomTextsByte()
{
    QFETCH(int, byte15);
    QFETCH(int, byte16);
    QFETCH(bool, before);
    QFETCH(bool, alarmOn);
    QFETCH(bool, custom);

    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->cbCustomANAlarmSMSs->setChecked(before);

    Reply reply{};
    reply[0] = 'G';
    reply[1] = 'A';
    reply[3] = 'A';
    const std::array<std::uint8_t, 11> values{0x00, 0x01, 0xE8, 0x48, 0xFF, 0xFF,
                                              0x77, 0x48, 0x01, 0x2C, 0x09};
    std::copy(values.begin(), values.end(), reply.begin() + 4);
    reply[15] = static_cast<std::uint8_t>(byte15);
    reply[16] = static_cast<std::uint8_t>(byte16);
    inject(form, reply);

    QCOMPARE(w->edANAlarmMaxVal->text(), QStringLiteral("12.5000"));
    QCOMPARE(w->edANAlarmMinVal->text(), QStringLiteral("-3.5000"));
    QCOMPARE(w->edANVremePonavljanja->text(), QStringLiteral("300"));
    QCOMPARE(w->edMaxSMSForSendind->text(), QStringLiteral("9"));
    QCOMPARE(w->cbAN1AlarmOn->isChecked(), alarmOn);
    QCOMPARE(w->cbCustomANAlarmSMSs->isChecked(), custom);
}

void AlarmiTest::digitalTriggersWriteAndReadBack()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->cbDINTr1->setChecked(false);
    w->cbDINTr2->setChecked(true);
    w->cbDINTr3->setChecked(true);
    w->edDebounceDelayDIN1->setText(QStringLiteral("255"));
    w->edDebounceDelayDIN2->setText(QStringLiteral("256"));
    w->edDebounceDelayDIN3->setText(QStringLiteral("7"));

    QTest::mouseClick(w->btnSetDINTrigers, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*tool.device, 'S', 'A').size(), std::size_t{1}, 5000);
    const Report report = reportsOf(*tool.device, 'S', 'A').front();
    QCOMPARE(bytes(report, 3, 9), QByteArray::fromHex("44000101FF0007"));
    QCOMPARE(bytes(report, 10, 26), QByteArray(17, '\0'));

    for (QLineEdit* edit : {w->edDebounceDelayDIN1, w->edDebounceDelayDIN2, w->edDebounceDelayDIN3})
        edit->clear();
    w->cbDINTr2->setChecked(false);
    QTest::mouseClick(w->btnGetDINTrigers, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w->edDebounceDelayDIN1->text(), QStringLiteral("255"), 5000);
    QCOMPARE(w->edDebounceDelayDIN2->text(), QStringLiteral("0"));
    QCOMPARE(w->edDebounceDelayDIN3->text(), QStringLiteral("7"));
    QVERIFY(!w->cbDINTr1->isChecked());
    QVERIFY(w->cbDINTr2->isChecked());
    QVERIFY(w->cbDINTr3->isChecked());
}

void AlarmiTest::digitalTriggersWriteRefusesBadDelay()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->edDebounceDelayDIN1->setText(QStringLiteral("1"));
    w->edDebounceDelayDIN2->setText(QStringLiteral("2"));
    w->edDebounceDelayDIN3->setText(QStringLiteral("x"));

    const std::uint32_t sent = form->TxCnt;
    QTest::mouseClick(w->btnSetDINTrigers, Qt::LeftButton);
    QCOMPARE(form->TxCnt, sent);
    QCOMPARE(tool.dialogs.count(QStringLiteral("error"),
                                QStringLiteral("''x'' is not a valid integer value")),
             1);
}

void AlarmiTest::digitalTriggersReplyFlags_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("din1");
    QTest::addColumn<bool>("din2");
    QTest::addColumn<bool>("din3");

    QTest::newRow("0x05") << 0x05 << true << false << true;
    QTest::newRow("0x02") << 0x02 << false << true << false;
    QTest::newRow("high bits ignored") << 0xF8 << false << false << false;
}

void AlarmiTest::digitalTriggersReplyFlags()
{
    QFETCH(int, flags);
    QFETCH(bool, din1);
    QFETCH(bool, din2);
    QFETCH(bool, din3);

    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    // Every box starts the other way round.
    w->cbDINTr1->setChecked(!din1);
    w->cbDINTr2->setChecked(!din2);
    w->cbDINTr3->setChecked(!din3);

    Reply reply{};
    reply[0] = 'G';
    reply[1] = 'A';
    reply[3] = 'D';
    reply[4] = static_cast<std::uint8_t>(flags);
    reply[5] = 0;
    reply[6] = 128;
    reply[7] = 255;
    inject(form, reply);

    QCOMPARE(w->cbDINTr1->isChecked(), din1);
    QCOMPARE(w->cbDINTr2->isChecked(), din2);
    QCOMPARE(w->cbDINTr3->isChecked(), din3);
    QCOMPARE(w->edDebounceDelayDIN1->text(), QStringLiteral("0"));
    QCOMPARE(w->edDebounceDelayDIN2->text(), QStringLiteral("128"));
    QCOMPARE(w->edDebounceDelayDIN3->text(), QStringLiteral("255"));
}

void AlarmiTest::readAllTextsFillsBothWindows_data()
{
    QTest::addColumn<bool>("analogWindowShown");
    QTest::newRow("analog window hidden") << false;
    QTest::newRow("analog window shown") << true;
}

void AlarmiTest::readAllTextsFillsBothWindows()
{
    QFETCH(bool, analogWindowShown);

    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    if (analogWindowShown)
        QTest::mouseClick(form->sBitBtn2, Qt::LeftButton);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->show();

    QTest::mouseClick(w->GetSMSs, Qt::LeftButton);
    QVERIFY(w->gaSMSGauge1->isVisible());
    QCOMPARE(w->gaSMSGauge1->maximum(), 5);

    QTRY_VERIFY_WITH_TIMEOUT(w->gaSMSGauge1->isHidden(), 5000);
    QVERIFY(w->gaSMSGauge2->isHidden());
    QCOMPARE(w->SMSNumbReadPointer, std::uint8_t{9});
    const QLineEdit* edits[] = {w->edSMSDIN1_UP,
                                w->edSMSDIN2_UP,
                                w->edSMSDIN3_UP,
                                w->edSMSDIN1_DN,
                                w->edSMSDIN2_DN,
                                w->edSMSDIN3_DN,
                                windows::frmADSettings->edSMSAnalog1,
                                w->edSMSAlarmMax,
                                w->edSMSAlarmMin};
    const char* expected[] = {
        "Ulaz 1 aktiviran",   "Ulaz 2 aktiviran",       "Ulaz 3 aktiviran",
        "Ulaz 1 deaktiviran", "Ulaz 2 deaktiviran",     "Ulaz 3 deaktiviran",
        "Analogni ulaz",      "Alarm: iznad maksimuma", "Alarm: ispod minimuma"};
    for (std::size_t i = 0; i < std::size(edits); ++i)
        QCOMPARE(edits[i]->text(), QString::fromLatin1(expected[i]));
    QVERIFY(windows::frmADSettings->edSMSAnalog2->text().isEmpty());

    // One request per text, in order, and not one more.
    const auto requests = reportsOf(*tool.device, 'G', 'P');
    QCOMPARE(requests.size(), std::size_t{9});
    for (std::size_t i = 0; i < requests.size(); ++i)
        QCOMPARE(requests[i][3], static_cast<std::uint8_t>(i));
    QCOMPARE(w->gaSMSGauge1->progress(), 5); // the last progress, 9, shows as the maximum
}

void AlarmiTest::readAlarmTextsOnly()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;

    QTest::mouseClick(w->btSMSProcitaj, Qt::LeftButton);
    QVERIFY(!w->gaSMSGauge2->isHidden());
    QCOMPARE(w->gaSMSGauge2->maximum(), 8);
    QTRY_VERIFY_WITH_TIMEOUT(w->gaSMSGauge2->isHidden(), 5000);

    QCOMPARE(w->edSMSAlarmMax->text(), QStringLiteral("Alarm: iznad maksimuma"));
    QCOMPARE(w->edSMSAlarmMin->text(), QStringLiteral("Alarm: ispod minimuma"));
    QVERIFY(w->edSMSDIN1_UP->text().isEmpty());
    QVERIFY(windows::frmADSettings->edSMSAnalog1->text().isEmpty());
    const auto requests = reportsOf(*tool.device, 'G', 'P');
    QCOMPARE(requests.size(), std::size_t{2});
    QCOMPARE(requests[0][3], std::uint8_t{7});
    QCOMPARE(requests[1][3], std::uint8_t{8});
}

void AlarmiTest::chainWithWrongIndicesChangesNothingButEnds()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    device::Faults shifted;
    shifted.indexShift = 100;
    shifted.onlyFor = device::Code{'G', 'P'};
    tool.device->setFaults(shifted);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->edSMSDIN1_UP->setText(QStringLiteral("keep"));
    w->edSMSAlarmMin->setText(QStringLiteral("keep"));

    QTest::mouseClick(w->GetSMSs, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w->gaSMSGauge1->isHidden(), 5000);

    // The chain follows its own pointer, not the indices the device sends.
    QCOMPARE(reportsOf(*tool.device, 'G', 'P').size(), std::size_t{9});
    QCOMPARE(w->SMSNumbReadPointer, std::uint8_t{9});
    QCOMPARE(w->edSMSDIN1_UP->text(), QStringLiteral("keep"));
    QCOMPARE(w->edSMSAlarmMin->text(), QStringLiteral("keep"));
    QVERIFY(w->edSMSDIN2_UP->text().isEmpty());
}

void AlarmiTest::replyOutsideAChainOnlyFillsItsText()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;

    Reply reply{};
    reply[0] = 'G';
    reply[1] = 'P';
    reply[3] = 4;
    reply[4] = 0xE9; // é
    reply[5] = 'x';
    const std::uint32_t sent = form->TxCnt;
    inject(form, reply);

    QCOMPARE(w->edSMSDIN2_DN->text(), QStringLiteral("éx"));
    QCOMPARE(form->TxCnt, sent); // no request follows an answer nobody asked for
    QVERIFY(w->gaSMSGauge1->isHidden());
}

void AlarmiTest::writeBlockOfThreeLetters()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->edSMSDIN1_DN->setText(QStringLiteral("abc"));

    QTest::mouseClick(w->SetSMSs, Qt::LeftButton);

    QVERIFY(w->gaSMSGauge1->isHidden());
    QVERIFY(!w->WaitForOk);
    QVERIFY(tool.dialogs.messages.empty());
    const auto writes = reportsOf(*tool.device, 'S', 'P');
    QCOMPARE(writes.size(), std::size_t{1});
    QCOMPARE(bytes(writes[0], 0, 6), QByteArray::fromHex("00535003616263"));
    QCOMPARE(bytes(writes[0], 7, 34), QByteArray(28, '\0'));
    QCOMPARE(w->gaSMSGauge1->progress(), 6);

    // The device took it: a read brings it back.
    w->edSMSDIN1_DN->clear();
    QTest::mouseClick(w->GetSMSs, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w->gaSMSGauge1->isHidden(), 5000);
    QCOMPARE(w->edSMSDIN1_DN->text(), QStringLiteral("abc"));
}

void AlarmiTest::writeCutsToThirtyCharacters_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("30 characters") << 30;
    QTest::newRow("31 characters") << 31;
}

void AlarmiTest::writeCutsToThirtyCharacters()
{
    QFETCH(int, length);

    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    QString text;
    for (int i = 0; i < length; ++i)
        text.append(QChar(u'A' + i % 26));
    w->edSMSAlarmMax->setText(text);

    QTest::mouseClick(w->btSMSUpisi, Qt::LeftButton);

    QVERIFY(w->gaSMSGauge2->isHidden());
    QCOMPARE(w->gaSMSGauge2->maximum(), 3);
    QVERIFY(tool.dialogs.messages.empty());
    const auto writes = reportsOf(*tool.device, 'S', 'P');
    QCOMPARE(writes.size(), std::size_t{1}); // the empty minimum text is not sent
    QCOMPARE(writes[0][3], std::uint8_t{7});
    QCOMPARE(bytes(writes[0], 4, 33), text.left(30).toLatin1());
    QCOMPARE(writes[0][34], std::uint8_t{0});
}

void AlarmiTest::writeWithAllTextsEmptySendsNothing()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;

    const std::uint32_t sent = form->TxCnt;
    QTest::mouseClick(w->SetSMSs, Qt::LeftButton);

    QCOMPARE(form->TxCnt, sent);
    QVERIFY(tool.dialogs.messages.empty());
    QVERIFY(w->gaSMSGauge1->isHidden());
    QVERIFY(!w->WaitForOk);
}

void AlarmiTest::silentDeviceGivesOneMessagePerText()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    device::Faults silent;
    silent.silent = true;
    silent.onlyFor = device::Code{'S', 'P'};
    tool.device->setFaults(silent);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->edSMSAlarmMax->setText(QStringLiteral("gore"));
    w->edSMSAlarmMin->setText(QStringLiteral("dole"));

    QTest::mouseClick(w->btSMSUpisi, Qt::LeftButton);

    QCOMPARE(tool.dialogs.count(QStringLiteral("information"), kNoAnswer), 2);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 2);
    QVERIFY(w->gaSMSGauge2->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*tool.device, 'S', 'P').size(), std::size_t{2}, 5000);
}

void AlarmiTest::textsOutsideTheDeviceCharacterSetAreRefused()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmAlarmi* w = windows::frmAlarmi;
    w->edSMSDIN1_UP->setText(QStringLiteral("Otvorena vrata"));
    // č would travel as its low byte 0x0D, a line break in the SMS.
    w->edSMSDIN3_DN->setText(QStringLiteral("Ulaz isključen"));

    const std::uint32_t sent = form->TxCnt;
    QTest::mouseClick(w->SetSMSs, Qt::LeftButton);
    QCOMPARE(form->TxCnt, sent);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    QCOMPARE(tool.dialogs.messages.front().kind, QStringLiteral("error"));
    QVERIFY(tool.dialogs.messages.front().text.contains(QStringLiteral("Ulaz isključen")));
    QVERIFY(w->gaSMSGauge1->isHidden());

    // Latin-1 letters fit in one byte each and go out as they are.
    w->edSMSDIN3_DN->setText(QStringLiteral("café"));
    QTest::mouseClick(w->SetSMSs, Qt::LeftButton);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    const auto writes = reportsOf(*tool.device, 'S', 'P');
    QCOMPARE(writes.size(), std::size_t{2});
    QCOMPARE(bytes(writes[1], 3, 8), QByteArray::fromHex("05636166E900"));
}

void AlarmiTest::lengthColouring_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("coloured");

    for (const char* name : {"edSMSDIN1_UP", "edSMSDIN2_UP", "edSMSDIN3_UP", "edSMSDIN1_DN",
                             "edSMSDIN2_DN", "edSMSDIN3_DN"})
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    QTest::newRow("edSMSAlarmMax has no colouring") << QStringLiteral("edSMSAlarmMax") << false;
}

void AlarmiTest::lengthColouring()
{
    QFETCH(QString, edit);
    QFETCH(bool, coloured);

    Tool tool(false);
    tool.start();
    auto* field = windows::frmAlarmi->findChild<QLineEdit*>(edit);
    QVERIFY(field != nullptr);
    windows::frmAlarmi->show();
    const QColor initial = textColour(field);

    QTest::keyClicks(field, QString(30, QLatin1Char('x')));
    QCOMPARE(textColour(field), coloured ? QColor(0, 0, 0) : initial);
    QTest::keyClick(field, Qt::Key_Y);
    QCOMPARE(field->text().size(), qsizetype{31}); // nothing is cut while editing
    QCOMPARE(textColour(field), coloured ? QColor(255, 0, 0) : initial);
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(textColour(field), coloured ? QColor(0, 0, 0) : initial);
}

void AlarmiTest::noDeviceDoesNothing()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    TfrmAlarmi* w = windows::frmAlarmi;
    // Fields that would fail conversion: with no device nothing gets that far.
    w->edANAlarmMaxVal->setText(QStringLiteral("x"));
    w->edDebounceDelayDIN1->setText(QStringLiteral("x"));
    w->edSMSDIN1_UP->setText(QStringLiteral("tekst"));
    w->edSMSAlarmMax->setText(QStringLiteral("tekst"));

    for (QPushButton* button :
         {w->btGetAnalogAlarmSettings, w->btSetAnalogAlarmSettings, w->btnGetDINTrigers,
          w->btnSetDINTrigers, w->GetSMSs, w->SetSMSs, w->btSMSProcitaj, w->btSMSUpisi})
        QTest::mouseClick(button, Qt::LeftButton);

    QVERIFY(tool.dialogs.messages.empty());
    QVERIFY(w->gaSMSGauge1->isHidden());
    QVERIFY(w->gaSMSGauge2->isHidden());
    QVERIFY(!w->WaitForOk);
    QCOMPARE(form->TxCnt, std::uint32_t{0});
}

QTEST_MAIN(AlarmiTest)
#include "AlarmiTest.moc"
