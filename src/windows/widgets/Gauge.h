#pragma once

#include <QProgressBar>

namespace windows
{

// A progress gauge that shows "%p%" and clamps its progress into its range:
// QProgressBar alone ignores a value outside the range and keeps the old one.
class Gauge : public QProgressBar
{
    Q_OBJECT
public:
    explicit Gauge(QWidget* parent = nullptr);

    void setProgress(int progress);
    int progress() const { return value(); }
};

} // namespace windows
