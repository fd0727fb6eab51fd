// cabtalk: the password-gated car terminal.
#include "QtPlatform.h"
#include "TalkModule21.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("cabtalk");
    QApplication::setQuitOnLastWindowClosed(false);
    toolkit::QtPlatform platform("Hoistwise");
    toolkit::setPlatform(&platform);
    carterm::CabtalkProgram program;
    program.Main();
    return app.exec();
}
