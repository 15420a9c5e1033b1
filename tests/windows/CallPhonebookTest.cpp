// The call phonebook window on the virtual bus with the imitation device:
// call function switch, the chained read into the grid, row selection, the
// acknowledged write of one record with its read-back.

#include "Harness.h"

#include "windows/CallPhonebook.h"
#include "windows/widgets/Gauge.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <array>
#include <cstdint>
#include <vector>

using harness::countCode;
using harness::Tool;
using windows::TfrmCallPhonebook;

namespace
{

using Reply = std::array<std::uint8_t, 64>;
using Bytes = std::vector<std::uint8_t>;

const QString kNoAnswer = QStringLiteral("Nema odgovora iz uredjaja!");

// A "GC" reply laid out by its byte table: index 2-3, number from 4, note
// from 20, flag at 27. Texts are raw bytes so a test can overrun a field.
Reply gcReply(std::uint8_t indexHigh, std::uint8_t indexLow, const QByteArray& number,
              const QByteArray& note, std::uint8_t flag)
{
    Reply r{};
    r[0] = 'G';
    r[1] = 'C';
    r[2] = indexHigh;
    r[3] = indexLow;
    for (int i = 0; i < number.size() && 4 + i < 20; ++i)
        r[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(number[i]);
    for (int i = 0; i < note.size() && 20 + i < 27; ++i)
        r[static_cast<std::size_t>(20 + i)] = static_cast<std::uint8_t>(note[i]);
    r[27] = flag;
    return r;
}

TfrmCallPhonebook* phonebook()
{
    return windows::frmCallPhonebook;
}

QString cell(int row, int column)
{
    const QTableWidgetItem* item = phonebook()->Grid1->item(row, column);
    return item != nullptr ? item->text() : QString();
}

QStringList rowTexts(int row)
{
    return {cell(row, 0), cell(row, 1), cell(row, 2)};
}

void setRow(int row, const QStringList& texts)
{
    for (int column = 0; column < 3; ++column)
        phonebook()->Grid1->item(row, column)->setText(texts.value(column));
}

// Start-up is over once the initial notification's rebuild has asked for the
// firmware again; then the phonebook window is shown.
bool started(Tool& tool)
{
    tool.start();
    if (!QTest::qWaitFor(
            [&] {
                return windows::MainForm->CurrentDevice() != nullptr &&
                       countCode(*tool.device, 'G', 'F') >= 2;
            },
            5000))
        return false;
    windows::MainForm->sBitBtn3Click();
    return QTest::qWaitForWindowExposed(phonebook(), 5000);
}

// Every report the window sent before this call has reached the device once
// a firmware request sent now has: the bus delivers in order.
bool delivered(Tool& tool)
{
    const int before = countCode(*tool.device, 'G', 'F');
    windows::MainForm->btFirmwareInfoClick();
    return QTest::qWaitFor([&] { return countCode(*tool.device, 'G', 'F') > before; }, 5000);
}

std::vector<Bytes> reportsWithCode(const Tool& tool, char a, char b)
{
    std::vector<Bytes> out;
    for (const Bytes& report : tool.device->receivedReports())
        if (report.size() >= 3 && report[1] == a && report[2] == b)
            out.push_back(report);
    return out;
}

int indexOf(const Bytes& request)
{
    return request[3] * 256 + request[4];
}

void clickCell(int row, int column)
{
    QTableWidget* grid = phonebook()->Grid1;
    grid->scrollToItem(grid->item(row, column));
    const QRect rect = grid->visualItemRect(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
}

void clickGutter(int row)
{
    QTableWidget* grid = phonebook()->Grid1;
    grid->scrollToItem(grid->item(row, 0));
    QHeaderView* gutter = grid->verticalHeader();
    const QPoint at(gutter->width() / 2,
                    gutter->sectionViewportPosition(row) + gutter->sectionSize(row) / 2);
    QTest::mouseClick(gutter->viewport(), Qt::LeftButton, {}, at);
}

void showReply(const Reply& reply)
{
    windows::MainForm->ShowRead(windows::MainForm->CurrentDevice(), 0, reply.data(), 64);
}

} // namespace

class CallPhonebookTest : public QObject
{
    Q_OBJECT

private slots:
    void windowAndControls();
    void fullReadFillsEveryRowFromTheDevice();
    void replyFillsTheRowOfItsLowIndexByte_data();
    void replyFillsTheRowOfItsLowIndexByte();
    void selectingRowFillsEdits_data();
    void selectingRowFillsEdits();
    void gutterClickOnCurrentRowTakesEditedCells();
    void writeSendsRecordAndReadsItBack_data();
    void writeSendsRecordAndReadsItBack();
    void writeRefusesWhatTheRecordCannotHold_data();
    void writeRefusesWhatTheRecordCannotHold();
    void silentDeviceTimesOutOnceWithoutReadBack();
    void writeDuringFullReadEndsTheRead();
    void noteColour_data();
    void noteColour();
    void withoutDeviceButtonsSendNothing();
    void panelFollowsCallFunction();
};

void CallPhonebookTest::windowAndControls()
{
    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();

    QCOMPARE(w->windowTitle(), QStringLiteral("Call Numbers Phonebook"));
    QTableWidget* grid = w->findChild<QTableWidget*>(QStringLiteral("Grid1"));
    QCOMPARE(grid, w->Grid1);
    QCOMPARE(grid->rowCount(), 100);
    QCOMPARE(grid->columnCount(), 3);
    const std::array<std::pair<const char*, int>, 3> columns = {
        {{"Broj telefona", 120}, {"Napomena", 100}, {"Aktivan", 80}}};
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(grid->horizontalHeaderItem(c)->text(), QString::fromUtf8(columns[c].first));
        QCOMPARE(grid->columnWidth(c), columns[c].second);
    }
    QCOMPARE(grid->verticalHeader()->width(), 40);
    QCOMPARE(grid->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    QCOMPARE(grid->model()->headerData(99, Qt::Vertical).toString(), QStringLiteral("100"));

    const std::array<std::pair<const char*, const char*>, 4> buttons = {{
        {"btnEnableCallFunction", "Uključi Call funkciju"},
        {"btnDissableCallFunction", "Isključi Call funkciju"},
        {"btnPhonebookRead", "Pročitaj"},
        {"btnSetOnePhonebookRecord", "Upiši"},
    }};
    for (const auto& [name, caption] : buttons) {
        const auto* button = w->findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(button != nullptr, name);
        QCOMPARE(button->text(), QString::fromUtf8(caption));
    }
    QVERIFY(w->btnPhonebookRead->font().bold());
    QVERIFY(w->btnSetOnePhonebookRecord->font().bold());
    QVERIFY(w->cbCallNmbrAktivan->font().bold());
    QCOMPARE(w->cbCallNmbrAktivan->text(), QStringLiteral("Aktivan"));

    const std::array<std::pair<const char*, const char*>, 5> labels = {{
        {"sLabel3", "Polje za upis:"},
        {"sLabel1", "Broj telefona:"},
        {"sLabel4", "Max 15 chars"},
        {"sLabel2", "Napomena:"},
        {"sLabel5", "Max 6 chars"},
    }};
    for (const auto& [name, caption] : labels) {
        const auto* label = w->findChild<QLabel*>(QString::fromLatin1(name));
        QVERIFY2(label != nullptr, name);
        QCOMPARE(label->text(), QString::fromUtf8(caption));
    }
    for (const char* name : {"edCallNmbrField", "edGSMCallNumber", "edCallNapomena"})
        QVERIFY2(w->findChild<QLineEdit*>(QString::fromLatin1(name)) != nullptr, name);
    QVERIFY(w->edCallNmbrField->isReadOnly());
    QCOMPARE(w->edGSMCallNumber->maxLength(), QLineEdit().maxLength());
    QCOMPARE(w->edCallNapomena->maxLength(), QLineEdit().maxLength());

    QCOMPARE(w->findChild<windows::Gauge*>(QStringLiteral("sGauge1")), w->sGauge1);
    QVERIFY(w->sGauge1->isHidden());
    QCOMPARE(w->sGauge1->progress(), 0);
    QCOMPARE(w->findChild<QFrame*>(QStringLiteral("panCallNumbers")), w->panCallNumbers);
    QVERIFY(w->panCallNumbers->isAncestorOf(w->Grid1));
    QVERIFY(!w->panCallNumbers->isAncestorOf(w->btnEnableCallFunction));
}

void CallPhonebookTest::fullReadFillsEveryRowFromTheDevice()
{
    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    // The read does not clear the grid; the device's empty record does.
    setRow(50, {QStringLiteral("staro"), QStringLiteral("x"), QStringLiteral("AKTIVAN")});

    QTest::mouseClick(w->btnPhonebookRead, Qt::LeftButton);
    QVERIFY(w->sGauge1->isVisible());
    QCOMPARE(w->sGauge1->maximum(), 100);

    QTRY_VERIFY_WITH_TIMEOUT(w->sGauge1->isHidden(), 10000);
    QVERIFY(delivered(tool));
    const std::vector<Bytes> requests = reportsWithCode(tool, 'G', 'C');
    QCOMPARE(requests.size(), std::size_t{101});
    for (int i = 0; i <= 100; ++i)
        QCOMPARE(indexOf(requests[static_cast<std::size_t>(i)]), i);
    QCOMPARE(w->sGauge1->progress(), 100);

    QCOMPARE(rowTexts(0), QStringList({"+381641234567", "Pera", "AKTIVAN"}));
    QCOMPARE(rowTexts(1), QStringList({"+381652223334", "Mika", "AKTIVAN"}));
    QCOMPARE(rowTexts(2), QStringList({"0113334445", "Kanc", "NEAKTIVAN"}));
    QCOMPARE(rowTexts(3), QStringList({"", "", ""}));
    QCOMPARE(rowTexts(50), QStringList({"", "", ""}));
    QVERIFY(tool.dialogs.messages.empty());
}

void CallPhonebookTest::replyFillsTheRowOfItsLowIndexByte_data()
{
    QTest::addColumn<int>("indexHigh");
    QTest::addColumn<int>("indexLow");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("note");
    QTest::addColumn<int>("flag");
    QTest::addColumn<int>("row"); // -1: no row changes
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("active") << 0 << 7 << QByteArray("0641112223") << QByteArray("Ana") << 1 << 7
                            << QStringList{"0641112223", "Ana", "AKTIVAN"};
    QTest::newRow("flag 0") << 0 << 0 << QByteArray("0641112223") << QByteArray("") << 0 << 0
                            << QStringList{"0641112223", "", "NEAKTIVAN"};
    QTest::newRow("flag 2 is not active")
        << 0 << 99 << QByteArray("0641112223") << QByteArray("Ana") << 2 << 99
        << QStringList{"0641112223", "Ana", "NEAKTIVAN"};
    QTest::newRow("empty number, flag 1")
        << 0 << 5 << QByteArray("") << QByteArray("Ana") << 1 << 5 << QStringList{"", "Ana", ""};
    QTest::newRow("number runs over its terminator")
        << 0 << 8 << QByteArray("1234567890123456") << QByteArray("Ana") << 1 << 8
        << QStringList{"1234567890123456", "Ana", "AKTIVAN"};
    QTest::newRow("note runs over its terminator")
        << 0 << 9 << QByteArray("064") << QByteArray("ABCDEFG") << 1 << 9
        << QStringList{"064", "ABCDEF", "AKTIVAN"};
    QTest::newRow("byte shows as its character")
        << 0 << 10 << QByteArray("064") << QByteArray("Ren\xe9") << 1 << 10
        << QStringList{"064", QStringLiteral("René"), "AKTIVAN"};
    QTest::newRow("high byte ignored") << 1 << 4 << QByteArray("064") << QByteArray("") << 1 << 4
                                       << QStringList{"064", "", "AKTIVAN"};
    QTest::newRow("index 100") << 0 << 100 << QByteArray("064") << QByteArray("x") << 1 << -1
                               << QStringList{};
    QTest::newRow("index 356") << 1 << 100 << QByteArray("064") << QByteArray("x") << 1 << -1
                               << QStringList{};
    QTest::newRow("index 255") << 0 << 255 << QByteArray("064") << QByteArray("x") << 1 << -1
                               << QStringList{};
}

void CallPhonebookTest::replyFillsTheRowOfItsLowIndexByte()
{
    QFETCH(int, indexHigh);
    QFETCH(int, indexLow);
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, note);
    QFETCH(int, flag);
    QFETCH(int, row);
    QFETCH(QStringList, shown);

    Tool tool;
    QVERIFY(started(tool));
    const QStringList old = {QStringLiteral("old"), QStringLiteral("old"), QStringLiteral("old")};
    for (int r = 0; r < 100; ++r)
        setRow(r, old);

    showReply(gcReply(static_cast<std::uint8_t>(indexHigh), static_cast<std::uint8_t>(indexLow),
                      number, note, static_cast<std::uint8_t>(flag)));

    for (int r = 0; r < 100; ++r)
        QCOMPARE(rowTexts(r), r == row ? shown : old);
    // A reply nobody asked for does not start a read.
    QVERIFY(phonebook()->sGauge1->isHidden());
    QVERIFY(delivered(tool));
    QCOMPARE(countCode(*tool.device, 'G', 'C'), 0);
}

void CallPhonebookTest::selectingRowFillsEdits_data()
{
    QTest::addColumn<bool>("viaGutter");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("active");
    QTest::addColumn<bool>("ticked");

    for (const bool viaGutter : {false, true}) {
        const char* how = viaGutter ? "gutter" : "cell";
        QTest::addRow("%s, AKTIVAN", how) << viaGutter << 0 << "AKTIVAN" << true;
        QTest::addRow("%s, NEAKTIVAN", how) << viaGutter << 41 << "NEAKTIVAN" << false;
        QTest::addRow("%s, empty", how) << viaGutter << 99 << "" << false;
        QTest::addRow("%s, lower case", how) << viaGutter << 12 << "aktivan" << false;
    }
}

void CallPhonebookTest::selectingRowFillsEdits()
{
    QFETCH(bool, viaGutter);
    QFETCH(int, row);
    QFETCH(QString, active);
    QFETCH(bool, ticked);

    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    setRow(row, {QStringLiteral("+38111222333"), QStringLiteral("Posao"), active});
    // Start from the opposite state, so that the selection has to set it.
    w->cbCallNmbrAktivan->setChecked(!ticked);

    if (viaGutter)
        clickGutter(row);
    else
        clickCell(row, 1);

    QCOMPARE(w->edCallNmbrField->text(), QString::number(row + 1));
    QCOMPARE(w->edGSMCallNumber->text(), QStringLiteral("+38111222333"));
    QCOMPARE(w->edCallNapomena->text(), QStringLiteral("Posao"));
    QCOMPARE(w->cbCallNmbrAktivan->isChecked(), ticked);
}

void CallPhonebookTest::gutterClickOnCurrentRowTakesEditedCells()
{
    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    clickCell(4, 0);
    QCOMPARE(w->edCallNmbrField->text(), QStringLiteral("5"));

    // Typed into the grid: the current cell does not move, the gutter click
    // alone has to bring the row into the edits.
    setRow(4, {QStringLiteral("0601234567"), QStringLiteral("Novo"), QStringLiteral("AKTIVAN")});
    clickGutter(4);
    QCOMPARE(w->edGSMCallNumber->text(), QStringLiteral("0601234567"));
    QCOMPARE(w->edCallNapomena->text(), QStringLiteral("Novo"));
    QVERIFY(w->cbCallNmbrAktivan->isChecked());
}

void CallPhonebookTest::writeSendsRecordAndReadsItBack_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("note");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("record 1") << 0 << "+381601112223"
                              << "Dom" << true << QStringList{"+381601112223", "Dom", "AKTIVAN"};
    QTest::newRow("record 100, full fields")
        << 99 << "123456789012345"
        << "Posao1" << false << QStringList{"123456789012345", "Posao1", "NEAKTIVAN"};
    QTest::newRow("record 3 emptied") << 2 << ""
                                      << "" << true << QStringList{"", "", ""};
}

