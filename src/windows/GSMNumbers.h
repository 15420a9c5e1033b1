#pragma once

#include "link/Replies.h"

#include <QWidget>

namespace windows
{

// GSM numbers (unit GSMNumbers).
class TfrmGSMNumbers : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmGSMNumbers(QWidget* parent = nullptr);

    // Set while an "SN" write waits for its acknowledgement.
    bool WaitForOk = false;

    // "GN" reply: one number of a chained read.
    void HandleGsmNumber(const vms::link::GsmNumber& reply);
};

} // namespace windows
