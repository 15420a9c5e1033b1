#pragma once

#include <QWidget>

namespace windows
{

// Analog input calibration (unit ADSettings).
class TfrmADSettings : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmADSettings(QWidget* parent = nullptr);
};

} // namespace windows
