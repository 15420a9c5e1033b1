#pragma once

// Joins the HID layer's main-thread hand-off and the platform's change
// notifications to Qt's event loop.

#include <QObject>

class QSocketNotifier;

namespace hid
{
class MainThreadHandoff;
namespace platform
{
class Platform;
}
} // namespace hid

namespace windows
{

// While it lives, every call queued on `handoff` from any thread makes the
// Qt event loop drain the hand-off on the main thread.
class HandoffPump : public QObject
{
    Q_OBJECT
public:
    HandoffPump(hid::MainThreadHandoff& handoff, hid::platform::Platform& platform,
                QObject* parent = nullptr);
    ~HandoffPump() override;

private:
    hid::MainThreadHandoff& m_handoff;
    hid::platform::Platform& m_platform;
    QSocketNotifier* m_changes = nullptr;
};

} // namespace windows
