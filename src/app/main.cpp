#include "windows/DevReader.h"
#include "windows/Forms.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("VeltranoMini Setup"));
    QApplication::setApplicationDisplayName(QStringLiteral("VeltranoMini Setup"));

    windows::Forms forms;
    windows::MainForm->show();
    return QApplication::exec();
}
