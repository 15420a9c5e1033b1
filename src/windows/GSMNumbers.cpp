#include "windows/GSMNumbers.h"

namespace windows
{

TfrmGSMNumbers::TfrmGSMNumbers(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmGSMNumbers"));
    setWindowTitle(QStringLiteral("GSM Numbers"));
}

void TfrmGSMNumbers::HandleGsmNumber(const vms::link::GsmNumber& /*reply*/) {}

} // namespace windows
