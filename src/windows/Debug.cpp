#include "windows/Debug.h"

#include "windows/DevReader.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"

#include "link/Requests.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace windows
{

namespace
{

// Names of the firmware's main states 1..16, in order.
constexpr std::array<const char*, 16> kStateNames = {
    "STATE_START",
    "STATE_IDLE",
    "STATE_LIST_MESSAGES",
    "STATE_RAPORT_SMS",
    "STATE_GSM_SIGNAL",
    "STATE_COLDSTART",
    "STATE_UTRAPORT",
    "STATE_INIT_RAPORT",
    "STATE_GSM_SIM_CARD",
    "STATE_GPRS_GET_STATE",
    "STATE_GPRS_RAPORTING",
    "STATE_GPRS_TRY_RECONNECT",
    "STATE_GPRS_SEND_TEXT",
    "STATE_GSM_SET_TXT_MODE",
    "STATE_GSM_REGISTRATION",
    "STATE_GSM_WAIT_FOR_CALL",
};

} // namespace

TfrmDebug::TfrmDebug(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmDebug"));
    setWindowTitle(QStringLiteral("Debug"));

    auto makeLabel = [this](const char* name, const char* caption, bool panelColour) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QString::fromLatin1(name));
        if (panelColour) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, QColor(66, 72, 80));
            label->setPalette(palette);
        }
        return label;
    };
    auto makeEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, QColor(237, 245, 255));
        palette.setColor(QPalette::Text, Qt::black);
        edit->setPalette(palette);
        return edit;
    };

    sLabel1 = makeLabel("sLabel1", "MainStateM", true);
    sLabel2 = makeLabel("sLabel2", "SMSListState", true);
    sLabel3 = makeLabel("sLabel3", "GSM_Init_State", true);
    sLabel4 = makeLabel("sLabel4", "GSMLiveRemaining", true);
    sLabel5 = makeLabel("sLabel5", "USARTDataReady(GSM_UART)", true);
    sLabel6 = makeLabel("sLabel6", "RaportSMSStateM", true);
    sLabel7 = makeLabel("sLabel7", "SendSMSTextStateM", true);
    sLabel8 = makeLabel("sLabel8", "ANAlarmDebounceCntr", false);
    sEdit1 = makeEdit("sEdit1");
    sEdit2 = makeEdit("sEdit2");
    sEdit3 = makeEdit("sEdit3");
    sEdit4 = makeEdit("sEdit4");
    sEdit5 = makeEdit("sEdit5");
    sEdit6 = makeEdit("sEdit6");
    sEdit7 = makeEdit("sEdit7");
    sEdit8 = makeEdit("sEdit8");
    sEdit8->setMinimumWidth(220);
    sEdit9 = makeEdit("sEdit9");

    btSendSMS = new QPushButton(QStringLiteral("Send Test SMS to ALL"), this);
    btSendSMS->setObjectName(QStringLiteral("btSendSMS"));
    btSendSMS->setToolTip(QStringLiteral("Na sve upisane brojeve telefona salje TEST SMS poruku"));

    auto* grid = new QGridLayout(this);
    QLabel* labels[] = {sLabel1, sLabel2, sLabel3, sLabel4, sLabel5, sLabel6, sLabel7, sLabel8};
    QLineEdit* edits[] = {sEdit1, sEdit2, sEdit3, sEdit4, sEdit5, sEdit6, sEdit7, sEdit9};
    for (int row = 0; row < 8; ++row) {
        grid->addWidget(labels[row], row, 0);
        grid->addWidget(edits[row], row, 1);
    }
    grid->addWidget(sEdit8, 0, 2);
    grid->addWidget(btSendSMS, 8, 0, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(9, 1);

    // textChanged, not textEdited: the status report's writes count as well.
    connect(sEdit1, &QLineEdit::textChanged, this, &TfrmDebug::sEdit1Change);
    connect(btSendSMS, &QPushButton::clicked, this, &TfrmDebug::btSendSMSClick);
}

void TfrmDebug::sEdit1Change()
{
    const QString text = sEdit1->text();
    for (std::size_t i = 0; i < kStateNames.size(); ++i) {
        if (text == QString::number(i + 1)) {
            sEdit8->setText(QString::fromLatin1(kStateNames[i]));
            return;
        }
    }
}

void TfrmDebug::btSendSMSClick()
{
    if (!dialogs().confirm(
            this, QStringLiteral(
                      "Da li zaista zelite da posaljete na sve upisane brojeve TEST SMS poruku?")))
        return;
    if (MainForm == nullptr || MainForm->CurrentDevice() == nullptr)
        return;
    MainForm->SendRequest(vms::link::requests::sendTestSms());
}

} // namespace windows
