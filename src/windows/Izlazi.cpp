#include "windows/Izlazi.h"

namespace windows
{

TfrmIzlazi::TfrmIzlazi(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmIzlazi"));
    setWindowTitle(QStringLiteral("Podešavanje izlaza"));
}

void TfrmIzlazi::HandleRelayPeriod(const vms::link::RelayPeriod& /*reply*/) {}

} // namespace windows
