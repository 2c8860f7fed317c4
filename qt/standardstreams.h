#pragma once

// Descriptors 0, 1 and 2 that the caller left closed.
class StandardStreams
{
public:
    // Holds each closed one on /dev/null, read-only, before the program opens anything: the
    // next file or socket would take its number, the display connection among them, and a
    // --print would write the number into that. Writing still fails as on the closed one.
    static void holdClosed();
    // Ends standard output for its reader, as a pipe's reader sees it, while the program goes
    // on: /dev/null takes the number, so nothing opened later can.
    static void closeOutput();
};
