// Runs the tool's windows against the simulated device, as --simulate does,
// and prints: the time from start to the first status on the dashboard, the
// process's CPU use with "Automatic" polling, and the CPU an acknowledged
// write burns while it waits for a silent device.

#include "app/Simulation.h"
#include "windows/Debug.h"
#include "windows/DevReader.h"
#include "windows/Dialogs.h"
#include "windows/EventLoop.h"
#include "windows/Forms.h"
#include "windows/GSMNumbers.h"

#include "device/ImitationDevice.h"
#include "hid/MainThreadHandoff.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace
{

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double mainThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Answers every message box silently: the bench has no one to click.
class QuietDialogs final : public windows::Dialogs
{
public:
    void information(QWidget*, const QString&) override {}
    void warning(QWidget*, const QString&, bool) override {}
    void error(QWidget*, const QString&) override {}
    bool confirm(QWidget*, const QString&, const QString&, Icon) override { return false; }
    QString saveFileName(QWidget*, const SaveOptions&) override { return {}; }
};

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication qtApp(argc, argv);
    QuietDialogs dialogs;
    windows::setDialogs(&dialogs);
    app::Simulation sim = app::makeSimulation();
    hid::MainThreadHandoff handoff;
    windows::HandoffPump pump(handoff, *sim.bus);
    windows::Forms forms(*sim.bus, handoff);

    // The first status report writes its first value into the debug window.
    QEventLoop firstStatus;
    QObject::connect(windows::frmDebug->sEdit1, &QLineEdit::textChanged, &firstStatus,
                     &QEventLoop::quit);
    QTimer::singleShot(10000, &firstStatus, &QEventLoop::quit);
    windows::MainForm->show();
    firstStatus.exec();
    const qint64 firstStatusMs = sinceStart.elapsed();
    std::printf("start to first status: %lld ms (target < 500)\n",
                static_cast<long long>(firstStatusMs));

    const double cpu0 = processCpuSeconds();
    const double main0 = mainThreadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop polling;
    QTimer::singleShot(seconds * 1000, &polling, &QEventLoop::quit);
    polling.exec();
    const double wallSeconds = static_cast<double>(wall.elapsed()) / 1000.0;
    std::printf("CPU with Automatic over %.1f s: %.2f %% of one core for the whole process "
                "(simulated device included), %.2f %% on the main thread; %u requests sent\n",
                wallSeconds, 100.0 * (processCpuSeconds() - cpu0) / wallSeconds,
                100.0 * (mainThreadCpuSeconds() - main0) / wallSeconds, windows::MainForm->TxCnt);

    // An acknowledged write to a silent device: the wait should sleep.
    windows::MainForm->cbGetStatusAuto->setChecked(false);
    device::Faults silent;
    silent.silent = true;
    sim.device->setFaults(silent);
    windows::frmGSMNumbers->WaitForOk = true;
    const double wait0 = mainThreadCpuSeconds();
    wall.restart();
    windows::MainForm->HIDSendCmd(u'S', u'N', {0});
    windows::MainForm->WaitForAcknowledge(windows::frmGSMNumbers->WaitForOk);
    std::printf("acknowledged wait on a silent device: %lld ms, %.2f ms CPU on the main thread\n",
                static_cast<long long>(wall.elapsed()), 1000.0 * (mainThreadCpuSeconds() - wait0));

    windows::setDialogs(nullptr);
    return 0;
}
