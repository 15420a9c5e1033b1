// The analog input window on the virtual bus with the imitation device:
// coefficients read and written, the two-point calibration, and the analog
// input's SMS text.

#include "Harness.h"

#include "windows/ADSettings.h"
#include "windows/Alarmi.h"
#include "windows/widgets/Gauge.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <vector>

using harness::bytes;
using harness::countCode;
using harness::Report;
using harness::reportsOf;
using harness::Tool;
using windows::TfrmADSettings;
using windows::TMainForm;

namespace
{

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

void setCoefficients(TfrmADSettings* w, const QStringList& texts)
{
    const std::array edits{w->edKoefKCh1, w->edKoefNCh1,       w->edKoefKCh2,
                           w->edKoefNCh2, w->edADRawOffsetCh1, w->edADRawOffsetCh2};
    for (std::size_t i = 0; i < edits.size(); ++i)
        edits[i]->setText(texts.value(static_cast<qsizetype>(i)));
}

} // namespace

class ADSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void layoutShowsChannelOneOnly();
    void writeBytes_data();
    void writeBytes();
    void writeStopsAtFirstBadField_data();
    void writeStopsAtFirstBadField();
    void hiddenChannelTwoBlocksWriteUntilRead();
    void readShowsCoefficientsInLocale_data();
    void readShowsCoefficientsInLocale();
    void captureTakesLatestRawReading();
    void calculate_data();
    void calculate();
    void readTextSixOnly();
    void writeTextSixWaitsOnAlarmWindowFlag();
    void noDeviceSendsNothingButCalibrates();
};

void ADSettingsTest::layoutShowsChannelOneOnly()
{
    Tool tool(false);
    tool.start();
    TfrmADSettings* w = windows::frmADSettings;
    QCOMPARE(w->windowTitle(), QStringLiteral("AD Podešavanja"));
    QCOMPARE(w->btADCalcKN->text(), QStringLiteral("Izračunaj parametre"));
    QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("edKoefKCh1")), w->edKoefKCh1);
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             w->sLabel4, w->cbUseVoltageOUTCH2, w->sLabel9, w->edADRawOffsetCh2, w->sLabel5,
             w->edKoefKCh2, w->sLabel6, w->edKoefNCh2, w->edSMSAnalog2})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    for (QWidget* shown : std::initializer_list<QWidget*>{w->edKoefKCh1, w->btADZerro, w->sLabel10,
                                                          w->edSMSAnalog1, w->sBitBtn2})
        QVERIFY2(!shown->isHidden(), qPrintable(shown->objectName()));
}

void ADSettingsTest::writeBytes_data()
{
    QTest::addColumn<QStringList>("fields"); // K1 N1 K2 N2 offset1 offset2
    QTest::addColumn<bool>("voltage1");
    QTest::addColumn<bool>("voltage2");
    QTest::addColumn<QByteArray>("bytes4to26");

    QTest::newRow("K1 1.5, N1 -2, offset -512")
        << QStringList{"1.5", "-2", "1", "0", "-512", "0"} << true << false
        << QByteArray::fromHex("00003A98FFFFB1E00000271000000000FE000000010000");
    QTest::newRow("computed K to four places, offsets wrap to 16 bits")
        << QStringList{"0.0244200244200244", "0.00005", "-0.00015", "214748.3648", "40000", "-1"}
        << false << true << QByteArray::fromHex("000000F400000000FFFFFFFE800000009C40FFFF000100");
}

void ADSettingsTest::writeBytes()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, voltage1);
    QFETCH(bool, voltage2);
    QFETCH(QByteArray, bytes4to26);

    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmADSettings* w = windows::frmADSettings;
    setCoefficients(w, fields);
    w->cbUseVoltageOUTCH1->setChecked(voltage1);
    w->cbUseVoltageOUTCH2->setChecked(voltage2);

    QTest::mouseClick(w->btSetKoef, Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*tool.device, 'S', 'K').size(), std::size_t{1}, 5000);
    const Report report = reportsOf(*tool.device, 'S', 'K').front();
    QCOMPARE(report[3], std::uint8_t{'A'});
    QCOMPARE(bytes(report, 4, 26), bytes4to26);
    QVERIFY(tool.dialogs.messages.empty());
}

