#pragma once

#include "link/Replies.h"

#include <QWidget>

namespace windows
{

// Analog input calibration (unit ADSettings).
class TfrmADSettings : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmADSettings(QWidget* parent = nullptr);

    // "GK" reply: the analog input coefficients.
    void HandleCoefficients(const vms::link::Coefficients& reply);
};

} // namespace windows
