#pragma once

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
};

} // namespace windows
