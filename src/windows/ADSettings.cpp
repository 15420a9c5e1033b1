#include "windows/ADSettings.h"

namespace windows
{

TfrmADSettings::TfrmADSettings(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmADSettings"));
    setWindowTitle(QStringLiteral("AD Podešavanja"));
}

void TfrmADSettings::HandleCoefficients(const vms::link::Coefficients& /*reply*/) {}

} // namespace windows
