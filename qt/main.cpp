#include "qt/clipboardkeeper.h"
#include "qt/startup.h"

int main(int argc, char *argv[])
{
    // The keeper of a --copy whose program has ended: no Qt, only the X connection.
    if (ClipboardKeeper::isRun(argc, argv))
        return ClipboardKeeper::run(argc, argv);
    return Startup::run(argc, argv);
}
