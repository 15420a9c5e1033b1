#pragma once

#include <QWidget>

class QPushButton;

namespace windows
{

class Gauge;

// Memory workbench (unit Memory).
class TfrmMemory : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmMemory(QWidget* parent = nullptr);

    QPushButton* btReadMemory = nullptr;
    Gauge* sGauge1 = nullptr;
    QPushButton* btSaveBin = nullptr;
    QPushButton* btFormatMemory = nullptr;
};

} // namespace windows
