#pragma once

#include "link/Replies.h"

#include <QWidget>

#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace windows
{

class Gauge;

// GSM numbers (unit GSMNumbers).
class TfrmGSMNumbers : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmGSMNumbers(QWidget* parent = nullptr);

    QLabel* sLabel1 = nullptr;
    QLabel* sLabel2 = nullptr;
    QLabel* sLabel3 = nullptr;
    QLabel* sLabel4 = nullptr;
    QLabel* sLabel5 = nullptr;
    QLabel* sLabel6 = nullptr;
    QLineEdit* edGSMN1 = nullptr;
    QLineEdit* edGSMN2 = nullptr;
    QLineEdit* edGSMN3 = nullptr;
    QLineEdit* edGSMN4 = nullptr;
    QLineEdit* edGSMN5 = nullptr;
    QLineEdit* edGSMN6 = nullptr;
    Gauge* sGauge1 = nullptr;
    QPushButton* btGSMNRead = nullptr;
    QPushButton* btGSMNWrite = nullptr;

    // Next number to request in a chained read; 6 or more once it is over.
    std::uint8_t GSMNumbReadPointer = 0;
    // Set while an "SN" write waits for its acknowledgement.
    bool WaitForOk = false;

    void btGSMNReadClick();
    void btGSMNWriteClick();

    // "GN" reply: one number of a chained read.
    void HandleGsmNumber(const vms::link::GsmNumber& reply);

private:
    std::array<QLineEdit*, 6> edits() const;

    bool m_writing = false;
};

} // namespace windows
