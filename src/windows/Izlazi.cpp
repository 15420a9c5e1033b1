#include "windows/Izlazi.h"

#include "windows/DevReader.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"

#include "link/NumberText.h"
#include "link/Requests.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace windows
{

namespace
{

// The pulse period in units of 100 ms; 250 is the device's own limit.
constexpr int kMinPeriod = 1;
constexpr int kMaxPeriod = 250;

} // namespace

TfrmIzlazi::TfrmIzlazi(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmIzlazi"));
    setWindowTitle(QStringLiteral("Podešavanje izlaza"));

    sLabel1 = new QLabel(QStringLiteral("Podešavanje držanja releja u puls modu:"), this);
    sLabel1->setObjectName(QStringLiteral("sLabel1"));
    edRelayDelay = new QLineEdit(this);
    edRelayDelay->setObjectName(QStringLiteral("edRelayDelay"));
    // Digits only: a sign or a blank is nothing the user means to type here.
    edRelayDelay->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    sLabel2 = new QLabel(QStringLiteral("x 100ms"), this);
    sLabel2->setObjectName(QStringLiteral("sLabel2"));
    btReadRelayDelay = new QPushButton(QStringLiteral("Pročitaj"), this);
    btReadRelayDelay->setObjectName(QStringLiteral("btReadRelayDelay"));
    btSetRelayDelay = new QPushButton(QStringLiteral("Upiši"), this);
    btSetRelayDelay->setObjectName(QStringLiteral("btSetRelayDelay"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(sLabel1, 0, 0, 1, 2);
    grid->addWidget(edRelayDelay, 1, 0);
    grid->addWidget(sLabel2, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btReadRelayDelay);
    buttons->addWidget(btSetRelayDelay);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(3, 1);

    connect(btReadRelayDelay, &QPushButton::clicked, this, &TfrmIzlazi::btReadRelayDelayClick);
    connect(btSetRelayDelay, &QPushButton::clicked, this, &TfrmIzlazi::btSetRelayDelayClick);
}

void TfrmIzlazi::btReadRelayDelayClick()
{
    if (MainForm == nullptr || MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(vms::link::requests::getRelayPeriod());
}

void TfrmIzlazi::btSetRelayDelayClick()
{
    std::int32_t period = 0;
    try {
        period = vms::link::parseInteger(edRelayDelay->text().toStdU16String());
    } catch (const vms::link::ConvertError& e) {
        dialogs().error(this, QString::fromStdU16String(e.text()));
        return;
    }
    // The range is told even without a device: the user learns it at once.
    if (period < kMinPeriod || period > kMaxPeriod) {
        dialogs().warning(this, QStringLiteral("Period mora biti u granicama od 1 do 250!"), true);
        return;
    }
    if (MainForm == nullptr || MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(vms::link::requests::setRelayPeriod(static_cast<std::uint8_t>(period)));
}

void TfrmIzlazi::HandleRelayPeriod(const vms::link::RelayPeriod& reply)
{
    edRelayDelay->setText(QString::number(reply.period));
}

} // namespace windows
