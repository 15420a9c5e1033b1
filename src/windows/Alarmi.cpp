#include "windows/Alarmi.h"
#include "windows/Controls.h"

#include "windows/ADSettings.h"
#include "windows/DevReader.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"
#include "windows/widgets/Gauge.h"

#include "link/FixedPoint.h"
#include "link/NumberText.h"
#include "link/Requests.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <tuple>
#include <utility>

namespace windows
{
namespace
{

namespace requests = vms::link::requests;

constexpr std::uint8_t kLastSmsText = vms::link::kSmsTextCount - 1;
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

void setTextColour(QLineEdit* edit, const QColor& colour)
{
    if (edit->palette().color(QPalette::Text) == colour)
        return;
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, colour);
    edit->setPalette(palette);
}

// Texts longer than the device keeps are shown red while edited; nothing is cut.
void colourByLength(QLineEdit* edit)
{
    const bool tooLong = edit->text().size() > static_cast<qsizetype>(vms::link::kSmsTextMaxChars);
    setTextColour(edit, tooLong ? kRed : kBlack);
}

} // namespace

TfrmAlarmi::TfrmAlarmi(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAlarmi"));
    setWindowTitle(QStringLiteral("Podešavanje alarmnih parametara"));

    sPanel2 = named(new QFrame(this), "sPanel2");
    sPanel1 = named(new QFrame(this), "sPanel1");
    for (QFrame* panel : {sPanel2, sPanel1})
        panel->setFrameShape(QFrame::StyledPanel);
    buildAnalogPanel();
    buildDigitalPanel();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sPanel2);
    layout->addWidget(sPanel1);
}

