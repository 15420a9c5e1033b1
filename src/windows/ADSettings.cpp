#include "windows/ADSettings.h"
#include "windows/Controls.h"

#include "windows/Alarmi.h"
#include "windows/DevReader.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"

#include "link/NumberText.h"
#include "link/Requests.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace windows
{
namespace
{

namespace requests = vms::link::requests;

constexpr std::uint8_t kAnalogSmsText = 6;

} // namespace

TfrmADSettings::TfrmADSettings(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmADSettings"));
    setWindowTitle(QStringLiteral("AD Podešavanja"));

    auto label = [this](const char* name, const char* text) {
        return named(new QLabel(QString::fromUtf8(text), this), name);
    };
    auto edit = [this](const char* name) { return named(new QLineEdit(this), name); };
    auto button = [this](const char* name, const char* text) {
        return named(new QPushButton(QString::fromUtf8(text), this), name);
    };
    auto check = [this](const char* name) {
        return named(new QCheckBox(QStringLiteral("Use Voltage OUT"), this), name);
    };

    sLabel3 = label("sLabel3", "AD Kanal 1");
    QFont heading = sLabel3->font();
    heading.setBold(true);
    heading.setUnderline(true);
    sLabel3->setFont(heading);
    cbUseVoltageOUTCH1 = check("cbUseVoltageOUTCH1");
    sLabel8 = label("sLabel8", "AD Offset");
    edADRawOffsetCh1 = edit("edADRawOffsetCh1");
    sLabel1 = label("sLabel1", "Koeficijent K");
    edKoefKCh1 = edit("edKoefKCh1");
    sLabel2 = label("sLabel2", "Koeficijent N");
    edKoefNCh1 = edit("edKoefNCh1");
    btGetKoef = button("btGetKoef", "Pročitaj");
    btSetKoef = button("btSetKoef", "Snimi");

    btADZerro = button("btADZerro", "Zerro");
    edADZerro = edit("edADZerro");
    btADFullscale = button("btADFullscale", "Full Scale");
    edADFullScale = edit("edADFullScale");
    sLabel12 = label("sLabel12", "Vrednost pri FS:");
    edVrednostPriFS = edit("edVrednostPriFS");
    btADCalcKN = button("btADCalcKN", "Izračunaj parametre");

    sLabel4 = label("sLabel4", "AD Kanal 2");
    sLabel4->setFont(heading);
    cbUseVoltageOUTCH2 = check("cbUseVoltageOUTCH2");
    sLabel9 = label("sLabel9", "AD Offset");
    edADRawOffsetCh2 = edit("edADRawOffsetCh2");
    sLabel5 = label("sLabel5", "Koeficijent K");
    edKoefKCh2 = edit("edKoefKCh2");
    sLabel6 = label("sLabel6", "Koeficijent N");
    edKoefNCh2 = edit("edKoefNCh2");
    edSMSAnalog2 = edit("edSMSAnalog2");
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{sLabel4, cbUseVoltageOUTCH2, sLabel9, edADRawOffsetCh2,
                                         sLabel5, edKoefKCh2, sLabel6, edKoefNCh2, edSMSAnalog2})
        hidden->hide();

    sLabel7 = label("sLabel7", "Napomene: ");
    sLabel14 = label("sLabel14", "Za K i N koeficijente Maximalno 3 decimale");
    sLabel13 = label("sLabel13", "Za K i N maximalna vrednost moze biti 200.00");
    sLabel10 = label("sLabel10", "SMS poruka moze sadrzati max 30 karaktera");

    sLabel11 = label("sLabel11", "Text SMS poruke za analogni ulaz:");
    edSMSAnalog1 = edit("edSMSAnalog1");
    sBitBtn1 = button("sBitBtn1", "Pročitaj SMS");
    sBitBtn2 = button("sBitBtn2", "Upiši SMS");

    auto* channel1 = new QGridLayout;
    channel1->addWidget(sLabel3, 0, 0);
    channel1->addWidget(cbUseVoltageOUTCH1, 0, 1);
    channel1->addWidget(sLabel8, 1, 0);
    channel1->addWidget(edADRawOffsetCh1, 1, 1);
    channel1->addWidget(sLabel1, 2, 0);
    channel1->addWidget(edKoefKCh1, 2, 1);
    channel1->addWidget(sLabel2, 3, 0);
    channel1->addWidget(edKoefNCh1, 3, 1);
    channel1->addWidget(btGetKoef, 4, 0);
    channel1->addWidget(btSetKoef, 4, 1);

    auto* calibration = new QGridLayout;
    calibration->addWidget(btADZerro, 0, 0);
    calibration->addWidget(edADZerro, 0, 1);
    calibration->addWidget(btADFullscale, 1, 0);
    calibration->addWidget(edADFullScale, 1, 1);
    calibration->addWidget(sLabel12, 2, 0);
    calibration->addWidget(edVrednostPriFS, 2, 1);
    calibration->addWidget(btADCalcKN, 3, 0, 1, 2);
    calibration->setRowStretch(4, 1);

    auto* channel2 = new QGridLayout;
    channel2->addWidget(sLabel4, 0, 0);
    channel2->addWidget(cbUseVoltageOUTCH2, 0, 1);
    channel2->addWidget(sLabel9, 1, 0);
    channel2->addWidget(edADRawOffsetCh2, 1, 1);
    channel2->addWidget(sLabel5, 2, 0);
    channel2->addWidget(edKoefKCh2, 2, 1);
    channel2->addWidget(sLabel6, 3, 0);
    channel2->addWidget(edKoefNCh2, 3, 1);
    channel2->addWidget(edSMSAnalog2, 4, 0, 1, 2);

    auto* sms = new QGridLayout;
    sms->addWidget(sLabel11, 0, 0, 1, 2);
    sms->addWidget(edSMSAnalog1, 1, 0, 1, 2);
    sms->addWidget(sBitBtn1, 2, 0);
    sms->addWidget(sBitBtn2, 2, 1);

    auto* notes = new QVBoxLayout;
    notes->addStretch(1);
    for (QLabel* note : {sLabel7, sLabel14, sLabel13, sLabel10})
        notes->addWidget(note);

    auto* layout = new QGridLayout(this);
    layout->addLayout(channel1, 0, 0);
    layout->addLayout(calibration, 0, 1);
    layout->addLayout(channel2, 0, 2);
    layout->addLayout(sms, 1, 0);
    layout->addLayout(notes, 1, 1, 1, 2);
    layout->setHorizontalSpacing(24);

    connect(btGetKoef, &QPushButton::clicked, this, &TfrmADSettings::btGetKoefClick);
    connect(btSetKoef, &QPushButton::clicked, this, &TfrmADSettings::btSetKoefClick);
    connect(btADZerro, &QPushButton::clicked, this, &TfrmADSettings::btADZerroClick);
    connect(btADFullscale, &QPushButton::clicked, this, &TfrmADSettings::btADFullscaleClick);
    connect(btADCalcKN, &QPushButton::clicked, this, &TfrmADSettings::btADCalcKNClick);
    connect(sBitBtn1, &QPushButton::clicked, this, &TfrmADSettings::sBitBtn1Click);
    connect(sBitBtn2, &QPushButton::clicked, this, &TfrmADSettings::sBitBtn2Click);
}

