#include "windows/EventLoop.h"

#include "hid/MainThreadHandoff.h"
#include "hid/platform/HidPlatform.h"

#include <QSocketNotifier>

namespace windows
{

HandoffPump::HandoffPump(hid::MainThreadHandoff& handoff, hid::platform::Platform& platform,
                         QObject* parent)
    : QObject(parent), m_handoff(handoff), m_platform(platform)
{
    m_handoff.setWakeup([this] {
        // Queued on this object: dropped, not run, once the pump is gone.
        QMetaObject::invokeMethod(
            this, [this] { m_handoff.drain(); }, Qt::QueuedConnection);
    });
    if (const int fd = m_platform.changeFd(); fd >= 0) {
        m_changes = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_changes, &QSocketNotifier::activated, this,
                [this] { m_platform.processChanges(); });
    }
}

HandoffPump::~HandoffPump()
{
    m_handoff.setWakeup({});
}

} // namespace windows
