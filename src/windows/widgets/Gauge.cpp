#include "windows/widgets/Gauge.h"

#include <algorithm>

namespace windows
{

Gauge::Gauge(QWidget* parent) : QProgressBar(parent)
{
    setFormat(QStringLiteral("%p%"));
    setTextVisible(true);
}

void Gauge::setProgress(int progress)
{
    const int clamped = std::clamp(progress, minimum(), std::max(minimum(), maximum()));
    if (clamped != value())
        setValue(clamped);
}

} // namespace windows
