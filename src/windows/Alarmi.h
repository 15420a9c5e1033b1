#pragma once

#include "link/Replies.h"

#include <QWidget>

namespace windows
{

// Alarm settings and SMS texts (unit Alarmi).
class TfrmAlarmi : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmAlarmi(QWidget* parent = nullptr);

    // Set while an "SP" write waits for its acknowledgement.
    bool WaitForOk = false;

    // "GP" reply: one SMS text of a chained read.
    void HandleSmsText(const vms::link::SmsText& reply);

    // "GA" reply with the analog alarm group.
    void HandleAnalogAlarm(const vms::link::AnalogAlarm& reply);

    // "GA" reply with the digital-input group.
    void HandleDigitalTriggers(const vms::link::DigitalTriggers& reply);
};

} // namespace windows
