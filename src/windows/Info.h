#pragma once

#include <QDialog>

namespace hid
{
class THidDevice;
}

namespace windows
{

// Device information (unit Info): the USB HID identity of the device in use.
// Built for one showing and destroyed after it.
class TInfoForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInfoForm(QWidget* owner);

    // The device shown; set by the creator before showing, never owned.
    hid::THidDevice* Dev = nullptr;
};

} // namespace windows