void CallPhonebookTest::writeSendsRecordAndReadsItBack()
{
    QFETCH(int, row);
    QFETCH(QString, number);
    QFETCH(QString, note);
    QFETCH(bool, active);
    QFETCH(QStringList, shown);

    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    clickCell(row, 0);
    w->edGSMCallNumber->setText(number);
    w->edCallNapomena->setText(note);
    w->cbCallNmbrAktivan->setChecked(active);
    tool.device->clearLog();

    QTest::mouseClick(w->btnSetOnePhonebookRecord, Qt::LeftButton);

    QVERIFY(!w->WaitForOk);
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(row), shown, 5000);
    QVERIFY(w->sGauge1->isHidden());
    QVERIFY(tool.dialogs.messages.empty());
    QVERIFY(w->btnSetOnePhonebookRecord->isEnabled());

    QVERIFY(delivered(tool));
    const std::vector<Bytes> writes = reportsWithCode(tool, 'S', 'C');
    QCOMPARE(writes.size(), std::size_t{1});
    const Bytes& sc = writes.front();
    QCOMPARE(sc.size(), std::size_t{65});
    std::array<std::uint8_t, 32> record{};
    record[0] = 0;
    record[1] = static_cast<std::uint8_t>(row);
    for (int i = 0; i < number.size(); ++i)
        record[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(number[i].unicode());
    for (int i = 0; i < note.size(); ++i)
        record[static_cast<std::size_t>(18 + i)] = static_cast<std::uint8_t>(note[i].unicode());
    record[25] = active ? 1 : 0;
    QCOMPARE(Bytes(sc.begin() + 3, sc.begin() + 35), Bytes(record.begin(), record.end()));

    // One read-back of the same record, and nothing after it.
    const std::vector<Bytes> reads = reportsWithCode(tool, 'G', 'C');
    QCOMPARE(reads.size(), std::size_t{1});
    QCOMPARE(indexOf(reads.front()), row);
}

