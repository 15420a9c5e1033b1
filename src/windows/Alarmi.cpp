#include "windows/Alarmi.h"

namespace windows
{

TfrmAlarmi::TfrmAlarmi(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAlarmi"));
    setWindowTitle(QStringLiteral("Podešavanje alarmnih parametara"));
}

void TfrmAlarmi::HandleSmsText(const vms::link::SmsText& /*reply*/) {}

void TfrmAlarmi::HandleAnalogAlarm(const vms::link::AnalogAlarm& /*reply*/) {}

void TfrmAlarmi::HandleDigitalTriggers(const vms::link::DigitalTriggers& /*reply*/) {}

} // namespace windows
