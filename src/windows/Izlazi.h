#pragma once

#include "link/Replies.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace windows
{

// Relay output settings (unit Izlazi): the relay's pulse period.
class TfrmIzlazi : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmIzlazi(QWidget* parent = nullptr);

    QLabel* sLabel1 = nullptr;
    QLineEdit* edRelayDelay = nullptr;
    QLabel* sLabel2 = nullptr;
    QPushButton* btReadRelayDelay = nullptr;
    QPushButton* btSetRelayDelay = nullptr;

    void btReadRelayDelayClick();
    void btSetRelayDelayClick();

    // "GO" reply: the relay period.
    void HandleRelayPeriod(const vms::link::RelayPeriod& reply);
};

} // namespace windows
