// The device information window, shown for interfaces of the virtual bus.

#include "Harness.h"

#include "windows/Info.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>

using harness::lines;
using harness::Tool;
using hid::platform::virt::InterfaceProfile;

Q_DECLARE_METATYPE(InterfaceProfile)

namespace
{

// A quiet interface the tool takes as its device.
InterfaceProfile deviceProfile()
{
    InterfaceProfile profile;
    profile.attributes = {0x0001, 0xABCD, 0x0100};
    profile.lengths = {0x0001, 0xFF00, 65, 65, 0};
    profile.manufacturer = u"Brannisol";
    profile.product = u"Veltrano 8";
    profile.serial = u"VM8-0042";
    profile.languages = {0x0409};
    return profile;
}

} // namespace

class InfoTest : public QObject
{
    Q_OBJECT

private slots:
    void looksAsDesignedBeforeShowing();
    void showsTheDevice_data();
    void showsTheDevice();
    void showingAgainListsOnce();
};

void InfoTest::looksAsDesignedBeforeShowing()
{
    windows::TInfoForm form(nullptr);
    QCOMPARE(form.windowTitle(), QStringLiteral("HID Device Info"));
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    const std::pair<const char*, const char*> texts[] = {
        {"Label10", "Vendor name:"}, {"VendorName", "VendorName"},
        {"Label9", "Product name:"}, {"ProductName", "ProductName"},
        {"Label11", "Serial No:"},   {"SerialNo", "SerialNo"},
        {"Label1", "Strings"},       {"Label12", "Languages"},
        {"Label2", "VID:"},          {"Vid", "Vid"},
        {"Label3", "PID:"},          {"Pid", "Pid"},
        {"Label4", "Version:"},      {"Vers", "Vers"},
        {"Label5", "Report Length"}, {"Label6", "Input:"},
        {"InputLen", "0"},           {"Label7", "Output:"},
        {"OutputLen", "0"},          {"Label8", "Feature:"},
        {"FeatureLen", "0"},         {"Label13", "NOTE: All values is in HEX format"},
    };
    for (const auto& [name, text] : texts) {
        const QLabel* label = form.findChild<QLabel*>(QString::fromLatin1(name));
        QVERIFY2(label != nullptr, name);
        QCOMPARE(label->text(), QString::fromLatin1(text));
    }
    QCOMPARE(form.Label13->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(form.findChild<QListWidget*>(QStringLiteral("DevStrings"))->count(), 0);
    QCOMPARE(form.findChild<QListWidget*>(QStringLiteral("LangStrings"))->count(), 0);
}

void InfoTest::showsTheDevice_data()
{
    QTest::addColumn<InterfaceProfile>("profile");
    QTest::addColumn<QStringList>("identity"); // vendor, product, serial
    QTest::addColumn<QStringList>("ids");      // Vid, Pid, Vers
    QTest::addColumn<QStringList>("lengths");  // input, output, feature
    QTest::addColumn<QStringList>("strings");
    QTest::addColumn<QStringList>("languages");

    {
        InterfaceProfile profile = deviceProfile();
        profile.indexedStrings = {{1, u"Brannisol"}, {2, u"Veltrano 8"}, {3, u"VM8-0042"}};
        QTest::newRow("strings 1..3, 65/65/0")
            << profile << QStringList{"Brannisol", "Veltrano 8", "VM8-0042"}
            << QStringList{"0001", "ABCD", "0100"} << QStringList{"40", "40", "0"}
            << QStringList{"  1) Brannisol", "  2) Veltrano 8", "  3) VM8-0042"}
            << QStringList{"English (United States)"};
    }
    {
        InterfaceProfile profile = deviceProfile();
        profile.manufacturer.reset();
        profile.serial.reset();
        profile.attributes = {0xF00D, 0x00A0, 0x0000};
        profile.lengths = {0x0001, 0xFF00, 0, 2, 1};
        profile.languages = {0x081A, 0x0409, 0x1234};
        profile.indexedStrings = {{7, u"Šifra č"}, {42, u"x"}, {255, u"last"}};
        QTest::newRow("no serial, odd lengths, wide indices")
            << profile << QStringList{"", "Veltrano 8", ""} << QStringList{"F00D", "00A0", "0000"}
            << QStringList{"0", "1", "0"} << QStringList{"  7) Šifra č", " 42) x", "255) last"}
            << QStringList{"Serbian (Latin, Serbia)", "English (United States)",
                           "unknown Locale ID $1234"};
    }
    {
        InterfaceProfile profile = deviceProfile();
        profile.lengths = {0x0001, 0xFF00, 256, 17, 1000};
        profile.indexedStrings = {};
        QTest::newRow("no indexed strings, long reports")
            << profile << QStringList{"Brannisol", "Veltrano 8", "VM8-0042"}
            << QStringList{"0001", "ABCD", "0100"} << QStringList{"FF", "10", "3E7"}
            << QStringList{} << QStringList{"English (United States)"};
    }
}

void InfoTest::showsTheDevice()
{
    QFETCH(InterfaceProfile, profile);
    QFETCH(QStringList, identity);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, lengths);
    QFETCH(QStringList, strings);
    QFETCH(QStringList, languages);

    Tool tool(false);
    tool.bus.plug(profile);
    windows::TMainForm* mainForm = tool.start();
    QTRY_VERIFY_WITH_TIMEOUT(mainForm->CurrentDevice() != nullptr, 5000);

    windows::TInfoForm form(mainForm);
    form.Dev = mainForm->CurrentDevice();
    form.show();

    QCOMPARE(
        (QStringList{form.VendorName->text(), form.ProductName->text(), form.SerialNo->text()}),
        identity);
    QCOMPARE((QStringList{form.Vid->text(), form.Pid->text(), form.Vers->text()}), ids);
    QCOMPARE((QStringList{form.InputLen->text(), form.OutputLen->text(), form.FeatureLen->text()}),
             lengths);
    QCOMPARE(lines(form.DevStrings), strings);
    QCOMPARE(lines(form.LangStrings), languages);
}

void InfoTest::showingAgainListsOnce()
{
    InterfaceProfile profile = deviceProfile();
    profile.indexedStrings = {{1, u"a"}, {2, u"b"}};
    Tool tool(false);
    tool.bus.plug(profile);
    windows::TMainForm* mainForm = tool.start();
    QTRY_VERIFY_WITH_TIMEOUT(mainForm->CurrentDevice() != nullptr, 5000);

    windows::TInfoForm form(mainForm);
    form.Dev = mainForm->CurrentDevice();
    form.show();
    form.hide();
    form.show();
    QCOMPARE(lines(form.DevStrings), (QStringList{"  1) a", "  2) b"}));
    QCOMPARE(form.LangStrings->count(), 1);
}

QTEST_MAIN(InfoTest)
#include "InfoTest.moc"
