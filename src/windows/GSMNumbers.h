#pragma once

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
};

} // namespace windows
