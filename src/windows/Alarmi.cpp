#include "windows/Alarmi.h"

namespace windows
{

TfrmAlarmi::TfrmAlarmi(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAlarmi"));
    setWindowTitle(QStringLiteral("Podešavanje alarmnih parametara"));
}

} // namespace windows
