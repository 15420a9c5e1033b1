// The GSM numbers window against the imitation device: chained read of the
// six numbers, acknowledged writes, and what the window makes of bad replies.

#include "Harness.h"

#include "windows/GSMNumbers.h"
#include "windows/widgets/Gauge.h"

#include "device/MemoryMap.h"
#include "link/Requests.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <array>
#include <string>
#include <vector>

using harness::countCode;
using harness::reportsOf;
using harness::Tool;
using windows::TfrmGSMNumbers;

namespace
{

const QString kNoAnswer = QStringLiteral("Nema odgovora iz uredjaja!");

TfrmGSMNumbers* shownWindow()
{
    TfrmGSMNumbers* form = windows::frmGSMNumbers;
    form->show();
    return form;
}

std::array<QLineEdit*, 6> edits(const TfrmGSMNumbers* form)
{
    std::array<QLineEdit*, 6> out{};
    for (int i = 0; i < 6; ++i) {
        out[static_cast<std::size_t>(i)] =
            form->findChild<QLineEdit*>(QStringLiteral("edGSMN%1").arg(i + 1));
    }
    return out;
}

// The number the device keeps under `index`, up to its first zero byte.
QString storedNumber(const device::ImitationDevice& dev, std::size_t index)
{
    const device::Memory memory = dev.memory();
    QString text;
    const std::size_t at =
        device::memory_map::GsmNumbers + index * device::memory_map::GsmNumberSize;
    for (std::size_t i = 0; i < device::memory_map::GsmNumberSize && memory[at + i] != 0; ++i)
        text += QChar(static_cast<char16_t>(memory[at + i]));
    return text;
}

std::vector<int> values(const QSignalSpy& spy)
{
    std::vector<int> out;
    for (const QList<QVariant>& args : spy)
        out.push_back(args.at(0).toInt());
    return out;
}

} // namespace

class GSMNumbersTest : public QObject
{
    Q_OBJECT

private slots:
    void windowLooksAsGiven();
    void readFillsTheSixEditsFromTheDevice();
    void replyIndexIsCheckedBeforeUse_data();
    void replyIndexIsCheckedBeforeUse();
    void repliesWithWrongIndicesStillEndTheRead();
    void writeSendsSixNumbersInOrder();
    void silentDeviceReportsEachNumberAndWriteEnds();
    void noDeviceSendsNothing();
    void numberTheDeviceCannotKeepIsRefused();
};

void GSMNumbersTest::windowLooksAsGiven()
{
    Tool tool(false);
    tool.start();
    TfrmGSMNumbers* form = windows::frmGSMNumbers;

    QCOMPARE(form->windowTitle(), QStringLiteral("GSM Numbers"));
    QVERIFY(form->windowFlags().testFlag(Qt::Window));
    QVERIFY(!form->isVisible());
    for (int i = 1; i <= 6; ++i) {
        auto* label = form->findChild<QLabel*>(QStringLiteral("sLabel%1").arg(i));
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(), QStringLiteral("GSM Broj %1:").arg(i));
        QVERIFY(label->font().bold());
        auto* edit = form->findChild<QLineEdit*>(QStringLiteral("edGSMN%1").arg(i));
        QVERIFY(edit != nullptr);
        const QColor base = edit->palette().color(QPalette::Base);
        QCOMPARE(base == QColor(255, 255, 128), i <= 2);
    }
    QCOMPARE(form->findChild<QPushButton*>(QStringLiteral("btGSMNRead"))->text(),
             QStringLiteral("Pročitaj"));
    QCOMPARE(form->findChild<QPushButton*>(QStringLiteral("btGSMNWrite"))->text(),
             QStringLiteral("Upiši"));
    auto* gauge = form->findChild<windows::Gauge*>(QStringLiteral("sGauge1"));
    QVERIFY(gauge != nullptr);
    QVERIFY(gauge->isHidden());
    QCOMPARE(gauge->maximum(), 100);
}

void GSMNumbersTest::readFillsTheSixEditsFromTheDevice()
{
    Tool tool;
    windows::TMainForm* main = tool.start();
    QVERIFY(tool.settle());
    // The sample device holds two numbers; give it all six.
    const QString numbers[] = {
        QStringLiteral("+381641234567"), QStringLiteral("+381631112223"),   QStringLiteral("0641"),
        QStringLiteral("+44 20 7946"),   QStringLiteral("123456789012345"), QStringLiteral("9")};
    for (std::uint8_t i = 2; i < 6; ++i)
        main->SendRequest(vms::link::requests::setGsmNumber(i, numbers[i].toStdU16String()));
    QTRY_VERIFY_WITH_TIMEOUT(storedNumber(*tool.device, 5) == numbers[5], 5000);

    TfrmGSMNumbers* form = shownWindow();
    for (QLineEdit* edit : edits(form))
        edit->setText(QStringLiteral("stale"));
    tool.device->clearLog();

    QTest::mouseClick(form->btGSMNRead, Qt::LeftButton);
    QVERIFY(form->sGauge1->isVisible());
    QCOMPARE(form->sGauge1->maximum(), 6);
    QTRY_VERIFY_WITH_TIMEOUT(form->sGauge1->isHidden(), 5000);

    for (std::size_t i = 0; i < 6; ++i)
        QCOMPARE(edits(form)[i]->text(), numbers[i]);
    // One request per number, indices 0..5 in order, each a GN frame.
    const auto requests = reportsOf(*tool.device, 'G', 'N');
    QCOMPARE(requests.size(), std::size_t{6});
    for (std::size_t i = 0; i < 6; ++i) {
        QCOMPARE(requests[i][3], static_cast<std::uint8_t>(i));
        for (std::size_t b = 4; b <= 26; ++b)
            QCOMPARE(requests[i][b], std::uint8_t{0});
    }
    QCOMPARE(form->GSMNumbReadPointer, std::uint8_t{6});
    QVERIFY(tool.dialogs.messages.empty());
}

