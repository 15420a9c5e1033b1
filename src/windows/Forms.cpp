#include "windows/Forms.h"

#include "windows/ADSettings.h"
#include "windows/Alarmi.h"
#include "windows/CallPhonebook.h"
#include "windows/Debug.h"
#include "windows/DevReader.h"
#include "windows/GSMNumbers.h"
#include "windows/Izlazi.h"
#include "windows/Memory.h"

namespace windows
{

TMainForm* MainForm = nullptr;
TfrmMemory* frmMemory = nullptr;
TfrmGSMNumbers* frmGSMNumbers = nullptr;
TfrmADSettings* frmADSettings = nullptr;
TfrmAlarmi* frmAlarmi = nullptr;
TfrmDebug* frmDebug = nullptr;
TfrmCallPhonebook* frmCallPhonebook = nullptr;
TfrmIzlazi* frmIzlazi = nullptr;

Forms::Forms(hid::platform::Platform& platform, hid::MainThreadHandoff& handoff)
{
    MainForm = (m_main = std::make_unique<TMainForm>(platform, handoff)).get();
    frmMemory = (m_memory = std::make_unique<TfrmMemory>()).get();
    frmGSMNumbers = (m_gsmNumbers = std::make_unique<TfrmGSMNumbers>()).get();
    frmADSettings = (m_adSettings = std::make_unique<TfrmADSettings>()).get();
    frmAlarmi = (m_alarmi = std::make_unique<TfrmAlarmi>()).get();
    frmDebug = (m_debug = std::make_unique<TfrmDebug>()).get();
    frmCallPhonebook = (m_callPhonebook = std::make_unique<TfrmCallPhonebook>()).get();
    frmIzlazi = (m_izlazi = std::make_unique<TfrmIzlazi>()).get();
}

Forms::~Forms()
{
    // The main window goes first: its timer and device must stop before the
    // windows they write into disappear.
    m_main.reset();
    MainForm = nullptr;
    m_izlazi.reset();
    frmIzlazi = nullptr;
    m_callPhonebook.reset();
    frmCallPhonebook = nullptr;
    m_debug.reset();
    frmDebug = nullptr;
    m_alarmi.reset();
    frmAlarmi = nullptr;
    m_adSettings.reset();
    frmADSettings = nullptr;
    m_gsmNumbers.reset();
    frmGSMNumbers = nullptr;
    m_memory.reset();
    frmMemory = nullptr;
}

} // namespace windows
