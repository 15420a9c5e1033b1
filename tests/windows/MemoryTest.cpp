// The memory workbench against the imitation device: the chained page read
// under its watchdog, the dump, saving the image and formatting.

#include "Harness.h"

#include "windows/Memory.h"
#include "windows/widgets/Gauge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <chrono>
#include <numeric>
#include <vector>

using harness::countCode;
using harness::lines;
using harness::Tool;
using windows::TfrmMemory;
using windows::TMainForm;

namespace
{

const QString kWatchdog =
    QStringLiteral("Doslo je do greske pri citanju memorije, molimo da citanje pokrenete ponovo.");
const QString kFormatQuestion = QStringLiteral(
    "Izvrsenjem ove komande SVI podaci i podesavanja iz uredjaja BICE OBRISANI. Da li zaista "
    "zelite da izvrsite ovu komandu?");
const QString kFormatNotice = QStringLiteral(
    "Formatiranje memorije je inicirano. Molimo da sacekate okvirno 1 minut. U toku formatiranja "
    "USB konekcija bice izgubljena, kada se formatiranje zavrsi konekcija ce biti obnovljena.");

// Writes reach the device on the bus's own thread. Polling goes on every
// tick, so once two more status requests are logged, anything sent before
// them has been logged too.
bool earlierWritesLogged(Tool& tool)
{
    const int polls = countCode(*tool.device, 'G', 'S');
    return QTest::qWaitFor([&] { return countCode(*tool.device, 'G', 'S') >= polls + 2; }, 5000);
}

TfrmMemory* shownWindow()
{
    windows::frmMemory->show();
    return windows::frmMemory;
}

QString cell(const TfrmMemory* form, int row, int column)
{
    const QTableWidgetItem* item = form->Grid1->item(row, column);
    return item != nullptr ? item->text() : QString();
}

// The dump as the user should see it: upper-case hex, control characters
// (zero among them) as '.', every other byte as the character with its code.
QString expectedHex(std::uint8_t byte)
{
    return QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

QString expectedText(const std::uint8_t* bytes)
{
    QString text;
    for (int i = 0; i < 8; ++i) {
        const std::uint8_t b = bytes[i];
        text += (b < 0x20 || (b >= 0x7F && b <= 0x9F)) ? QLatin1Char('.')
                                                       : QChar(static_cast<char16_t>(b));
    }
    return text;
}

std::array<std::uint8_t, 64> pageReply(std::uint16_t page, std::uint8_t fill)
{
    std::array<std::uint8_t, 64> r{};
    r[0] = 'G';
    r[1] = 'M';
    r[2] = static_cast<std::uint8_t>(page >> 8);
    r[3] = static_cast<std::uint8_t>(page & 0xFF);
    std::fill(r.begin() + 4, r.begin() + 36, fill);
    return r;
}

std::vector<int> values(const QSignalSpy& spy)
{
    std::vector<int> out;
    for (const QList<QVariant>& args : spy)
        out.push_back(args.at(0).toInt());
    return out;
}

QByteArray image(const TMainForm* main)
{
    return QByteArray(reinterpret_cast<const char*>(main->MemSaveBuffer.data()),
                      static_cast<qsizetype>(main->MemSaveBuffer.size()));
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class MemoryTest : public QObject
{
    Q_OBJECT

private slots:
    void windowLooksAsGiven();
    void fullReadCopiesDeviceMemoryAndDump();
    void dumpShowsHexAndText_data();
    void dumpShowsHexAndText();
    void pageOutsideTheImageIsDropped_data();
    void pageOutsideTheImageIsDropped();
    void stalledReadTripsWatchdogOnce();
    void saveWritesTheWholeImage();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
    void format_data();
    void format();
    void noDeviceReadAndFormatDoNothing();
};

void MemoryTest::windowLooksAsGiven()
{
    Tool tool(false);
    tool.start();
    TfrmMemory* form = windows::frmMemory;

    QCOMPARE(form->windowTitle(), QStringLiteral("Memory workbench"));
    QVERIFY(!form->isVisible());
    QTableWidget* grid = form->findChild<QTableWidget*>(QStringLiteral("Grid1"));
    QCOMPARE(grid, form->Grid1);
    QCOMPARE(grid->rowCount(), 512);
    QCOMPARE(grid->columnCount(), 9);
    for (int c = 0; c < 8; ++c)
        QCOMPARE(grid->columnWidth(c), 40);
    QCOMPARE(grid->columnWidth(8), 160);
    QVERIFY(grid->horizontalHeader()->isHidden());
    QCOMPARE(grid->verticalHeader()->width(), 40);
    QCOMPARE(grid->model()->headerData(0, Qt::Vertical).toInt(), 1);
    QCOMPARE(grid->model()->headerData(511, Qt::Vertical).toInt(), 512);
    QVERIFY(grid->item(0, 0) == nullptr); // empty until a page comes
    QCOMPARE(form->btReadMemory->text(), QStringLiteral("Read"));
    QCOMPARE(form->btSaveBin->text(), QStringLiteral("Save BIN"));
    QCOMPARE(form->btFormatMemory->text(), QStringLiteral("Format Memory"));
    QCOMPARE(form->btFormatMemory->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    QVERIFY(form->sGauge1->isHidden());
}

void MemoryTest::fullReadCopiesDeviceMemoryAndDump()
{
    Tool tool;
    TMainForm* main = tool.start();
    QVERIFY(tool.settle());
    tool.device->clearLog();
    TfrmMemory* form = shownWindow();
    QSignalSpy progress(form->sGauge1, &QProgressBar::valueChanged);

    QTest::mouseClick(form->btReadMemory, Qt::LeftButton);
    QVERIFY(form->sGauge1->isVisible());
    QCOMPARE(form->sGauge1->maximum(), 128);
    QVERIFY(!form->btReadMemory->isEnabled());
    QVERIFY(!form->btSaveBin->isEnabled());
    QVERIFY(main->ReceiveMemoryPacketTimeOut > 0);

    QTRY_VERIFY_WITH_TIMEOUT(form->btReadMemory->isEnabled(), 30000);
    QVERIFY(form->btSaveBin->isEnabled());
    QVERIFY(form->sGauge1->isHidden());
    QCOMPARE(main->ReceiveMemoryPacketTimeOut, std::uint8_t{0});
    QCOMPARE(form->MemReadPointer, std::uint16_t{128});
    QVERIFY(tool.dialogs.messages.empty());

    // Pages 0..127 requested in order, page number big-endian in bytes 3-4.
    std::vector<int> pages;
    for (const auto& r : tool.device->receivedReports())
        if (r[1] == 'G' && r[2] == 'M')
            pages.push_back(r[3] << 8 | r[4]);
    std::vector<int> expectedPages(128);
    std::iota(expectedPages.begin(), expectedPages.end(), 0);
    QCOMPARE(pages, expectedPages);
    // From 0 at the start, then 1..127; the 128th reply hides it.
    std::vector<int> steps(128);
    std::iota(steps.begin(), steps.end(), 0);
    QCOMPARE(values(progress), steps);

    const device::Memory memory = tool.device->memory();
    QCOMPARE(image(main),
             QByteArray(reinterpret_cast<const char*>(memory.data()), qsizetype{4096}));
    // Every row of the dump, rows 0-3 holding page 0 and 508-511 page 127.
    for (int row = 0; row < 512; ++row) {
        const std::uint8_t* bytes = memory.data() + row * 8;
        for (int c = 0; c < 8; ++c)
            QCOMPARE(cell(form, row, c), expectedHex(bytes[c]));
        QCOMPARE(cell(form, row, 8), expectedText(bytes));
    }
}

void MemoryTest::dumpShowsHexAndText_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("text");

    QTest::newRow("letter") << 0x41 << "41"
                            << "A";
    QTest::newRow("zero") << 0x00 << "00"
                          << ".";
    QTest::newRow("line feed") << 0x0A << "0A"
                               << ".";
    QTest::newRow("space") << 0x20 << "20"
                           << " ";
    QTest::newRow("tilde") << 0x7E << "7E"
                           << "~";
    QTest::newRow("delete") << 0x7F << "7F"
                            << ".";
    QTest::newRow("C1 control") << 0x9F << "9F"
                                << ".";
    QTest::newRow("e acute") << 0xE9 << "E9" << QStringLiteral("é");
    QTest::newRow("y diaeresis") << 0xFF << "FF" << QStringLiteral("ÿ");
}

void MemoryTest::dumpShowsHexAndText()
{
    QFETCH(int, byte);
    QFETCH(QString, hex);
    QFETCH(QString, text);

    Tool tool(false);
    TMainForm* main = tool.start();
    TfrmMemory* form = windows::frmMemory;

    // Page 3, byte 13: row 13, column 5.
    auto reply = pageReply(3, 0x30);
    reply[4 + 13] = static_cast<std::uint8_t>(byte);
    main->ShowRead(nullptr, 0, reply.data(), 64);

    QCOMPARE(main->MemSaveBuffer[3 * 32 + 13], static_cast<std::uint8_t>(byte));
    QCOMPARE(cell(form, 13, 5), hex);
    QCOMPARE(cell(form, 13, 8), QStringLiteral("00000") + text + QStringLiteral("00"));
    QCOMPARE(cell(form, 12, 8), QStringLiteral("00000000"));
    QCOMPARE(cell(form, 11, 0), QString()); // page 2 untouched
    QCOMPARE(cell(form, 16, 0), QString()); // page 4 untouched
    // A reply outside a read counts; with no device nothing goes out and no
    // watchdog is armed for an answer that cannot come.
    QCOMPARE(form->MemReadPointer, std::uint16_t{1});
    QCOMPARE(main->ReceiveMemoryPacketTimeOut, std::uint8_t{0});
    QCOMPARE(main->TxCnt, 0u);
}

void MemoryTest::pageOutsideTheImageIsDropped_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("128") << 128;
    QTest::newRow("256, low byte 0") << 256;
    QTest::newRow("0x8000") << 0x8000;
    QTest::newRow("0xFFFF") << 0xFFFF;
}

void MemoryTest::pageOutsideTheImageIsDropped()
{
    QFETCH(int, page);

    Tool tool;
    TMainForm* main = tool.start();
    QVERIFY(tool.settle());
    TfrmMemory* form = windows::frmMemory;
    std::fill(main->MemSaveBuffer.begin(), main->MemSaveBuffer.end(), std::uint8_t{0x5A});
    const QByteArray before = image(main);
    form->MemReadPointer = 7;
    tool.device->clearLog();

    const auto reply = pageReply(static_cast<std::uint16_t>(page), 0xAA);
    main->ShowRead(main->CurrentDevice(), 0, reply.data(), 64);

    QCOMPARE(image(main), before);
    for (int row = 0; row < 512; ++row)
        QVERIFY(form->Grid1->item(row, 0) == nullptr);
    // Dropped as if it never came: no count, no request, no watchdog.
    QCOMPARE(form->MemReadPointer, std::uint16_t{7});
    QCOMPARE(main->ReceiveMemoryPacketTimeOut, std::uint8_t{0});
    QVERIFY(earlierWritesLogged(tool));
    QCOMPARE(countCode(*tool.device, 'G', 'M'), 0);
}

void MemoryTest::stalledReadTripsWatchdogOnce()
{
    Tool tool;
    TMainForm* main = tool.start();
    QVERIFY(tool.settle());
    tool.device->clearLog();
    TfrmMemory* form = shownWindow();
    std::fill(main->MemSaveBuffer.begin(), main->MemSaveBuffer.end(), std::uint8_t{0xEE});

    // The device falls silent once page 9 has come: before page 10 is asked.
    connect(form->sGauge1, &QProgressBar::valueChanged, form, [&tool](int value) {
        if (value == 10) {
            device::Faults silent;
            silent.silent = true;
            silent.onlyFor = device::Code{'G', 'M'};
            tool.device->setFaults(silent);
        }
    });

    QTest::mouseClick(form->btReadMemory, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(tool.dialogs.count(QStringLiteral("information"), kWatchdog), 1,
                              15000);

    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    QVERIFY(form->btReadMemory->isEnabled());
    QVERIFY(form->btSaveBin->isEnabled());
    QVERIFY(form->sGauge1->isHidden());
    QCOMPARE(main->ReceiveMemoryPacketTimeOut, std::uint8_t{0}); // disarmed: no second message
    QCOMPARE(form->MemReadPointer, std::uint16_t{10});
    QCOMPARE(countCode(*tool.device, 'G', 'M'), 11);

    const device::Memory memory = tool.device->memory();
    const QByteArray got = image(main);
    QCOMPARE(got.left(320), QByteArray(reinterpret_cast<const char*>(memory.data()), 320));
    QCOMPARE(got.mid(320), QByteArray(4096 - 320, '\xEE'));
    QCOMPARE(cell(form, 39, 0), expectedHex(memory[39 * 8]));
    QCOMPARE(cell(form, 40, 0), QString());
}

void MemoryTest::saveWritesTheWholeImage()
{
    Tool tool(false); // saving needs no device
    TMainForm* main = tool.start();
    TfrmMemory* form = shownWindow();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("image.bin"));

    // Nothing read yet: 4096 zero bytes.
    tool.dialogs.saveNames.push_back(path);
    QTest::mouseClick(form->btSaveBin, Qt::LeftButton);
    QCOMPARE(fileContent(path), QByteArray(4096, '\0'));
    QCOMPARE(tool.dialogs.saveRequests.size(), std::size_t{1});
    const windows::Dialogs::SaveOptions& options = tool.dialogs.saveRequests.front();
    QCOMPARE(options.title, QStringLiteral("Save BIN"));
    QCOMPARE(options.filter, QStringLiteral("BIN Files (*.bin);;All Files (*.*)"));
    QCOMPARE(options.defaultSuffix, QStringLiteral("bin"));

    // An existing file is replaced by the image, byte for byte.
    for (std::size_t i = 0; i < main->MemSaveBuffer.size(); ++i)
        main->MemSaveBuffer[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    tool.dialogs.saveNames.push_back(path);
    QTest::mouseClick(form->btSaveBin, Qt::LeftButton);
    QCOMPARE(fileContent(path), image(main));

    // Cancel writes nothing.
    const QString other = dir.filePath(QStringLiteral("other.bin"));
    QTest::mouseClick(form->btSaveBin, Qt::LeftButton);
    QVERIFY(!QFile::exists(other));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("image.bin")});
    QVERIFY(tool.dialogs.messages.empty());
}

void MemoryTest::failedSaveIsReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << QStringLiteral("missing/image.bin");
    QTest::newRow("name of a folder") << QStringLiteral("folder");
}

