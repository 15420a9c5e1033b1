#include "windows/Memory.h"

#include "windows/DevReader.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"
#include "windows/widgets/Gauge.h"

#include "link/Requests.h"
#include "link/Settings.h"

#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <span>

namespace windows
{

namespace
{

constexpr int kBytesPerRow = 8;
constexpr int kRowsPerPage = static_cast<int>(vms::link::kMemoryPageSize) / kBytesPerRow;
constexpr int kRowCount = vms::link::kMemoryPageCount * kRowsPerPage;
constexpr int kTextColumn = kBytesPerRow;
// Ticks of the main window's 100 ms timer each page reply may take.
constexpr std::uint8_t kPageTimeOut = 50;

const QString kFormatQuestion = QStringLiteral(
    "Izvrsenjem ove komande SVI podaci i podesavanja iz uredjaja BICE OBRISANI. Da li "
    "zaista zelite da izvrsite ovu komandu?");
const QString kFormatNotice = QStringLiteral(
    "Formatiranje memorije je inicirano. Molimo da sacekate okvirno 1 minut. U toku "
    "formatiranja USB konekcija bice izgubljena, kada se formatiranje zavrsi konekcija ce "
    "biti obnovljena.");

QString hexByte(std::uint8_t byte)
{
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    const char16_t text[] = {digits[byte >> 4], digits[byte & 0x0F]};
    return QString::fromUtf16(text, 2);
}

// The runtime's text for a failed file operation, by the system's error code.
QString fileErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("File access denied");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Disk full");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many open files");
    default:
        return QStringLiteral("I/O error %1").arg(error);
    }
}

} // namespace

TfrmMemory::TfrmMemory(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMemory"));
    setWindowTitle(QStringLiteral("Memory workbench"));

    Grid1 = new QTableWidget(kRowCount, kBytesPerRow + 1, this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->horizontalHeader()->hide();
    Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 0; column < kBytesPerRow; ++column)
        Grid1->setColumnWidth(column, 40);
    Grid1->setColumnWidth(kTextColumn, 160);
    // The row header is the gutter; the model numbers rows from 1.
    Grid1->verticalHeader()->setFixedWidth(40);
    Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid1->verticalHeader()->setDefaultSectionSize(Grid1->fontMetrics().height() + 6);
    Grid1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Grid1->setMinimumWidth(40 + kBytesPerRow * 40 + 160 +
                           Grid1->verticalScrollBar()->sizeHint().width() +
                           2 * Grid1->frameWidth());

    btReadMemory = new QPushButton(QStringLiteral("Read"), this);
    btReadMemory->setObjectName(QStringLiteral("btReadMemory"));
    sGauge1 = new Gauge(this);
    sGauge1->setObjectName(QStringLiteral("sGauge1"));
    sGauge1->hide();
    btSaveBin = new QPushButton(QStringLiteral("Save BIN"), this);
    btSaveBin->setObjectName(QStringLiteral("btSaveBin"));
    btFormatMemory = new QPushButton(QStringLiteral("Format Memory"), this);
    btFormatMemory->setObjectName(QStringLiteral("btFormatMemory"));
    QPalette red = btFormatMemory->palette();
    red.setColor(QPalette::ButtonText, QColor(255, 0, 0));
    btFormatMemory->setPalette(red);

    connect(btReadMemory, &QPushButton::clicked, this, &TfrmMemory::btReadMemoryClick);
    connect(btSaveBin, &QPushButton::clicked, this, &TfrmMemory::btSaveBinClick);
    connect(btFormatMemory, &QPushButton::clicked, this, &TfrmMemory::btFormatMemoryClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btReadMemory);
    buttons->addWidget(sGauge1, 1);
    buttons->addStretch(0);
    buttons->addWidget(btSaveBin);
    buttons->addWidget(btFormatMemory);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid1, 1);
    layout->addLayout(buttons);
    resize(minimumSizeHint().width(), 520);
}

