// runecast: the offline status-byte and fault-code decoder.
#include "Module1.h"
#include "QtPlatform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    toolkit::QtPlatform platform("runecast");
    toolkit::setPlatform(&platform);
    runecast::Module1 module;
    module.Main();
    return app.exec();
}