void TfrmAlarmi::buildAnalogPanel()
{
    QFrame* p = sPanel2;
    auto label = [p](const char* name, const char* text) {
        return named(new QLabel(QString::fromUtf8(text), p), name);
    };
    auto edit = [p](const char* name) { return named(new QLineEdit(p), name); };
    auto check = [p](const char* name, const char* text) {
        return named(new QCheckBox(QString::fromUtf8(text), p), name);
    };
    auto button = [p](const char* name, const char* text) {
        return named(new QPushButton(QString::fromUtf8(text), p), name);
    };

    sLabel1 = label("sLabel1", "Analog Kanal 1");
    QFont bold = sLabel1->font();
    bold.setBold(true);
    sLabel1->setFont(bold);
    sLabel3 = label("sLabel3", "Opseg Maximum");
    edANAlarmMaxVal = edit("edANAlarmMaxVal");
    sLabel4 = label("sLabel4", "Opseg Minimum");
    edANAlarmMinVal = edit("edANAlarmMinVal");
    sLabel5 = label("sLabel5", "Vreme ponavljanja [minuta]");
    edANVremePonavljanja = edit("edANVremePonavljanja");
    sLabel20 = label("sLabel20", "Ukupno SMS-ova");
    edMaxSMSForSendind = edit("edMaxSMSForSendind");
    cbAN1AlarmOn = check("cbAN1AlarmOn", "Alarm Uključen");
    cbCustomANAlarmSMSs = check("cbCustomANAlarmSMSs", "Koristi Korisnički SMS");
    cbCustomANAlarmSMSs->setToolTip(QStringLiteral(
        "Ukoliko je cekiran, omogucava slanje poruka pri prekoracenju MAX i podkoracenju MIN "
        "opsega. Salju se ispod upisane SMS poruke na ove alarme. Nema obavestavanja kada dodje "
        "do normalizacije."));
    btGetAnalogAlarmSettings = button("btGetAnalogAlarmSettings", "Pročitaj");
    btSetAnalogAlarmSettings = button("btSetAnalogAlarmSettings", "Upiši");

    sLabel2 = label("sLabel2", "AD Kanal 2");
    sLabel2->setFont(bold);
    sEdit3 = edit("sEdit3");
    sEdit4 = edit("sEdit4");
    sEdit6 = edit("sEdit6");
    sCheckBox5 = check("sCheckBox5", "Alarm Uključen");
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{sLabel2, sEdit3, sEdit4, sEdit6, sCheckBox5})
        hidden->hide();

    gaSMSGauge2 = named(new Gauge(p), "gaSMSGauge2");
    gaSMSGauge2->setMaximum(100);
    gaSMSGauge2->setProgress(0);
    gaSMSGauge2->hide();
    sLabel6 = label("sLabel6", "SMS za Maximum");
    edSMSAlarmMax = edit("edSMSAlarmMax");
    sLabel7 = label("sLabel7", "SMS za Minimum");
    edSMSAlarmMin = edit("edSMSAlarmMin");
    btSMSProcitaj = button("btSMSProcitaj", "Pročitaj SMSs");
    btSMSUpisi = button("btSMSUpisi", "Upiši SMSs");

    auto* grid = new QGridLayout(p);
    grid->addWidget(sLabel1, 0, 0, 1, 2);
    grid->addWidget(sLabel2, 0, 2);
    grid->addWidget(sLabel3, 1, 0);
    grid->addWidget(edANAlarmMaxVal, 1, 1);
    grid->addWidget(sEdit3, 1, 2);
    grid->addWidget(btGetAnalogAlarmSettings, 1, 4);
    grid->addWidget(sLabel4, 2, 0);
    grid->addWidget(edANAlarmMinVal, 2, 1);
    grid->addWidget(sEdit4, 2, 2);
    grid->addWidget(btSetAnalogAlarmSettings, 2, 4);
    grid->addWidget(sLabel5, 3, 0);
    grid->addWidget(edANVremePonavljanja, 3, 1);
    grid->addWidget(sEdit6, 3, 2);
    grid->addWidget(sLabel20, 4, 0);
    grid->addWidget(edMaxSMSForSendind, 4, 1);
    grid->addWidget(cbAN1AlarmOn, 5, 0, 1, 2);
    grid->addWidget(sCheckBox5, 5, 2);
    grid->addWidget(cbCustomANAlarmSMSs, 6, 0, 1, 2);
    grid->addWidget(gaSMSGauge2, 6, 2, 1, 3);
    grid->addWidget(sLabel6, 7, 0, 1, 4);
    grid->addWidget(edSMSAlarmMax, 8, 0, 1, 4);
    grid->addWidget(btSMSProcitaj, 8, 4);
    grid->addWidget(sLabel7, 9, 0, 1, 4);
    grid->addWidget(edSMSAlarmMin, 10, 0, 1, 4);
    grid->addWidget(btSMSUpisi, 10, 4);
    grid->setColumnStretch(3, 1);

    connect(btGetAnalogAlarmSettings, &QPushButton::clicked, this,
            &TfrmAlarmi::btGetAnalogAlarmSettingsClick);
    connect(btSetAnalogAlarmSettings, &QPushButton::clicked, this,
            &TfrmAlarmi::btSetAnalogAlarmSettingsClick);
    connect(btSMSProcitaj, &QPushButton::clicked, this, &TfrmAlarmi::btSMSProcitajClick);
    connect(btSMSUpisi, &QPushButton::clicked, this, &TfrmAlarmi::btSMSUpisiClick);
}