void MemoryTest::failedSaveIsReported()
{
    QFETCH(QString, name);

    Tool tool(false);
    tool.start();
    TfrmMemory* form = shownWindow();
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString path = dir.filePath(name);

    tool.dialogs.saveNames.push_back(path);
    QTest::mouseClick(form->btSaveBin, Qt::LeftButton);

    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
    QCOMPARE(tool.dialogs.messages.front().kind, QStringLiteral("error"));
    // The runtime's own text, with the system's code for a missing path or
    // a folder in the way.
    const QString text = tool.dialogs.messages.front().text;
    QVERIFY2(text.startsWith(QStringLiteral("I/O error ")) && text.size() > 10, qPrintable(text));
    // Nothing half-written is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
}

void MemoryTest::format_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void MemoryTest::format()
{
    QFETCH(bool, answer);

    Tool tool;
    TMainForm* main = tool.start();
    QVERIFY(tool.settle());
    tool.device->setFormatDownTime(std::chrono::milliseconds(300));
    tool.device->clearLog();
    TfrmMemory* form = shownWindow();

    tool.dialogs.confirmAnswers.push_back(answer);
    QTest::mouseClick(form->btFormatMemory, Qt::LeftButton);

    QVERIFY(!tool.dialogs.messages.empty());
    QCOMPARE(tool.dialogs.messages.front().kind, QStringLiteral("confirm warning"));
    QCOMPARE(tool.dialogs.messages.front().text, kFormatQuestion);
    if (!answer) {
        QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 1);
        QVERIFY(earlierWritesLogged(tool));
        QCOMPARE(countCode(*tool.device, 'S', 'F'), 0);
        QVERIFY(form->btReadMemory->isEnabled());
        QVERIFY(form->btSaveBin->isEnabled());
        return;
    }

    QCOMPARE(static_cast<int>(tool.dialogs.messages.size()), 2);
    QCOMPARE(tool.dialogs.messages.back().kind, QStringLiteral("information"));
    QCOMPARE(tool.dialogs.messages.back().text, kFormatNotice);
    QTRY_COMPARE_WITH_TIMEOUT(countCode(*tool.device, 'S', 'F'), 1, 5000);
    const auto sf = tool.device->receivedReports();
    const auto it = std::find_if(sf.begin(), sf.end(),
                                 [](const auto& r) { return r[1] == 'S' && r[2] == 'F'; });
    for (std::size_t b = 3; b <= 26; ++b)
        QCOMPARE((*it)[b], std::uint8_t{0});
    QVERIFY(!form->btReadMemory->isEnabled());
    QVERIFY(!form->btSaveBin->isEnabled());

    // The device drops off, formats and comes back; the buttons stay as they are.
    const device::Memory erased{};
    QCOMPARE(tool.device->memory(), erased);
    const QString arrival = QStringLiteral("Arrival of Veltrano 8 (Serial=VM8-SIM-0001)");
    QTRY_VERIFY_WITH_TIMEOUT(
        lines(main->HistoryListBox).count(arrival) >= 2 && main->CurrentDevice() != nullptr, 10000);
    QVERIFY(!form->btReadMemory->isEnabled());
    QVERIFY(!form->btSaveBin->isEnabled());
}

void MemoryTest::noDeviceReadAndFormatDoNothing()
{
    Tool tool(false);
    TMainForm* main = tool.start();
    TfrmMemory* form = shownWindow();

    QTest::mouseClick(form->btReadMemory, Qt::LeftButton);
    QTest::mouseClick(form->btFormatMemory, Qt::LeftButton);

    QVERIFY(tool.dialogs.messages.empty());
    QVERIFY(form->sGauge1->isHidden());
    QVERIFY(form->btReadMemory->isEnabled());
    QVERIFY(form->btSaveBin->isEnabled());
    QCOMPARE(main->ReceiveMemoryPacketTimeOut, std::uint8_t{0});
    QCOMPARE(main->TxCnt, 0u);
    QCOMPARE(tool.device->receivedCount(), std::size_t{0});
}

QTEST_MAIN(MemoryTest)
#include "MemoryTest.moc"