void ADSettingsTest::writeStopsAtFirstBadField_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("message");

    QTest::newRow("K1 before the offsets")
        << QStringList{"k", "0", "1", "0", "x", "0"} << "'k' is not a valid floating point value";
    QTest::newRow("N2 with a comma") << QStringList{"1", "0", "1", "0,5", "x", "0"}
                                     << "'0,5' is not a valid floating point value";
    QTest::newRow("offset 1 with decimals")
        << QStringList{"1", "0", "1", "0", "1.5", "y"} << "''1.5'' is not a valid integer value";
    QTest::newRow("offset 2 beyond 32 bits") << QStringList{"1", "0", "1", "0", "1", "4294967296"}
                                             << "''4294967296'' is not a valid integer value";
}

void ADSettingsTest::writeStopsAtFirstBadField()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, message);

    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmADSettings* w = windows::frmADSettings;
    setCoefficients(w, fields);

    const std::uint32_t sent = form->TxCnt;
    QTest::mouseClick(w->btSetKoef, Qt::LeftButton);

    QCOMPARE(form->TxCnt, sent);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    QCOMPARE(tool.dialogs.messages.front().kind, QStringLiteral("error"));
    QCOMPARE(tool.dialogs.messages.front().text, message);
}

void ADSettingsTest::hiddenChannelTwoBlocksWriteUntilRead()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmADSettings* w = windows::frmADSettings;
    w->edKoefKCh1->setText(QStringLiteral("2"));
    w->edKoefNCh1->setText(QStringLiteral("0"));
    w->edADRawOffsetCh1->setText(QStringLiteral("0"));

    QTest::mouseClick(w->btSetKoef, Qt::LeftButton);
    QCOMPARE(tool.dialogs.count(QStringLiteral("error"),
                                QStringLiteral("'' is not a valid floating point value")),
             1);

    // A read fills channel 2 (K2 1.0 in the device), which then goes back as read.
    QTest::mouseClick(w->btGetKoef, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w->edKoefKCh2->text(), QStringLiteral("1.0000"), 5000);
    w->edKoefKCh1->setText(QStringLiteral("2"));
    QTest::mouseClick(w->btSetKoef, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*tool.device, 'S', 'K').size(), std::size_t{1}, 5000);
    const Report report = reportsOf(*tool.device, 'S', 'K').front();
    QCOMPARE(bytes(report, 4, 7), QByteArray::fromHex("00004E20"));
    QCOMPARE(bytes(report, 12, 19), QByteArray::fromHex("0000271000000000"));
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
}

void ADSettingsTest::readShowsCoefficientsInLocale_data()
{
    QTest::addColumn<bool>("comma");
    QTest::addColumn<QString>("k1");
    QTest::addColumn<QString>("n1");

    QTest::newRow("full stop") << false << "0.0244"
                               << "-2.0000";
    QTest::newRow("comma") << true << "0,0244"
                           << "-2,0000";
}

void ADSettingsTest::readShowsCoefficientsInLocale()
{
    QFETCH(bool, comma);
    QFETCH(QString, k1);
    QFETCH(QString, n1);

    const LocaleGuard guard(comma ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c());
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmADSettings* w = windows::frmADSettings;
    // K as the calibration computes it; the device keeps four decimals.
    setCoefficients(
        w, {comma ? "0,0244200244200244" : "0.0244200244200244", "-2", "1", "0", "-100", "7"});
    w->cbUseVoltageOUTCH1->setChecked(false);
    w->cbUseVoltageOUTCH2->setChecked(true);
    QTest::mouseClick(w->btSetKoef, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*tool.device, 'S', 'K').size(), std::size_t{1}, 5000);
    QVERIFY(tool.dialogs.messages.empty());

    setCoefficients(w, {});
    w->cbUseVoltageOUTCH2->setChecked(false);
    w->cbUseVoltageOUTCH1->setChecked(true);
    QTest::mouseClick(w->btGetKoef, Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(w->edKoefKCh1->text(), k1, 5000);
    QCOMPARE(w->edKoefNCh1->text(), n1);
    QCOMPARE(w->edKoefKCh2->text(), comma ? QStringLiteral("1,0000") : QStringLiteral("1.0000"));
    QCOMPARE(w->edADRawOffsetCh1->text(), QStringLiteral("-100"));
    QCOMPARE(w->edADRawOffsetCh2->text(), QStringLiteral("7"));
    QVERIFY(!w->cbUseVoltageOUTCH1->isChecked());
    QVERIFY(w->cbUseVoltageOUTCH2->isChecked());
}