void TfrmAlarmi::buildDigitalPanel()
{
    sPanel3 = named(new QFrame(sPanel1), "sPanel3");
    sPanel3->setFrameShape(QFrame::StyledPanel);

    QFrame* d = sPanel3;
    auto dLabel = [d](const char* name, const char* text) {
        return named(new QLabel(QString::fromUtf8(text), d), name);
    };
    sLabel13 = dLabel("sLabel13", "Kašnjenje detekcije DIN1");
    edDebounceDelayDIN1 = named(new QLineEdit(d), "edDebounceDelayDIN1");
    sLabel19 = dLabel("sLabel19", "x100ms");
    cbDINTr1 = named(new QCheckBox(QStringLiteral("DIN1 Triger"), d), "cbDINTr1");
    sLabel15 = dLabel("sLabel15", "Kašnjenje detekcije DIN2");
    edDebounceDelayDIN2 = named(new QLineEdit(d), "edDebounceDelayDIN2");
    sLabel17 = dLabel("sLabel17", "x100ms");
    cbDINTr2 = named(new QCheckBox(QStringLiteral("DIN2 Triger"), d), "cbDINTr2");
    sLabel16 = dLabel("sLabel16", "Kašnjenje detekcije DIN3");
    edDebounceDelayDIN3 = named(new QLineEdit(d), "edDebounceDelayDIN3");
    sLabel18 = dLabel("sLabel18", "x100ms");
    cbDINTr3 = named(new QCheckBox(QStringLiteral("DIN3 Triger"), d), "cbDINTr3");
    btnGetDINTrigers = named(new QPushButton(QStringLiteral("Pročitaj "), d), "btnGetDINTrigers");
    btnSetDINTrigers = named(new QPushButton(QStringLiteral("Upiši"), d), "btnSetDINTrigers");

    auto* dGrid = new QGridLayout(d);
    const std::array rows{std::tuple{sLabel13, edDebounceDelayDIN1, sLabel19, cbDINTr1},
                          std::tuple{sLabel15, edDebounceDelayDIN2, sLabel17, cbDINTr2},
                          std::tuple{sLabel16, edDebounceDelayDIN3, sLabel18, cbDINTr3}};
    for (int row = 0; row < 3; ++row) {
        const auto& [name, delay, unit, trigger] = rows[static_cast<std::size_t>(row)];
        dGrid->addWidget(name, row, 0);
        dGrid->addWidget(delay, row, 1);
        dGrid->addWidget(unit, row, 2);
        dGrid->addWidget(trigger, row, 3);
    }
    dGrid->addWidget(btnGetDINTrigers, 0, 5);
    dGrid->addWidget(btnSetDINTrigers, 1, 5);
    dGrid->setColumnStretch(4, 1);

    QFrame* p = sPanel1;
    auto label = [p](const char* name, const char* text) {
        return named(new QLabel(QString::fromUtf8(text), p), name);
    };
    auto edit = [p](const char* name) { return named(new QLineEdit(p), name); };

    sLabel14 = label("sLabel14", "PODEŠAVANJE SMS PORUKA DIGITALNIH ULAZA");
    QFont heading = sLabel14->font();
    heading.setBold(true);
    heading.setUnderline(true);
    sLabel14->setFont(heading);
    sLabel8 = label("sLabel8", "Digitalni ulaz 1 SILAZNA IVICA");
    edSMSDIN1_DN = edit("edSMSDIN1_DN");
    sLabel10 = label("sLabel10", "Digitalni ulaz 2 SILAZNA IVICA");
    edSMSDIN2_DN = edit("edSMSDIN2_DN");
    sLabel11 = label("sLabel11", "Digitalni ulaz 3 SILAZNA IVICA");
    edSMSDIN3_DN = edit("edSMSDIN3_DN");
    sLabel12 = label("sLabel12", "Digitalni ulaz 1 UZLAZNA IVICA");
    edSMSDIN1_UP = edit("edSMSDIN1_UP");
    sLabel21 = label("sLabel21", "Digitalni ulaz 2 UZLAZNA IVICA");
    edSMSDIN2_UP = edit("edSMSDIN2_UP");
    sLabel22 = label("sLabel22", "Digitalni ulaz 3 UZLAZNA IVICA");
    edSMSDIN3_UP = edit("edSMSDIN3_UP");
    GetSMSs = named(new QPushButton(QStringLiteral("Pročitaj"), p), "GetSMSs");
    SetSMSs = named(new QPushButton(QStringLiteral("Upiši"), p), "SetSMSs");
    SetSMSs->setCursor(Qt::PointingHandCursor);
    gaSMSGauge1 = named(new Gauge(p), "gaSMSGauge1");
    gaSMSGauge1->setMaximum(100);
    gaSMSGauge1->setProgress(0);
    gaSMSGauge1->hide();
    sLabel9 = label("sLabel9", "Napomena: Sve poruke mogu imati max 30 karaktera");

    auto* texts = new QGridLayout;
    const std::array left{std::pair{sLabel8, edSMSDIN1_DN}, std::pair{sLabel10, edSMSDIN2_DN},
                          std::pair{sLabel11, edSMSDIN3_DN}};
    const std::array right{std::pair{sLabel12, edSMSDIN1_UP}, std::pair{sLabel21, edSMSDIN2_UP},
                           std::pair{sLabel22, edSMSDIN3_UP}};
    for (int i = 0; i < 3; ++i) {
        const auto n = static_cast<std::size_t>(i);
        texts->addWidget(left[n].first, 2 * i, 0);
        texts->addWidget(left[n].second, 2 * i + 1, 0);
        texts->addWidget(right[n].first, 2 * i, 1);
        texts->addWidget(right[n].second, 2 * i + 1, 1);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(GetSMSs);
    buttons->addWidget(SetSMSs);
    buttons->addStretch(1);
    auto* gaugeColumn = new QVBoxLayout;
    gaugeColumn->addWidget(gaSMSGauge1);
    gaugeColumn->addWidget(sLabel9, 0, Qt::AlignRight);
    buttons->addLayout(gaugeColumn);

    auto* layout = new QVBoxLayout(p);
    layout->addWidget(sPanel3);
    layout->addWidget(sLabel14);
    layout->addLayout(texts);
    layout->addLayout(buttons);

    connect(btnGetDINTrigers, &QPushButton::clicked, this, &TfrmAlarmi::btnGetDINTrigersClick);
    connect(btnSetDINTrigers, &QPushButton::clicked, this, &TfrmAlarmi::btnSetDINTrigersClick);
    connect(GetSMSs, &QPushButton::clicked, this, &TfrmAlarmi::GetSMSsClick);
    connect(SetSMSs, &QPushButton::clicked, this, &TfrmAlarmi::SetSMSsClick);
    connect(edSMSDIN1_UP, &QLineEdit::textChanged, this, &TfrmAlarmi::edSMSDIN1_UPChange);
    connect(edSMSDIN2_UP, &QLineEdit::textChanged, this, &TfrmAlarmi::edSMSDIN2_UPChange);
    connect(edSMSDIN3_UP, &QLineEdit::textChanged, this, &TfrmAlarmi::edSMSDIN3_UPChange);
    connect(edSMSDIN1_DN, &QLineEdit::textChanged, this, &TfrmAlarmi::edSMSDIN1_DNChange);
    connect(edSMSDIN2_DN, &QLineEdit::textChanged, this, &TfrmAlarmi::edSMSDIN2_DNChange);
    connect(edSMSDIN3_DN, &QLineEdit::textChanged, this, &TfrmAlarmi::edSMSDIN3_DNChange);
}

void TfrmAlarmi::btGetAnalogAlarmSettingsClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(requests::getAlarm(vms::link::AlarmGroup::Analog));
}