void CallPhonebookTest::writeRefusesWhatTheRecordCannotHold_data()
{
    QTest::addColumn<int>("row"); // -1: none selected
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("warning");

    QTest::newRow("no row selected") << -1 << "0641112223"
                                     << "Ana"
                                     << "Polje za upis je prazno: izaberite red u tabeli.";
    QTest::newRow("number of 16") << 3 << "1234567890123456"
                                  << "Ana"
                                  << "Broj telefona može imati najviše 15 znakova.";
    QTest::newRow("note of 7") << 3 << "0641112223"
                               << "Posao12"
                               << "Napomena može imati najviše 6 znakova.";
    QTest::newRow("note beyond one byte") << 3 << "0641112223"
                                          << "Čeda"
                                          << "Napomena sadrži znak koji uređaj ne podržava: Č";
}

void CallPhonebookTest::writeRefusesWhatTheRecordCannotHold()
{
    QFETCH(int, row);
    QFETCH(QString, number);
    QFETCH(QString, note);
    QFETCH(QString, warning);

    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    if (row >= 0)
        clickCell(row, 0);
    w->edGSMCallNumber->setText(number);
    w->edCallNapomena->setText(note);

    QTest::mouseClick(w->btnSetOnePhonebookRecord, Qt::LeftButton);

    QCOMPARE(tool.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(tool.dialogs.count(QStringLiteral("warning"), warning), 1);
    QVERIFY(!w->WaitForOk);
    QVERIFY(delivered(tool));
    QCOMPARE(countCode(*tool.device, 'S', 'C'), 0);
    QCOMPARE(countCode(*tool.device, 'G', 'C'), 0);
    // Nothing typed is lost.
    QCOMPARE(w->edGSMCallNumber->text(), number);
    QCOMPARE(w->edCallNapomena->text(), note);
}

void CallPhonebookTest::silentDeviceTimesOutOnceWithoutReadBack()
{
    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    device::Faults faults;
    faults.silent = true;
    faults.onlyFor = device::Code{'S', 'C'};
    tool.device->setFaults(faults);
    setRow(4, {QStringLiteral("0641112223"), QStringLiteral("Ana"), QStringLiteral("AKTIVAN")});
    clickCell(4, 0);
    w->edGSMCallNumber->setText(QStringLiteral("0659998887"));

    QTest::mouseClick(w->btnSetOnePhonebookRecord, Qt::LeftButton);

    QCOMPARE(tool.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(tool.dialogs.count(QStringLiteral("information"), kNoAnswer), 1);
    QVERIFY(w->WaitForOk);
    QVERIFY(w->btnSetOnePhonebookRecord->isEnabled());
    QVERIFY(delivered(tool));
    QCOMPARE(countCode(*tool.device, 'S', 'C'), 1);
    QCOMPARE(countCode(*tool.device, 'G', 'C'), 0);
    QCOMPARE(rowTexts(4), QStringList({"0641112223", "Ana", "AKTIVAN"}));
}

void CallPhonebookTest::writeDuringFullReadEndsTheRead()
{
    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    tool.device->setLatency(std::chrono::milliseconds{10});
    clickCell(2, 0);
    w->edGSMCallNumber->setText(QStringLiteral("0601234567"));
    w->edCallNapomena->setText(QStringLiteral("Novo"));
    w->cbCallNmbrAktivan->setChecked(true);

    QTest::mouseClick(w->btnPhonebookRead, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(countCode(*tool.device, 'G', 'C') >= 10, 5000);
    QVERIFY(w->sGauge1->isVisible());
    QTest::mouseClick(w->btnSetOnePhonebookRecord, Qt::LeftButton);

    QVERIFY(!w->WaitForOk);
    QTRY_VERIFY_WITH_TIMEOUT(w->sGauge1->isHidden(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rowTexts(2), QStringList({"0601234567", "Novo", "AKTIVAN"}), 5000);
    QVERIFY(delivered(tool));
    const std::vector<Bytes> reads = reportsWithCode(tool, 'G', 'C');
    QVERIFY(reads.size() < 101);
    QCOMPARE(indexOf(reads.back()), 2);
    QVERIFY(tool.dialogs.messages.empty());
}

void CallPhonebookTest::noteColour_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("note");
    QTest::addColumn<bool>("fromRow"); // else typed
    QTest::addColumn<QColor>("colour");

    QTest::newRow("6 characters") << ""
                                  << "Posao1" << false << QColor(0, 0, 0);
    QTest::newRow("7 characters") << ""
                                  << "Posao12" << false << QColor(255, 0, 0);
    QTest::newRow("back to 6") << "Posao12"
                               << "Posao1" << false << QColor(0, 0, 0);
    // Cells take any text, so a selected row can bring a long note along.
    QTest::newRow("long note of a row") << ""
                                        << "Predugacko" << true << QColor(255, 0, 0);
    QTest::newRow("short note of a row") << "Predugacko"
                                         << "Kanc" << true << QColor(0, 0, 0);
}

void CallPhonebookTest::noteColour()
{
    QFETCH(QString, before);
    QFETCH(QString, note);
    QFETCH(bool, fromRow);
    QFETCH(QColor, colour);

    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    w->edCallNapomena->setText(before);
    if (fromRow) {
        setRow(6, {QStringLiteral("064"), note, QStringLiteral("AKTIVAN")});
        clickCell(6, 0);
    } else {
        w->edCallNapomena->clear();
        QTest::keyClicks(w->edCallNapomena, note);
    }
    QCOMPARE(w->edCallNapomena->text(), note);
    QCOMPARE(w->edCallNapomena->palette().color(QPalette::Text), colour);
}

void CallPhonebookTest::withoutDeviceButtonsSendNothing()
{
    Tool tool(false); // nothing plugged in
    tool.start();
    windows::MainForm->sBitBtn3Click();
    QVERIFY(QTest::qWaitForWindowExposed(phonebook(), 5000));
    TfrmCallPhonebook* w = phonebook();
    QVERIFY(windows::MainForm->CurrentDevice() == nullptr);
    clickCell(0, 0);
    w->edGSMCallNumber->setText(QStringLiteral("0641112223"));

    for (QPushButton* button : {w->btnEnableCallFunction, w->btnDissableCallFunction,
                                w->btnPhonebookRead, w->btnSetOnePhonebookRecord})
        QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(windows::MainForm->TxCnt, std::uint32_t{0});
    QVERIFY(tool.dialogs.messages.empty());
    QVERIFY(!w->WaitForOk);
    QVERIFY(w->sGauge1->isHidden());
    QVERIFY(w->panCallNumbers->isVisible());
}

void CallPhonebookTest::panelFollowsCallFunction()
{
    Tool tool;
    QVERIFY(started(tool));
    TfrmCallPhonebook* w = phonebook();
    QTRY_VERIFY_WITH_TIMEOUT(w->panCallNumbers->isVisible(), 5000); // on in the device

    QTest::mouseClick(w->btnDissableCallFunction, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w->panCallNumbers->isHidden(), 5000);
    QVERIFY(!w->panCallNumbers->isEnabled());
    QVERIFY(w->btnEnableCallFunction->isVisible());

    QTest::mouseClick(w->btnEnableCallFunction, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w->panCallNumbers->isVisible(), 5000);
    QVERIFY(w->panCallNumbers->isEnabled());

    QVERIFY(delivered(tool));
    const std::vector<Bytes> switches = reportsWithCode(tool, 'S', 'D');
    QCOMPARE(switches.size(), std::size_t{2});
    QCOMPARE(Bytes(switches[0].begin() + 3, switches[0].begin() + 5), Bytes({'E', 0}));
    QCOMPARE(Bytes(switches[1].begin() + 3, switches[1].begin() + 5), Bytes({'E', 1}));
}

QTEST_MAIN(CallPhonebookTest)
#include "CallPhonebookTest.moc"
