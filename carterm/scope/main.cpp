// carscope: the car diagnostics terminal.
#include "Module21.h"
#include "QtPlatform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("carscope");
    QApplication::setQuitOnLastWindowClosed(false);
    toolkit::QtPlatform platform("Hoistwise");
    toolkit::setPlatform(&platform);
    carterm::CarscopeProgram program;
    program.Main();
    return app.exec();
}