void TfrmAlarmi::btSetAnalogAlarmSettingsClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    vms::link::AnalogAlarm alarm;
    try {
        // Every field converts before the limits are compared, so a bad entry
        // is reported even when the limits are also in the wrong order.
        alarm.maximum = vms::link::toFixedPoint(decimalOf(edANAlarmMaxVal));
        alarm.minimum = vms::link::toFixedPoint(decimalOf(edANAlarmMinVal));
        alarm.repeatMinutes = static_cast<std::uint16_t>(integerOf(edANVremePonavljanja));
        alarm.smsCount = static_cast<std::uint8_t>(integerOf(edMaxSMSForSendind));
    } catch (const vms::link::ConvertError& e) {
        dialogs().error(this, QString::fromStdU16String(e.text()));
        return;
    }
    alarm.alarmOn = cbAN1AlarmOn->isChecked();
    alarm.customTexts = cbCustomANAlarmSMSs->isChecked();
    if (alarm.minimum >= alarm.maximum) {
        dialogs().information(this,
                              QStringLiteral("Maximalna vrednost mora biti VECA od Minimalne!"));
        return;
    }
    MainForm->SendRequest(requests::setAnalogAlarm(alarm));
}

void TfrmAlarmi::btnGetDINTrigersClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(requests::getAlarm(vms::link::AlarmGroup::Digital));
}