void GSMNumbersTest::replyIndexIsCheckedBeforeUse_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<int>("edit"); // 0 for none

    QTest::newRow("first") << 0 << QByteArray("+381641234567") << 1;
    QTest::newRow("last") << 5 << QByteArray("064") << 6;
    QTest::newRow("16 characters shown whole") << 2 << QByteArray("1234567890123456") << 3;
    QTest::newRow("index 6") << 6 << QByteArray("666") << 0;
    QTest::newRow("index 7") << 7 << QByteArray("777") << 0;
    QTest::newRow("index 255") << 255 << QByteArray("255") << 0;
}

void GSMNumbersTest::replyIndexIsCheckedBeforeUse()
{
    QFETCH(int, index);
    QFETCH(QByteArray, number);
    QFETCH(int, edit);

    Tool tool(false);
    windows::TMainForm* main = tool.start();
    TfrmGSMNumbers* form = windows::frmGSMNumbers;
    for (QLineEdit* e : edits(form))
        e->setText(QStringLiteral("keep"));
    form->GSMNumbReadPointer = 2;

    std::array<std::uint8_t, 64> reply{};
    reply[0] = 'G';
    reply[1] = 'N';
    reply[2] = static_cast<std::uint8_t>(index);
    reply[3] = 0xEE; // not read
    std::copy(number.begin(), number.end(), reply.begin() + 4);
    main->ShowRead(nullptr, 0, reply.data(), 64);

    for (int i = 1; i <= 6; ++i) {
        const QString expected = i == edit ? QString::fromLatin1(number) : QStringLiteral("keep");
        QCOMPARE(edits(form)[static_cast<std::size_t>(i - 1)]->text(), expected);
    }
    // Every reply counts, whatever its index.
    QCOMPARE(form->GSMNumbReadPointer, std::uint8_t{3});
    QCOMPARE(form->sGauge1->value(), std::min(index + 1, form->sGauge1->maximum()));
}

