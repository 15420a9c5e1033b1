#include "windows/Memory.h"

#include "windows/widgets/Gauge.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace windows
{

TfrmMemory::TfrmMemory(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMemory"));
    setWindowTitle(QStringLiteral("Memory workbench"));

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

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btReadMemory);
    buttons->addWidget(sGauge1, 1);
    buttons->addWidget(btSaveBin);
    buttons->addWidget(btFormatMemory);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void TfrmMemory::HandleMemoryPage(const vms::link::MemoryPage& /*reply*/) {}

} // namespace windows