void TfrmAlarmi::btnSetDINTrigersClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    vms::link::DigitalTriggers triggers;
    try {
        triggers.delay = {static_cast<std::uint8_t>(integerOf(edDebounceDelayDIN1)),
                          static_cast<std::uint8_t>(integerOf(edDebounceDelayDIN2)),
                          static_cast<std::uint8_t>(integerOf(edDebounceDelayDIN3))};
    } catch (const vms::link::ConvertError& e) {
        dialogs().error(this, QString::fromStdU16String(e.text()));
        return;
    }
    triggers.trigger = {cbDINTr1->isChecked(), cbDINTr2->isChecked(), cbDINTr3->isChecked()};
    MainForm->SendRequest(requests::setDigitalTriggers(triggers));
}

void TfrmAlarmi::HandleAnalogAlarm(const vms::link::AnalogAlarm& reply)
{
    edANAlarmMaxVal->setText(fixedPointText(reply.maximum));
    edANAlarmMinVal->setText(fixedPointText(reply.minimum));
    edANVremePonavljanja->setText(QString::number(reply.repeatMinutes));
    edMaxSMSForSendind->setText(QString::number(reply.smsCount));
    cbAN1AlarmOn->setChecked(reply.alarmOn);
    if (reply.customTexts.has_value())
        cbCustomANAlarmSMSs->setChecked(*reply.customTexts);
}

void TfrmAlarmi::HandleDigitalTriggers(const vms::link::DigitalTriggers& reply)
{
    cbDINTr1->setChecked(reply.trigger[0]);
    cbDINTr2->setChecked(reply.trigger[1]);
    cbDINTr3->setChecked(reply.trigger[2]);
    edDebounceDelayDIN1->setText(QString::number(reply.delay[0]));
    edDebounceDelayDIN2->setText(QString::number(reply.delay[1]));
    edDebounceDelayDIN3->setText(QString::number(reply.delay[2]));
}

QLineEdit* TfrmAlarmi::smsTextEdit(std::uint8_t index) const
{
    switch (index) {
    case 0:
        return edSMSDIN1_UP;
    case 1:
        return edSMSDIN2_UP;
    case 2:
        return edSMSDIN3_UP;
    case 3:
        return edSMSDIN1_DN;
    case 4:
        return edSMSDIN2_DN;
    case 5:
        return edSMSDIN3_DN;
    case 6:
        return frmADSettings != nullptr ? frmADSettings->edSMSAnalog1 : nullptr;
    case 7:
        return edSMSAlarmMax;
    case 8:
        return edSMSAlarmMin;
    default:
        return nullptr;
    }
}

void TfrmAlarmi::HandleSmsText(const vms::link::SmsText& reply)
{
    // The index comes from the device: only a known one names a control.
    if (QLineEdit* edit = smsTextEdit(reply.index))
        edit->setText(QString::fromStdU16String(reply.text));

    // Outside a chain an answer only fills its text: it asks for nothing more.
    if (!m_chainActive)
        return;

    ++SMSNumbReadPointer;
    if (SMSNumbReadPointer <= kLastSmsText) {
        gaSMSGauge1->setProgress(SMSNumbReadPointer + 1);
        gaSMSGauge2->setProgress(SMSNumbReadPointer + 1);
        MainForm->SendRequest(requests::getSmsText(SMSNumbReadPointer));
    } else {
        gaSMSGauge1->hide();
        gaSMSGauge2->hide();
        m_chainActive = false;
    }
}

void TfrmAlarmi::startChain(std::uint8_t first, Gauge* gauge, int maximum)
{
    SMSNumbReadPointer = first;
    m_chainActive = true;
    gauge->setMaximum(maximum);
    gauge->setProgress(first + 1);
    gauge->show();
    MainForm->SendRequest(requests::getSmsText(first));
}