void TfrmADSettings::HandleCoefficients(const vms::link::Coefficients& reply)
{
    edKoefKCh1->setText(fixedPointText(reply.k1));
    edKoefNCh1->setText(fixedPointText(reply.n1));
    edKoefKCh2->setText(fixedPointText(reply.k2));
    edKoefNCh2->setText(fixedPointText(reply.n2));
    edADRawOffsetCh1->setText(QString::number(reply.offset1));
    edADRawOffsetCh2->setText(QString::number(reply.offset2));
    cbUseVoltageOUTCH1->setChecked(reply.useVoltageOut1);
    cbUseVoltageOUTCH2->setChecked(reply.useVoltageOut2);
}

void TfrmADSettings::btGetKoefClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(requests::getCoefficients());
}

void TfrmADSettings::btSetKoefClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    vms::link::Coefficients c;
    try {
        c.k1 = fixedPointOf(edKoefKCh1);
        c.n1 = fixedPointOf(edKoefNCh1);
        c.k2 = fixedPointOf(edKoefKCh2);
        c.n2 = fixedPointOf(edKoefNCh2);
        c.offset1 = static_cast<std::int16_t>(integerOf(edADRawOffsetCh1));
        c.offset2 = static_cast<std::int16_t>(integerOf(edADRawOffsetCh2));
    } catch (const vms::link::ConvertError& e) {
        dialogs().error(this, QString::fromStdU16String(e.text()));
        return;
    }
    c.useVoltageOut1 = cbUseVoltageOUTCH1->isChecked();
    c.useVoltageOut2 = cbUseVoltageOUTCH2->isChecked();
    MainForm->SendRequest(requests::setCoefficients(c));
}

void TfrmADSettings::btADZerroClick()
{
    edADZerro->setText(QString::number(MainForm->ADRawCH1));
}

void TfrmADSettings::btADFullscaleClick()
{
    edADFullScale->setText(QString::number(MainForm->ADRawCH1));
}

void TfrmADSettings::btADCalcKNClick()
{
    try {
        const long double zero = decimalOf(edADZerro);
        const long double fullScale = decimalOf(edADFullScale);
        const long double value = decimalOf(edVrednostPriFS);
        const long double span = fullScale - zero;
        if (span == 0.0L) {
            dialogs().error(this, value == 0.0L
                                      ? QStringLiteral("Invalid floating point operation")
                                      : QStringLiteral("Floating point division by zero"));
            return;
        }
        long double k = value / span;
        if (!std::isfinite(k)) {
            dialogs().error(this, QStringLiteral("Floating point overflow"));
            return;
        }
        if (k == 0.0L)
            k = 0.0L; // no "-0" for a zero value over a falling span
        edKoefKCh1->setText(
            QString::fromStdU16String(vms::link::formatGeneral(k, decimalSeparator())));
        // Negated in 64 bits: the lowest 32-bit value has no 32-bit opposite.
        const std::int64_t offset = -static_cast<std::int64_t>(integerOf(edADZerro));
        edADRawOffsetCh1->setText(QString::number(offset));
    } catch (const vms::link::ConvertError& e) {
        dialogs().error(this, QString::fromStdU16String(e.text()));
    }
}

void TfrmADSettings::sBitBtn1Click()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    frmAlarmi->ReadSingleSmsText(kAnalogSmsText);
}

void TfrmADSettings::sBitBtn2Click()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    if (!frmAlarmi->SmsTextsFit(this, {edSMSAnalog1}))
        return;
    // The "SP" answer clears the alarm window's flag, so that is the one to wait on.
    if (frmAlarmi->SendSmsText(kAnalogSmsText, edSMSAnalog1->text()))
        MainForm->WaitForAcknowledge(frmAlarmi->WaitForOk);
}

} // namespace windows
