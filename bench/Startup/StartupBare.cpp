// Usage: StartupBare
// The baseline of the start-up figures: a QApplication in a program that does not link
// the library at all, one event-loop turn and its shut-down.
#include "FirstTurn.h"

#include <QApplication>

int main(int argc, char** argv)
{
    {
        QApplication app(argc, argv);
        Talvex::Bench::RunOneTurn("Startup.firstTurn/baseline:1");
    }
    Talvex::Bench::PrintPeakMemory();
    return 0;
}