void TfrmAlarmi::GetSMSsClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    startChain(0, gaSMSGauge1, 5);
}

void TfrmAlarmi::btSMSProcitajClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    startChain(7, gaSMSGauge2, 8);
}

void TfrmAlarmi::ReadSingleSmsText(std::uint8_t index)
{
    if (MainForm->CurrentDevice() == nullptr || index > kLastSmsText)
        return;
    MainForm->SendRequest(requests::getSmsText(index));
}

bool TfrmAlarmi::SmsTextsFit(QWidget* parent, std::initializer_list<const QLineEdit*> edits)
{
    for (const QLineEdit* edit : edits) {
        const QString text = edit->text().left(static_cast<qsizetype>(vms::link::kSmsTextMaxChars));
        if (const QChar c = firstUnsendable(text); !c.isNull()) {
            dialogs().error(parent,
                            QStringLiteral("SMS poruka \"%1\" sadrzi znak '%2' koji uredjaj ne "
                                           "podrzava. Poruke nisu upisane.")
                                .arg(edit->text(), QString(c)));
            return false;
        }
    }
    return true;
}

bool TfrmAlarmi::SendSmsText(std::uint8_t index, const QString& text)
{
    // An empty text cannot be stored: the device keeps the one it has.
    if (text.isEmpty())
        return false;
    WaitForOk = true;
    MainForm->SendRequest(requests::setSmsText(index, text.toStdU16String()));
    return true;
}

void TfrmAlarmi::SetSMSsClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    const std::array<const QLineEdit*, 6> edits{edSMSDIN1_UP, edSMSDIN2_UP, edSMSDIN3_UP,
                                                edSMSDIN1_DN, edSMSDIN2_DN, edSMSDIN3_DN};
    if (!SmsTextsFit(this, {edits[0], edits[1], edits[2], edits[3], edits[4], edits[5]}))
        return;
    gaSMSGauge1->show();
    for (std::uint8_t index = 0; index < edits.size(); ++index) {
        const bool sent = SendSmsText(index, edits[index]->text());
        gaSMSGauge1->setProgress(index + 1);
        if (sent)
            MainForm->WaitForAcknowledge(WaitForOk);
    }
    gaSMSGauge1->hide();
}

void TfrmAlarmi::btSMSUpisiClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    if (!SmsTextsFit(this, {edSMSAlarmMax, edSMSAlarmMin}))
        return;
    gaSMSGauge2->show();
    gaSMSGauge2->setMaximum(3);
    gaSMSGauge2->setProgress(1);
    const std::array texts{std::pair<std::uint8_t, const QLineEdit*>{7, edSMSAlarmMax},
                           std::pair<std::uint8_t, const QLineEdit*>{8, edSMSAlarmMin}};
    int progress = 1;
    for (const auto& [index, edit] : texts) {
        const bool sent = SendSmsText(index, edit->text());
        gaSMSGauge2->setProgress(progress++);
        if (sent)
            MainForm->WaitForAcknowledge(WaitForOk);
    }
    gaSMSGauge2->hide();
}

void TfrmAlarmi::edSMSDIN1_UPChange()
{
    colourByLength(edSMSDIN1_UP);
}

void TfrmAlarmi::edSMSDIN2_UPChange()
{
    colourByLength(edSMSDIN2_UP);
}

void TfrmAlarmi::edSMSDIN3_UPChange()
{
    colourByLength(edSMSDIN3_UP);
}

void TfrmAlarmi::edSMSDIN1_DNChange()
{
    colourByLength(edSMSDIN1_DN);
}

void TfrmAlarmi::edSMSDIN2_DNChange()
{
    colourByLength(edSMSDIN2_DN);
}

void TfrmAlarmi::edSMSDIN3_DNChange()
{
    colourByLength(edSMSDIN3_DN);
}

} // namespace windows
