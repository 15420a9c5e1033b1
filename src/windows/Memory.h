#pragma once

#include "link/Replies.h"

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

    // "GM" reply: one memory page.
    void HandleMemoryPage(const vms::link::MemoryPage& reply);
};

} // namespace windows
