#include "windows/CallPhonebook.h"
#include "windows/Controls.h"

#include "windows/DevReader.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"
#include "windows/widgets/Gauge.h"

#include "link/NumberText.h"
#include "link/Requests.h"
#include "link/Settings.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace windows
{

namespace
{

constexpr int kNumberColumn = 0;
constexpr int kNoteColumn = 1;
constexpr int kActiveColumn = 2;
constexpr int kRowCount = vms::link::kPhonebookSize;

const QString kActive = QStringLiteral("AKTIVAN");

template <typename W> W* bold(W* widget)
{
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
    return widget;
}

// Keeps a widget disabled for as long as it lives.
class DisabledWhile
{
public:
    explicit DisabledWhile(QWidget* widget) : m_widget(widget) { m_widget->setEnabled(false); }
    ~DisabledWhile() { m_widget->setEnabled(true); }
    DisabledWhile(const DisabledWhile&) = delete;
    DisabledWhile& operator=(const DisabledWhile&) = delete;

private:
    QWidget* m_widget;
};

// Why the text cannot go into its field of the record, or empty if it can.
QString fieldProblem(const QString& text, const QString& field, std::size_t maxChars)
{
    if (static_cast<std::size_t>(text.size()) > maxChars)
        return QStringLiteral("%1 može imati najviše %2 znakova.").arg(field).arg(maxChars);
    if (const QChar wide = firstUnsendable(text); !wide.isNull())
        return QStringLiteral("%1 sadrži znak koji uređaj ne podržava: %2").arg(field, wide);
    return {};
}

} // namespace

TfrmCallPhonebook::TfrmCallPhonebook(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmCallPhonebook"));
    setWindowTitle(QStringLiteral("Call Numbers Phonebook"));

    btnEnableCallFunction = named(new QPushButton(QStringLiteral("Uključi Call funkciju"), this),
                                  "btnEnableCallFunction");
    btnDissableCallFunction = named(new QPushButton(QStringLiteral("Isključi Call funkciju"), this),
                                    "btnDissableCallFunction");
    panCallNumbers = named(new QFrame(this), "panCallNumbers");
    panCallNumbers->setFrameShape(QFrame::StyledPanel);
    buildPanel();

    auto* top = new QHBoxLayout;
    top->addWidget(btnEnableCallFunction);
    top->addWidget(btnDissableCallFunction);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(panCallNumbers, 1);

    connect(btnEnableCallFunction, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnEnableCallFunctionClick);
    connect(btnDissableCallFunction, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnDissableCallFunctionClick);
    connect(btnPhonebookRead, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnPhonebookReadClick);
    connect(btnSetOnePhonebookRecord, &QPushButton::clicked, this,
            &TfrmCallPhonebook::btnSetOnePhonebookRecordClick);
    connect(Grid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { Grid1ColRowChanged(column, row); });
    connect(Grid1->verticalHeader(), &QHeaderView::sectionClicked, this,
            &TfrmCallPhonebook::Grid1GutterClick);
    connect(edCallNapomena, &QLineEdit::textChanged, this,
            &TfrmCallPhonebook::edCallNapomenaChange);
}

void TfrmCallPhonebook::buildPanel()
{
    QFrame* p = panCallNumbers;

    Grid1 = named(new QTableWidget(kRowCount, 3, p), "Grid1");
    Grid1->setHorizontalHeaderLabels(
        {QStringLiteral("Broj telefona"), QStringLiteral("Napomena"), QStringLiteral("Aktivan")});
    Grid1->setColumnWidth(kNumberColumn, 120);
    Grid1->setColumnWidth(kNoteColumn, 100);
    Grid1->setColumnWidth(kActiveColumn, 80);
    Grid1->verticalHeader()->setFixedWidth(40);
    Grid1->verticalHeader()->setSectionsClickable(true);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int row = 0; row < kRowCount; ++row) {
        Grid1->setVerticalHeaderItem(row, new QTableWidgetItem(QString::number(row + 1)));
        for (int column = 0; column < 3; ++column)
            Grid1->setItem(row, column, new QTableWidgetItem);
    }
    const int gridWidth = 40 + 120 + 100 + 80 + 2 * Grid1->frameWidth() +
                          Grid1->verticalScrollBar()->sizeHint().width();
    Grid1->setMinimumSize(gridWidth, 320);

    btnPhonebookRead =
        bold(named(new QPushButton(QStringLiteral("Pročitaj"), p), "btnPhonebookRead"));
    sGauge1 = named(new Gauge(p), "sGauge1");
    sGauge1->setProgress(0);
    sGauge1->setVisible(false);

    sLabel3 = named(new QLabel(QStringLiteral("Polje za upis:"), p), "sLabel3");
    edCallNmbrField = named(new QLineEdit(p), "edCallNmbrField");
    edCallNmbrField->setReadOnly(true);
    cbCallNmbrAktivan =
        bold(named(new QCheckBox(QStringLiteral("Aktivan"), p), "cbCallNmbrAktivan"));
    sLabel1 = named(new QLabel(QStringLiteral("Broj telefona:"), p), "sLabel1");
    edGSMCallNumber = named(new QLineEdit(p), "edGSMCallNumber");
    sLabel4 = named(new QLabel(QStringLiteral("Max 15 chars"), p), "sLabel4");
    sLabel2 = named(new QLabel(QStringLiteral("Napomena:"), p), "sLabel2");
    edCallNapomena = named(new QLineEdit(p), "edCallNapomena");
    sLabel5 = named(new QLabel(QStringLiteral("Max 6 chars"), p), "sLabel5");
    btnSetOnePhonebookRecord =
        bold(named(new QPushButton(QStringLiteral("Upiši"), p), "btnSetOnePhonebookRecord"));

    // Wide enough for a whole number of the record without scrolling.
    const int numberWidth =
        edGSMCallNumber->fontMetrics().horizontalAdvance(QString(18, QLatin1Char('0'))) + 12;
    edGSMCallNumber->setMinimumWidth(numberWidth);

    auto* fields = new QGridLayout;
    fields->addWidget(sLabel3, 0, 0);
    fields->addWidget(edCallNmbrField, 0, 1);
    fields->addWidget(cbCallNmbrAktivan, 1, 1);
    fields->addWidget(sLabel1, 2, 0);
    fields->addWidget(edGSMCallNumber, 2, 1);
    fields->addWidget(sLabel4, 2, 2);
    fields->addWidget(sLabel2, 3, 0);
    fields->addWidget(edCallNapomena, 3, 1);
    fields->addWidget(sLabel5, 3, 2);
    fields->setColumnStretch(1, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(btnPhonebookRead);
    side->addWidget(sGauge1);
    side->addSpacing(12);
    side->addLayout(fields);
    side->addWidget(btnSetOnePhonebookRecord);
    side->addStretch(1);

    auto* layout = new QHBoxLayout(p);
    layout->addWidget(Grid1, 1);
    layout->addLayout(side);
}

QString TfrmCallPhonebook::cellText(int row, int column) const
{
    const QTableWidgetItem* item = Grid1->item(row, column);
    return item != nullptr ? item->text() : QString();
}

void TfrmCallPhonebook::setCellText(int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = Grid1->item(row, column))
        item->setText(text);
    else
        Grid1->setItem(row, column, new QTableWidgetItem(text));
}

