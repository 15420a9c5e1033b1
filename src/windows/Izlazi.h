#pragma once

#include <QWidget>

namespace windows
{

// Relay output settings (unit Izlazi).
class TfrmIzlazi : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmIzlazi(QWidget* parent = nullptr);
};

} // namespace windows