void GSMNumbersTest::repliesWithWrongIndicesStillEndTheRead()
{
    Tool tool;
    tool.start();
    QVERIFY(tool.settle());
    device::Faults shifted;
    shifted.indexShift = 2;
    shifted.onlyFor = device::Code{'G', 'N'};
    tool.device->setFaults(shifted);
    tool.device->clearLog();

    TfrmGSMNumbers* form = shownWindow();
    for (QLineEdit* e : edits(form))
        e->setText(QStringLiteral("keep"));
    QSignalSpy progress(form->sGauge1, &QProgressBar::valueChanged);

    QTest::mouseClick(form->btGSMNRead, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(form->sGauge1->isHidden(), 5000);

    // Replies carry 2..7 for requests 0..5: 6 and 7 name no edit, yet the
    // read asks for 0..5 and ends after six replies.
    const auto requests = reportsOf(*tool.device, 'G', 'N');
    QCOMPARE(requests.size(), std::size_t{6});
    for (std::size_t i = 0; i < 6; ++i)
        QCOMPARE(requests[i][3], static_cast<std::uint8_t>(i));
    const QStringList expected = {QStringLiteral("keep"),        QStringLiteral("keep"),
                                  storedNumber(*tool.device, 0), storedNumber(*tool.device, 1),
                                  storedNumber(*tool.device, 2), storedNumber(*tool.device, 3)};
    for (std::size_t i = 0; i < 6; ++i)
        QCOMPARE(edits(form)[i]->text(), expected.at(static_cast<qsizetype>(i)));
    // The gauge follows the carried index (clamped), not the pointer.
    QCOMPARE(values(progress), (std::vector<int>{3, 4, 5, 6}));
}

void GSMNumbersTest::writeSendsSixNumbersInOrder()
{
    Tool tool;
    tool.start();
    QVERIFY(tool.settle());
    tool.device->clearLog();

    struct Case {
        QString text;
        std::string sent; // report bytes 4.. up to the first zero
    };
    const Case cases[] = {
        {QStringLiteral("+381641234567"), "+381641234567"},
        {QStringLiteral("123456789012345"), "123456789012345"},
        {QStringLiteral("12345678901234567890"), "123456789012345"},
        {QString(), ""},
        {QStringLiteral("0"), "0"},
        {QStringLiteral("+3816é"), "+3816\xE9"},
    };
    TfrmGSMNumbers* form = shownWindow();
    for (std::size_t i = 0; i < 6; ++i)
        edits(form)[i]->setText(cases[i].text);
    QSignalSpy progress(form->sGauge1, &QProgressBar::valueChanged);

    QTest::mouseClick(form->btGSMNWrite, Qt::LeftButton);

    QVERIFY(form->sGauge1->isHidden());
    QVERIFY(form->btGSMNRead->isEnabled());
    QVERIFY(form->btGSMNWrite->isEnabled());
    QVERIFY(tool.dialogs.messages.empty());
    // No read ran: the steps are shown against the initial maximum.
    QCOMPARE(form->sGauge1->maximum(), 100);
    QCOMPARE(values(progress), (std::vector<int>{1, 2, 3, 4, 5, 6}));

    const auto reports = reportsOf(*tool.device, 'S', 'N');
    QCOMPARE(reports.size(), std::size_t{6});
    for (std::size_t i = 0; i < 6; ++i) {
        const auto& r = reports[i];
        const std::string& sent = cases[i].sent;
        QCOMPARE(r[3], static_cast<std::uint8_t>(i));
        for (std::size_t c = 0; c < sent.size(); ++c)
            QCOMPARE(r[4 + c], static_cast<std::uint8_t>(sent[c]));
        if (sent.size() < 15)
            QCOMPARE(r[4 + sent.size()], std::uint8_t{0});
        if (sent.empty()) {
            for (std::size_t b = 4; b <= 26; ++b)
                QCOMPARE(r[b], std::uint8_t{0});
        }
        for (std::size_t b = 19; b <= 26; ++b)
            QCOMPARE(r[b], std::uint8_t{0});
        QCOMPARE(storedNumber(*tool.device, i),
                 QString::fromLatin1(sent.data(), static_cast<qsizetype>(sent.size())));
    }
    QVERIFY(!form->WaitForOk);
}

void GSMNumbersTest::silentDeviceReportsEachNumberAndWriteEnds()
{
    Tool tool;
    tool.start();
    QVERIFY(tool.settle());
    device::Faults silentOnSN;
    silentOnSN.silent = true;
    silentOnSN.onlyFor = device::Code{'S', 'N'};
    tool.device->setFaults(silentOnSN);
    tool.device->clearLog();

    TfrmGSMNumbers* form = shownWindow();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form->btGSMNWrite, Qt::LeftButton);
    const qint64 elapsed = clock.elapsed();

    // One second per number, with room for a loaded machine.
    QVERIFY2(elapsed >= 5400 && elapsed <= 9000, qPrintable(QString::number(elapsed)));
    QCOMPARE(tool.dialogs.count(QStringLiteral("information"), kNoAnswer), 6);
    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 6);
    QCOMPARE(countCode(*tool.device, 'S', 'N'), 6);
    QVERIFY(form->sGauge1->isHidden());
    QVERIFY(form->btGSMNWrite->isEnabled());
    QVERIFY(form->btGSMNRead->isEnabled());
}

void GSMNumbersTest::noDeviceSendsNothing()
{
    Tool tool(false);
    windows::TMainForm* main = tool.start();
    TfrmGSMNumbers* form = shownWindow();
    edits(form)[0]->setText(QStringLiteral("+381641234567"));

    QTest::mouseClick(form->btGSMNRead, Qt::LeftButton);
    QTest::mouseClick(form->btGSMNWrite, Qt::LeftButton);

    QVERIFY(form->sGauge1->isHidden());
    QVERIFY(!form->WaitForOk);
    QCOMPARE(main->TxCnt, 0u);
    QCOMPARE(tool.device->receivedCount(), std::size_t{0});
    QVERIFY(tool.dialogs.messages.empty());
    QCOMPARE(edits(form)[0]->text(), QStringLiteral("+381641234567"));
}

void GSMNumbersTest::numberTheDeviceCannotKeepIsRefused()
{
    Tool tool;
    windows::TMainForm* main = tool.startSettled();
    QVERIFY(main != nullptr);
    main->cbGetStatusAuto->setChecked(false);
    TfrmGSMNumbers* form = shownWindow();
    // č would reach the device as 0x0D.
    edits(form)[2]->setText(QStringLiteral("+381 64 č"));
    const std::uint32_t before = main->TxCnt;

    QTest::mouseClick(form->btGSMNWrite, Qt::LeftButton);

    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    QCOMPARE(tool.dialogs.messages.front().kind, QStringLiteral("error"));
    QVERIFY(tool.dialogs.messages.front().text.contains(QStringLiteral("č")));
    QCOMPARE(main->TxCnt, before);
    QVERIFY(form->sGauge1->isHidden());
}

QTEST_MAIN(GSMNumbersTest)
#include "GSMNumbersTest.moc"
