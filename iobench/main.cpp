// iobench: the digital-I/O adapter bench, with remote control over a modem on COM3.
#include "KestrelDriver.h"
#include "Packed_Form.h"
#include "QtPlatform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("iobench");
    QApplication::setQuitOnLastWindowClosed(false);
    toolkit::QtPlatform platform("Packed Example");
    toolkit::setPlatform(&platform);
    iobench::KestrelDriver driver;
    iobench::Packed_Form form(driver);
    form.load();
    form.show();
    return app.exec();
}
