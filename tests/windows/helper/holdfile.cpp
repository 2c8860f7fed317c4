// Holds a file open without sharing, as a virus scanner or a backup tool may, or with --state
// the lock on Tintenwijzer's state folder, as another copy does while it writes; until a line
// or the end comes on standard input. Says "vast" once it holds it; exit status 1 where it
// cannot.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const bool state = std::strcmp(argv[1], "--state") == 0;
    const HANDLE held = state ? CreateMutexW(nullptr, FALSE, L"Local\\Tintenwijzer.state")
                              : CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!held || held == INVALID_HANDLE_VALUE)
        return 1;
    if (state && WaitForSingleObject(held, INFINITE) == WAIT_FAILED)
        return 1;
    std::puts("vast");
    std::fflush(stdout);
    char line[16];
    std::fgets(line, sizeof line, stdin);
    if (state)
        ReleaseMutex(held);
    CloseHandle(held);
    return 0;
}
