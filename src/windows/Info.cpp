#include "windows/Info.h"
#include "windows/Controls.h"

#include "hid/HidControllerClass.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QShowEvent>
#include <QVBoxLayout>

#include <cstdint>

namespace windows
{

namespace
{

QString fourHexDigits(std::uint16_t value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

// Report lengths count the report ID byte; the user wants the payload.
void showReportLength(QLabel* label, std::uint16_t length)
{
    if (length != 0)
        label->setText(QString::number(length - 1, 16).toUpper());
}

} // namespace

TInfoForm::TInfoForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("InfoForm"));
    setWindowTitle(QStringLiteral("HID Device Info"));

    auto label = [this](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto list = [this](const char* name) {
        auto* l = new QListWidget(this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };

    Label10 = label("Label10", "Vendor name:");
    VendorName = label("VendorName", "VendorName");
    Label9 = label("Label9", "Product name:");
    ProductName = label("ProductName", "ProductName");
    Label11 = label("Label11", "Serial No:");
    SerialNo = label("SerialNo", "SerialNo");
    Label1 = label("Label1", "Strings");
    DevStrings = list("DevStrings");
    Label12 = label("Label12", "Languages");
    LangStrings = list("LangStrings");
    Label2 = label("Label2", "VID:");
    Vid = label("Vid", "Vid");
    Label3 = label("Label3", "PID:");
    Pid = label("Pid", "Pid");
    Label4 = label("Label4", "Version:");
    Vers = label("Vers", "Vers");
    Label5 = label("Label5", "Report Length");
    Label6 = label("Label6", "Input:");
    InputLen = label("InputLen", "0");
    Label7 = label("Label7", "Output:");
    OutputLen = label("OutputLen", "0");
    Label8 = label("Label8", "Feature:");
    FeatureLen = label("FeatureLen", "0");
    Label13 = label("Label13", "NOTE: All values is in HEX format");
    QPalette red = Label13->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label13->setPalette(red);

    for (QLabel* value : {VendorName, ProductName, SerialNo})
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* identity = new QGridLayout;
    identity->addWidget(Label10, 0, 0);
    identity->addWidget(VendorName, 0, 1);
    identity->addWidget(Label9, 1, 0);
    identity->addWidget(ProductName, 1, 1);
    identity->addWidget(Label11, 2, 0);
    identity->addWidget(SerialNo, 2, 1);
    identity->setColumnStretch(1, 1);

    auto* strings = new QVBoxLayout;
    strings->addWidget(Label1);
    strings->addWidget(DevStrings);
    auto* languages = new QVBoxLayout;
    languages->addWidget(Label12);
    languages->addWidget(LangStrings);
    auto* lists = new QHBoxLayout;
    lists->addLayout(strings, 3);
    lists->addLayout(languages, 2);

    auto* ids = new QGridLayout;
    ids->addWidget(Label2, 0, 0);
    ids->addWidget(Vid, 0, 1);
    ids->addWidget(Label3, 1, 0);
    ids->addWidget(Pid, 1, 1);
    ids->addWidget(Label4, 2, 0);
    ids->addWidget(Vers, 2, 1);
    ids->setColumnStretch(1, 1);

    auto* lengths = new QGridLayout;
    lengths->addWidget(Label5, 0, 0, 1, 2);
    lengths->addWidget(Label6, 1, 0);
    lengths->addWidget(InputLen, 1, 1);
    lengths->addWidget(Label7, 2, 0);
    lengths->addWidget(OutputLen, 2, 1);
    lengths->addWidget(Label8, 3, 0);
    lengths->addWidget(FeatureLen, 3, 1);
    lengths->setColumnStretch(1, 1);

    auto* lower = new QHBoxLayout;
    lower->addLayout(ids, 1);
    lower->addLayout(lengths, 1);

    auto* page = new QVBoxLayout(this);
    page->addLayout(identity);
    page->addLayout(lists, 1);
    page->addLayout(lower);
    page->addWidget(Label13);

    resize(460, 380);
}

void TInfoForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TInfoForm::FormShow()
{
    if (Dev == nullptr)
        return;

    VendorName->setText(toQString(Dev->VendorName()));
    ProductName->setText(toQString(Dev->ProductName()));
    SerialNo->setText(toQString(Dev->SerialNumber()));

    const hid::THIDDAttributes& attributes = Dev->Attributes();
    Vid->setText(fourHexDigits(attributes.VendorID));
    Pid->setText(fourHexDigits(attributes.ProductID));
    Vers->setText(fourHexDigits(attributes.VersionNumber));

    const hid::THIDPCaps caps = Dev->Caps();
    showReportLength(InputLen, caps.InputReportByteLength);
    showReportLength(OutputLen, caps.OutputReportByteLength);
    showReportLength(FeatureLen, caps.FeatureReportByteLength);

    // A window shown again lists the device once, not twice.
    DevStrings->clear();
    for (int index = 1; index <= 255; ++index) {
        const std::u16string text = Dev->IndexedString(index);
        if (text.empty())
            continue;
        DevStrings->addItem(QStringLiteral("%1) %2").arg(index, 3).arg(toQString(text)));
    }

    LangStrings->clear();
    for (const std::u16string& language : Dev->LanguageStrings())
        LangStrings->addItem(toQString(language));
}

} // namespace windows
