#pragma once

// The tool's eight lasting windows, one instance each, reachable by name from
// every window and from the reply handler.

#include <memory>

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

class TMainForm;
class TfrmMemory;
class TfrmGSMNumbers;
class TfrmADSettings;
class TfrmAlarmi;
class TfrmDebug;
class TfrmCallPhonebook;
class TfrmIzlazi;

extern TMainForm* MainForm;
extern TfrmMemory* frmMemory;
extern TfrmGSMNumbers* frmGSMNumbers;
extern TfrmADSettings* frmADSettings;
extern TfrmAlarmi* frmAlarmi;
extern TfrmDebug* frmDebug;
extern TfrmCallPhonebook* frmCallPhonebook;
extern TfrmIzlazi* frmIzlazi;

// Creates the eight windows hidden, main window first, and publishes their
// names; destroying it destroys them in reverse order and clears the names.
class Forms
{
public:
    // `platform` and `handoff` must outlive the windows.
    Forms(hid::platform::Platform& platform, hid::MainThreadHandoff& handoff);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

private:
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<TfrmMemory> m_memory;
    std::unique_ptr<TfrmGSMNumbers> m_gsmNumbers;
    std::unique_ptr<TfrmADSettings> m_adSettings;
    std::unique_ptr<TfrmAlarmi> m_alarmi;
    std::unique_ptr<TfrmDebug> m_debug;
    std::unique_ptr<TfrmCallPhonebook> m_callPhonebook;
    std::unique_ptr<TfrmIzlazi> m_izlazi;
};

} // namespace windows