void TfrmCallPhonebook::btnEnableCallFunctionClick()
{
    if (MainForm == nullptr || MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(vms::link::requests::setCallFunction(true));
}

void TfrmCallPhonebook::btnDissableCallFunctionClick()
{
    if (MainForm == nullptr || MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(vms::link::requests::setCallFunction(false));
}

void TfrmCallPhonebook::btnPhonebookReadClick()
{
    if (MainForm == nullptr || MainForm->CurrentDevice() == nullptr)
        return;
    GSMCallPhoneBookReadPointer = 0;
    // One past the last record: the device's answer to it ends the read.
    GSMCallPhoneBookReadStop = vms::link::kPhonebookSize;
    sGauge1->setMaximum(100);
    sGauge1->setProgress(0);
    sGauge1->setVisible(true);
    MainForm->SendRequest(vms::link::requests::getPhonebookRecord(GSMCallPhoneBookReadPointer));
}

void TfrmCallPhonebook::HandlePhonebookRecord(const vms::link::PhonebookRecord& reply)
{
    // Only the low byte addresses a row; anything from 100 on has no row.
    if (reply.row < vms::link::kPhonebookSize && reply.row < Grid1->rowCount()) {
        setCellText(reply.row, kNumberColumn, QString::fromStdU16String(reply.number));
        setCellText(reply.row, kNoteColumn, QString::fromStdU16String(reply.note));
        setCellText(
            reply.row, kActiveColumn,
            QString::fromStdU16String(std::u16string(vms::link::phonebookActiveText(reply))));
    }

    // A stray reply after the read has ended must not creep the pointer
    // towards a wrap-around that would start a read of its own.
    if (GSMCallPhoneBookReadPointer <= GSMCallPhoneBookReadStop)
        ++GSMCallPhoneBookReadPointer;
    if (GSMCallPhoneBookReadPointer <= GSMCallPhoneBookReadStop) {
        sGauge1->setProgress(GSMCallPhoneBookReadPointer + 1);
        if (MainForm != nullptr && MainForm->CurrentDevice() != nullptr)
            MainForm->SendRequest(
                vms::link::requests::getPhonebookRecord(GSMCallPhoneBookReadPointer));
    } else {
        sGauge1->setVisible(false);
    }
}

void TfrmCallPhonebook::Grid1ColRowChanged(int /*ACol*/, int ARow)
{
    selectRow(ARow);
}

void TfrmCallPhonebook::Grid1GutterClick(int ARow)
{
    selectRow(ARow);
}

void TfrmCallPhonebook::selectRow(int row)
{
    // The grid reports -1 when it loses its current cell.
    if (row < 0 || row >= Grid1->rowCount())
        return;
    edCallNmbrField->setText(QString::number(row + 1));
    edGSMCallNumber->setText(cellText(row, kNumberColumn));
    edCallNapomena->setText(cellText(row, kNoteColumn));
    cbCallNmbrAktivan->setChecked(cellText(row, kActiveColumn) == kActive);
}

void TfrmCallPhonebook::edCallNapomenaChange()
{
    const bool tooLong =
        static_cast<std::size_t>(edCallNapomena->text().size()) > vms::link::kPhonebookNoteMaxChars;
    QPalette palette = edCallNapomena->palette();
    palette.setColor(QPalette::Text, tooLong ? QColor(255, 0, 0) : QColor(0, 0, 0));
    edCallNapomena->setPalette(palette);
}

void TfrmCallPhonebook::btnSetOnePhonebookRecordClick()
{
    if (MainForm == nullptr || MainForm->CurrentDevice() == nullptr)
        return;

    // Everything is checked before anything is sent: a record the device
    // cannot hold is refused rather than cut or sent to a made-up index.
    const QString field = edCallNmbrField->text().trimmed();
    if (field.isEmpty()) {
        dialogs().warning(this, QStringLiteral("Polje za upis je prazno: izaberite red u tabeli."));
        return;
    }
    std::int32_t recordNumber = 0;
    try {
        recordNumber = vms::link::parseInteger(field.toStdU16String());
    } catch (const vms::link::ConvertError& e) {
        dialogs().error(this, QString::fromStdU16String(e.text()));
        return;
    }
    if (recordNumber < 1 || recordNumber > vms::link::kPhonebookSize) {
        dialogs().warning(
            this,
            QStringLiteral("Broj zapisa mora biti od 1 do %1.").arg(vms::link::kPhonebookSize));
        return;
    }
    const QString number = edGSMCallNumber->text();
    const QString note = edCallNapomena->text();
    for (const QString& problem :
         {fieldProblem(number, QStringLiteral("Broj telefona"),
                       vms::link::kPhonebookNumberMaxChars),
          fieldProblem(note, QStringLiteral("Napomena"), vms::link::kPhonebookNoteMaxChars)}) {
        if (!problem.isEmpty()) {
            dialogs().warning(this, problem);
            return;
        }
    }

    vms::link::PhonebookEntry entry;
    entry.index = static_cast<std::uint16_t>(recordNumber - 1);
    entry.number = number.toStdU16String();
    entry.note = note.toStdU16String();
    entry.active = cbCallNmbrAktivan->isChecked();

    // A second click while this write waits would take this acknowledgement
    // for its own.
    bool acknowledged = false;
    {
        const DisabledWhile busy(btnSetOnePhonebookRecord);
        WaitForOk = true;
        MainForm->SendRequest(vms::link::requests::setPhonebookRecord(entry));
        acknowledged = MainForm->WaitForAcknowledge(WaitForOk);
    }
    if (!acknowledged || MainForm->CurrentDevice() == nullptr)
        return;

    // Read the record back so the grid shows what the device now holds.
    GSMCallPhoneBookReadPointer = entry.index;
    GSMCallPhoneBookReadStop = entry.index;
    MainForm->SendRequest(vms::link::requests::getPhonebookRecord(entry.index));
}

} // namespace windows
