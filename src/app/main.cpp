#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("VeltranoMini Setup"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Veltrano Mini Setup"));
    window.show();
    return QApplication::exec();
}