void ADSettingsTest::captureTakesLatestRawReading()
{
    {
        // No status has come: the reading is still 0.
        Tool tool(false);
        tool.start();
        QTest::mouseClick(windows::frmADSettings->btADZerro, Qt::LeftButton);
        QCOMPARE(windows::frmADSettings->edADZerro->text(), QStringLiteral("0"));
    }
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(form->ADRawCH1 != 0, 5000);
    TfrmADSettings* w = windows::frmADSettings;
    w->edADZerro->setText(QStringLiteral("typed"));
    QTest::mouseClick(w->btADZerro, Qt::LeftButton);
    QCOMPARE(w->edADZerro->text(), QString::number(form->ADRawCH1));
    form->ADRawCH1 = 65535;
    QTest::mouseClick(w->btADFullscale, Qt::LeftButton);
    QCOMPARE(w->edADFullScale->text(), QStringLiteral("65535"));
}

void ADSettingsTest::calculate_data()
{
    QTest::addColumn<QString>("zero");
    QTest::addColumn<QString>("fullScale");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("k");      // "keep": the edit keeps its text
    QTest::addColumn<QString>("offset"); // likewise
    QTest::addColumn<QString>("error");  // empty: no message

    QTest::newRow("100 / 4000 / 39") << "100"
                                     << "4000"
                                     << "39"
                                     << "0.01"
                                     << "-100"
                                     << "";
    QTest::newRow("fifteen digits") << "0"
                                    << "4095"
                                    << "100"
                                    << "0.0244200244200244"
                                    << "0"
                                    << "";
    QTest::newRow("full scale below zero") << "4000"
                                           << "100"
                                           << "39"
                                           << "-0.01"
                                           << "-4000"
                                           << "";
    QTest::newRow("value 0 over a falling span") << "4000"
                                                 << "100"
                                                 << "0"
                                                 << "0"
                                                 << "-4000"
                                                 << "";
    QTest::newRow("equal captures") << "2000"
                                    << "2000"
                                    << "39"
                                    << "keep"
                                    << "keep"
                                    << "Floating point division by zero";
    QTest::newRow("equal captures, value 0") << "2000"
                                             << "2000"
                                             << "0"
                                             << "keep"
                                             << "keep"
                                             << "Invalid floating point operation";
    QTest::newRow("zero capture with decimals") << "100.5"
                                                << "4100.5"
                                                << "40"
                                                << "0.01"
                                                << "keep"
                                                << "''100.5'' is not a valid integer value";
    QTest::newRow("bad full scale") << "100"
                                    << ""
                                    << "39"
                                    << "keep"
                                    << "keep"
                                    << "'' is not a valid floating point value";
    QTest::newRow("lowest zero capture") << "-2147483648"
                                         << "0"
                                         << "2147483648"
                                         << "1"
                                         << "2147483648"
                                         << "";
}

void ADSettingsTest::calculate()
{
    QFETCH(QString, zero);
    QFETCH(QString, fullScale);
    QFETCH(QString, value);
    QFETCH(QString, k);
    QFETCH(QString, offset);
    QFETCH(QString, error);

    Tool tool(false);
    tool.start();
    TfrmADSettings* w = windows::frmADSettings;
    w->edADZerro->setText(zero);
    w->edADFullScale->setText(fullScale);
    w->edVrednostPriFS->setText(value);
    w->edKoefKCh1->setText(QStringLiteral("keep"));
    w->edKoefNCh1->setText(QStringLiteral("N"));
    w->edADRawOffsetCh1->setText(QStringLiteral("keep"));

    QTest::mouseClick(w->btADCalcKN, Qt::LeftButton);

    QCOMPARE(w->edKoefKCh1->text(), k);
    QCOMPARE(w->edADRawOffsetCh1->text(), offset);
    QCOMPARE(w->edKoefNCh1->text(), QStringLiteral("N"));
    if (error.isEmpty()) {
        QVERIFY(tool.dialogs.messages.empty());
    } else {
        QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
        QCOMPARE(tool.dialogs.messages.front().kind, QStringLiteral("error"));
        QCOMPARE(tool.dialogs.messages.front().text, error);
    }
}

