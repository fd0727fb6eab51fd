#include "fuzz/FuzzCheck.h"

#include <QApplication>

namespace fuzz {

void startQt()
{
    if (QApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives for the whole run
}

} // namespace fuzz
