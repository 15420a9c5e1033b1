#pragma once

#include <QDialog>

class QLabel;
class QListWidget;

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

    QLabel* Label10 = nullptr;
    QLabel* VendorName = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* SerialNo = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* DevStrings = nullptr;
    QLabel* Label12 = nullptr;
    QListWidget* LangStrings = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Vid = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Pid = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Vers = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* InputLen = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* OutputLen = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* FeatureLen = nullptr;
    QLabel* Label13 = nullptr;

    // Fills every control from Dev.
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace windows