void TfrmMemory::btReadMemoryClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    MemReadPointer = 0;
    sGauge1->setMaximum(vms::link::kMemoryPageCount);
    sGauge1->setProgress(0);
    sGauge1->show();
    MainForm->SendRequest(vms::link::requests::getMemoryPage(0));
    MainForm->ReceiveMemoryPacketTimeOut = kPageTimeOut;
    btReadMemory->setEnabled(false);
    btSaveBin->setEnabled(false);
}

QChar TfrmMemory::dumpChar(std::uint8_t byte)
{
    // C0 and C1 controls (zero among them) draw as nothing or as boxes.
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0))
        return QLatin1Char('.');
    return QChar(static_cast<char16_t>(byte));
}

void TfrmMemory::setCell(int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = Grid1->item(row, column))
        item->setText(text);
    else
        Grid1->setItem(row, column, new QTableWidgetItem(text));
}

void TfrmMemory::HandleMemoryPage(const vms::link::MemoryPage& reply)
{
    // A page the image does not have: the reply is dropped as if it never
    // came, so a running read stalls and the watchdog reports it.
    if (reply.page >= vms::link::kMemoryPageCount)
        return;

    const std::size_t offset = std::size_t{reply.page} * vms::link::kMemoryPageSize;
    std::copy(reply.bytes.begin(), reply.bytes.end(), MainForm->MemSaveBuffer.begin() + offset);

    const std::span<const std::uint8_t> bytes(reply.bytes);
    for (int i = 0; i < kRowsPerPage; ++i) {
        const int row = reply.page * kRowsPerPage + i;
        const auto rowBytes =
            bytes.subspan(static_cast<std::size_t>(i) * kBytesPerRow, kBytesPerRow);
        QString text;
        for (int j = 0; j < kBytesPerRow; ++j) {
            const std::uint8_t byte = rowBytes[static_cast<std::size_t>(j)];
            setCell(row, j, hexByte(byte));
            text += dumpChar(byte);
        }
        setCell(row, kTextColumn, text);
    }

    // Stray replies after a read must not wrap the pointer round.
    if (MemReadPointer < vms::link::kMemoryPageCount)
        ++MemReadPointer;

    if (MemReadPointer < vms::link::kMemoryPageCount) {
        sGauge1->setProgress(MemReadPointer);
        if (MainForm->CurrentDevice() != nullptr) {
            MainForm->SendRequest(vms::link::requests::getMemoryPage(MemReadPointer));
            MainForm->ReceiveMemoryPacketTimeOut = kPageTimeOut;
        }
    } else {
        btReadMemory->setEnabled(true);
        btSaveBin->setEnabled(true);
        sGauge1->hide();
        MainForm->ReceiveMemoryPacketTimeOut = 0;
    }
}

void TfrmMemory::btSaveBinClick()
{
    Dialogs::SaveOptions options;
    options.title = QStringLiteral("Save BIN");
    options.directory = QDir::currentPath();
    options.filter = QStringLiteral("BIN Files (*.bin);;All Files (*.*)");
    options.defaultSuffix = QStringLiteral("bin");
    options.confirmOverwrite = false;
    const QString fileName = dialogs().saveFileName(this, options);
    if (fileName.isEmpty())
        return;

    const QByteArray image(reinterpret_cast<const char*>(MainForm->MemSaveBuffer.data()),
                           static_cast<qsizetype>(MainForm->MemSaveBuffer.size()));
    // Written beside the target and renamed over it only when complete, so a
    // failed save never leaves a half-written image in place of a good one.
    QSaveFile file(fileName);
    errno = 0;
    bool saved = file.open(QIODevice::WriteOnly);
    int error = errno;
    if (saved) {
        saved = file.write(image) == image.size() && file.commit();
        error = errno;
    }
    if (!saved)
        dialogs().error(this, fileErrorText(error != 0 ? error : EIO));
}

void TfrmMemory::btFormatMemoryClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    if (!dialogs().confirm(this, kFormatQuestion, QStringLiteral("Confirm"),
                           Dialogs::Icon::Warning))
        return;
    // The question runs an event loop of its own: the device may have gone.
    if (MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(vms::link::requests::formatMemory());
    btReadMemory->setEnabled(false);
    btSaveBin->setEnabled(false);
    dialogs().information(this, kFormatNotice);
}

} // namespace windows
