#include "windows/DevReader.h"
#include "windows/EventLoop.h"
#include "windows/Forms.h"

#include "app/Simulation.h"
#include "hid/MainThreadHandoff.h"
#include "hid/platform/HidPlatform.h"
#ifdef VMS_HAVE_LINUX_BACKEND
#include "hid/platform/linux/LinuxPlatform.h"
#endif

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>
#include <memory>

namespace
{

std::unique_ptr<hid::platform::Platform> linuxBackend()
{
#ifdef VMS_HAVE_LINUX_BACKEND
    hid::platform::ErrorCode err = hid::platform::NoError;
    auto platform = hid::platform::linux_backend::makeLinuxPlatform(err);
    if (!platform)
        std::fprintf(stderr, "veltrano-mini-setup: cannot watch the USB HID devices: %s\n",
                     std::strerror(static_cast<int>(err)));
    return platform;
#else
    std::fputs("veltrano-mini-setup: this build has no USB HID back end; "
               "run with --simulate to use the imitation device.\n",
               stderr);
    return nullptr;
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    // Options first, so that --help and a missing back end need no display.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sets up and watches a Veltrano Mini GSM controller over USB HID.\n"
                       "Without options it looks for the device (HID product \"Veltrano 8\")\n"
                       "among the hidraw interfaces of this machine."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Runs against a built-in imitation of the device (\"Veltrano 8\") on "
                       "a virtual HID bus, beside one silent interface, instead of the USB "
                       "devices of this machine."));
    parser.addOption(help);
    parser.addOption(simulate);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "veltrano-mini-setup: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help) || !parser.positionalArguments().isEmpty()) {
        const QByteArray text =
            parser.helpText()
                .replace(QStringLiteral("<executable_name>"), QStringLiteral("veltrano-mini-setup"))
                .toLocal8Bit();
        std::fputs(text.constData(), parser.isSet(help) ? stdout : stderr);
        return parser.isSet(help) ? 0 : 2;
    }

    std::unique_ptr<hid::platform::Platform> platform;
    if (parser.isSet(simulate))
        platform = app::makeSimulation().bus;
    else
        platform = linuxBackend();
    if (!platform)
        return 2;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VeltranoMini Setup"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    hid::MainThreadHandoff handoff;
    windows::HandoffPump pump(handoff, *platform);
    windows::Forms forms(*platform, handoff);
    windows::MainForm->show();
    return QApplication::exec();
}
