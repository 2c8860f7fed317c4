// Holds a file open without sharing, as a virus scanner or a backup tool may, until a line or
// the end comes on standard input. Says "vast" once it holds the file; exit status 1 where it
// cannot open it.
#include <windows.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const HANDLE file = CreateFileA(
        argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("vast");
    std::fflush(stdout);
    char line[16];
    std::fgets(line, sizeof line, stdin);
    CloseHandle(file);
    return 0;
}
