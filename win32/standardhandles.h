#pragma once

// The standard handles the caller gave the program. Started from Explorer it gives none, and
// the program writes to the console it came from, if any; a handle that names no open file,
// pipe or device is one the caller closed, or never had.
class StandardHandles
{
public:
    // Replaces each such handle by one on NUL that may only be read, before the program opens
    // anything that could take its number: --print would write the colour number there. A
    // write fails as it would on the closed handle, so --print still reports it.
    static void holdClosed();
    // Closes standard output where it is a file or a pipe, so that a caller reading it to its
    // end, as $(...) does, goes on at once; what is written later fails, as on holdClosed's.
    static void closeOutput();
};
