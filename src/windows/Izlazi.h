#pragma once

#include "link/Replies.h"

#include <QWidget>

namespace windows
{

// Relay output settings (unit Izlazi).
class TfrmIzlazi : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmIzlazi(QWidget* parent = nullptr);

    // "GO" reply: the relay period.
    void HandleRelayPeriod(const vms::link::RelayPeriod& reply);
};

} // namespace windows
