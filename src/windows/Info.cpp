#include "windows/Info.h"

namespace windows
{

TInfoForm::TInfoForm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("InfoForm"));
    setWindowTitle(QStringLiteral("HID Device Info"));
}

} // namespace windows