void ADSettingsTest::readTextSixOnly()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmADSettings* w = windows::frmADSettings;
    windows::TfrmAlarmi* alarmi = windows::frmAlarmi;

    // Still at 0 from start-up: the read must not run on into texts 1..8.
    QTest::mouseClick(w->sBitBtn1, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w->edSMSAnalog1->text(), QStringLiteral("Analogni ulaz"), 5000);
    QCOMPARE(reportsOf(*tool.device, 'G', 'P').size(), std::size_t{1});
    QCOMPARE(reportsOf(*tool.device, 'G', 'P').front()[3], std::uint8_t{6});
    QVERIFY(alarmi->edSMSDIN2_UP->text().isEmpty());
    QCOMPARE(alarmi->SMSNumbReadPointer, std::uint8_t{0});

    // A full chain afterwards still reads all nine.
    w->edSMSAnalog1->clear();
    QTest::mouseClick(alarmi->GetSMSs, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(alarmi->gaSMSGauge1->isHidden(), 5000);
    QCOMPARE(reportsOf(*tool.device, 'G', 'P').size(), std::size_t{10});
    QCOMPARE(w->edSMSAnalog1->text(), QStringLiteral("Analogni ulaz"));
    QCOMPARE(alarmi->edSMSAlarmMin->text(), QStringLiteral("Alarm: ispod minimuma"));
}

void ADSettingsTest::writeTextSixWaitsOnAlarmWindowFlag()
{
    Tool tool;
    TMainForm* form = tool.startSettled();
    QVERIFY(form != nullptr);
    TfrmADSettings* w = windows::frmADSettings;
    w->edSMSAnalog1->setText(QStringLiteral("Nivo"));

    QTest::mouseClick(w->sBitBtn2, Qt::LeftButton);

    QVERIFY(tool.dialogs.messages.empty());
    QVERIFY(!windows::frmAlarmi->WaitForOk);
    auto writes = reportsOf(*tool.device, 'S', 'P');
    QCOMPARE(writes.size(), std::size_t{1});
    QCOMPARE(bytes(writes[0], 3, 8), QByteArray::fromHex("064E69766F00"));

    // Silent device: one message; an empty text is not sent at all.
    device::Faults silent;
    silent.silent = true;
    silent.onlyFor = device::Code{'S', 'P'};
    tool.device->setFaults(silent);
    QTest::mouseClick(w->sBitBtn2, Qt::LeftButton);
    QCOMPARE(tool.dialogs.count(QStringLiteral("information"),
                                QStringLiteral("Nema odgovora iz uredjaja!")),
             1);
    w->edSMSAnalog1->clear();
    const std::uint32_t sent = form->TxCnt;
    QTest::mouseClick(w->sBitBtn2, Qt::LeftButton);
    QCOMPARE(form->TxCnt, sent);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
}

void ADSettingsTest::noDeviceSendsNothingButCalibrates()
{
    Tool tool(false);
    TMainForm* form = tool.start();
    TfrmADSettings* w = windows::frmADSettings;
    w->edSMSAnalog1->setText(QStringLiteral("tekst"));

    // Empty fields would fail conversion: with no device nothing gets that far.
    for (QPushButton* button : {w->btGetKoef, w->btSetKoef, w->sBitBtn1, w->sBitBtn2})
        QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(tool.dialogs.messages.empty());
    QVERIFY(!windows::frmAlarmi->WaitForOk);
    QCOMPARE(form->TxCnt, std::uint32_t{0});

    w->edADZerro->setText(QStringLiteral("100"));
    w->edADFullScale->setText(QStringLiteral("4000"));
    w->edVrednostPriFS->setText(QStringLiteral("39"));
    QTest::mouseClick(w->btADCalcKN, Qt::LeftButton);
    QCOMPARE(w->edKoefKCh1->text(), QStringLiteral("0.01"));
}

QTEST_MAIN(ADSettingsTest)
#include "ADSettingsTest.moc"
