#include "windows/GSMNumbers.h"
#include "windows/Controls.h"
#include "windows/Dialogs.h"

#include "windows/DevReader.h"
#include "windows/Forms.h"
#include "windows/widgets/Gauge.h"

#include "link/Requests.h"
#include "link/Settings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace windows
{

namespace
{

const QColor kLightYellow(255, 255, 128);

} // namespace

TfrmGSMNumbers::TfrmGSMNumbers(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmGSMNumbers"));
    setWindowTitle(QStringLiteral("GSM Numbers"));

    QLabel** labels[] = {&sLabel1, &sLabel2, &sLabel3, &sLabel4, &sLabel5, &sLabel6};
    QLineEdit** fields[] = {&edGSMN1, &edGSMN2, &edGSMN3, &edGSMN4, &edGSMN5, &edGSMN6};

    auto* grid = new QGridLayout;
    for (int i = 0; i < vms::link::kGsmNumberCount; ++i) {
        QLabel* label = new QLabel(QStringLiteral("GSM Broj %1:").arg(i + 1), this);
        label->setObjectName(QStringLiteral("sLabel%1").arg(i + 1));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        *labels[i] = label;

        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("edGSMN%1").arg(i + 1));
        edit->setMinimumWidth(200);
        *fields[i] = edit;

        grid->addWidget(label, i, 0);
        grid->addWidget(edit, i, 1);
    }
    // The first two numbers are the ones the device uses most: they stand out.
    for (QLineEdit* edit : {edGSMN1, edGSMN2}) {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, kLightYellow);
        edit->setPalette(palette);
    }
    setTabOrder(edGSMN1, edGSMN2);
    setTabOrder(edGSMN2, edGSMN3);
    setTabOrder(edGSMN3, edGSMN4);
    setTabOrder(edGSMN4, edGSMN5);
    setTabOrder(edGSMN5, edGSMN6);

    sGauge1 = new Gauge(this);
    sGauge1->setObjectName(QStringLiteral("sGauge1"));
    sGauge1->setRange(0, 100);
    sGauge1->setProgress(0);
    sGauge1->hide();

    btGSMNRead = new QPushButton(QStringLiteral("Pročitaj"), this);
    btGSMNRead->setObjectName(QStringLiteral("btGSMNRead"));
    btGSMNWrite = new QPushButton(QStringLiteral("Upiši"), this);
    btGSMNWrite->setObjectName(QStringLiteral("btGSMNWrite"));
    connect(btGSMNRead, &QPushButton::clicked, this, &TfrmGSMNumbers::btGSMNReadClick);
    connect(btGSMNWrite, &QPushButton::clicked, this, &TfrmGSMNumbers::btGSMNWriteClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btGSMNRead);
    buttons->addWidget(btGSMNWrite);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(sGauge1);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

std::array<QLineEdit*, 6> TfrmGSMNumbers::edits() const
{
    return {edGSMN1, edGSMN2, edGSMN3, edGSMN4, edGSMN5, edGSMN6};
}

void TfrmGSMNumbers::btGSMNReadClick()
{
    if (MainForm->CurrentDevice() == nullptr)
        return;
    GSMNumbReadPointer = 0;
    sGauge1->setMaximum(vms::link::kGsmNumberCount);
    sGauge1->setProgress(0);
    sGauge1->show();
    MainForm->SendRequest(vms::link::requests::getGsmNumber(0));
}

void TfrmGSMNumbers::HandleGsmNumber(const vms::link::GsmNumber& reply)
{
    // The index is the device's word: only 0..5 name an edit.
    if (reply.index < vms::link::kGsmNumberCount)
        edits()[reply.index]->setText(QString::fromStdU16String(reply.number));

    // Stray replies must not wrap the pointer round to a new read.
    if (GSMNumbReadPointer < vms::link::kGsmNumberCount)
        ++GSMNumbReadPointer;

    if (GSMNumbReadPointer < vms::link::kGsmNumberCount) {
        sGauge1->setProgress(reply.index + 1);
        if (MainForm->CurrentDevice() != nullptr)
            MainForm->SendRequest(vms::link::requests::getGsmNumber(GSMNumbReadPointer));
    } else {
        sGauge1->hide();
    }
}

void TfrmGSMNumbers::btGSMNWriteClick()
{
    if (MainForm->CurrentDevice() == nullptr || m_writing)
        return;

    // The device keeps one byte per character: a letter such as č would be
    // stored as another byte, so nothing is sent rather than a wrong number.
    const auto fields = edits();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const QString sent = fields[i]->text().left(vms::link::kGsmNumberMaxChars);
        if (const QChar c = firstUnsendable(sent); !c.isNull()) {
            dialogs().error(this, QStringLiteral("GSM broj %1 sadrzi znak '%2' koji uredjaj ne "
                                                 "podrzava. Brojevi nisu upisani.")
                                      .arg(i + 1)
                                      .arg(c));
            return;
        }
    }

    // The waits below run the event loop: a second write or a read started
    // from inside them would interleave with this one and could overwrite
    // numbers the user has not sent yet.
    m_writing = true;
    btGSMNRead->setEnabled(false);
    btGSMNWrite->setEnabled(false);
    sGauge1->show();

    for (std::uint8_t i = 0; i < vms::link::kGsmNumberCount; ++i) {
        // The device may go away during a wait; what is left is not sent.
        if (MainForm->CurrentDevice() == nullptr)
            break;
        const std::u16string number = fields[i]->text().toStdU16String();
        WaitForOk = true;
        MainForm->SendRequest(vms::link::requests::setGsmNumber(i, number));
        sGauge1->setProgress(i + 1);
        // A number that is not acknowledged has been reported; the rest go on.
        MainForm->WaitForAcknowledge(WaitForOk);
    }

    sGauge1->hide();
    btGSMNRead->setEnabled(true);
    btGSMNWrite->setEnabled(true);
    m_writing = false;
}

} // namespace windows
