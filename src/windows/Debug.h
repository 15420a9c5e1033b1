#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace windows
{

// Debug window (unit Debug): the firmware's internal counters and states.
class TfrmDebug : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmDebug(QWidget* parent = nullptr);

    QLabel* sLabel1 = nullptr;
    QLabel* sLabel2 = nullptr;
    QLabel* sLabel3 = nullptr;
    QLabel* sLabel4 = nullptr;
    QLabel* sLabel5 = nullptr;
    QLabel* sLabel6 = nullptr;
    QLabel* sLabel7 = nullptr;
    QLabel* sLabel8 = nullptr;
    QLineEdit* sEdit1 = nullptr;
    QLineEdit* sEdit2 = nullptr;
    QLineEdit* sEdit3 = nullptr;
    QLineEdit* sEdit4 = nullptr;
    QLineEdit* sEdit5 = nullptr;
    QLineEdit* sEdit6 = nullptr;
    QLineEdit* sEdit7 = nullptr;
    QLineEdit* sEdit8 = nullptr;
    QLineEdit* sEdit9 = nullptr;
    QPushButton* btSendSMS = nullptr;

    // Names the main state in sEdit1 in sEdit8; an unknown state keeps the
    // last name shown.
    void sEdit1Change();
    // Asks first, then has the device send a test SMS to every stored number.
    void btSendSMSClick();
};

} // namespace windows
