#pragma once

#include "link/Replies.h"

#include <QWidget>

#include <cstdint>

class QPushButton;
class QTableWidget;

namespace windows
{

class Gauge;

// Memory workbench (unit Memory).
class TfrmMemory : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmMemory(QWidget* parent = nullptr);

    QTableWidget* Grid1 = nullptr;
    QPushButton* btReadMemory = nullptr;
    Gauge* sGauge1 = nullptr;
    QPushButton* btSaveBin = nullptr;
    QPushButton* btFormatMemory = nullptr;

    // Page replies handled since the read started: also the next page to ask for.
    std::uint16_t MemReadPointer = 0;

    void btReadMemoryClick();
    void btSaveBinClick();
    void btFormatMemoryClick();

    // "GM" reply: one memory page.
    void HandleMemoryPage(const vms::link::MemoryPage& reply);

    // How the text column shows one byte: control characters as '.'.
    static QChar dumpChar(std::uint8_t byte);

private:
    void setCell(int row, int column, const QString& text);
};

} // namespace windows
