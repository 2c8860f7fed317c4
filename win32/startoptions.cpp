#include "win32/startoptions.h"

#include "core/colournumber.h"
#include "core/projectrecord.h"
#include "win32/uniquehandle.h"
#include "win32/widetext.h"

#include <windows.h>

#include <shellapi.h>

#include <new>
#include <string>
#include <vector>

namespace {

bool writeToFile(HANDLE file, std::string_view utf8)
{
    const std::string line = std::string(utf8) + '\n';
    DWORD written = 0;
    return WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// The console speaks UTF-16, whatever its code page.
bool writeToConsole(HANDLE console, std::string_view utf8)
{
    const std::wstring line = widened(utf8) + L'\n';
    DWORD written = 0;
    return WriteConsoleW(console, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// False when there is nowhere to write.
bool writeLine(DWORD standard, std::string_view utf8)
{
    const HANDLE redirected = GetStdHandle(standard);
    if (redirected && redirected != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(redirected);
        if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE)
            return writeToFile(redirected, utf8);
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return false;
    const HANDLE opened = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    const KernelHandle console(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    return console && writeToConsole(console.get(), utf8);
}

} // namespace

CommandLine::Result StartOptions::read()
{
    int count = 0;
    const LocalArguments arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!arguments)
        throw std::bad_alloc();
    std::vector<std::string> utf8;
    for (int i = 1; i < count; ++i)
        utf8.push_back(narrowed(arguments.get()[i]));
    return CommandLine::parse(utf8);
}

int StartOptions::answer(const CommandLine::Result &result)
{
    const int status = result.exitStatus.value_or(0);
    if (!writeLine(status == 0 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, result.message))
        MessageBoxW(nullptr, widened(result.message).c_str(), widened(ProjectRecord::name).c_str(),
            MB_OK | (status == 0 ? MB_ICONINFORMATION : MB_ICONERROR));
    return status;
}

void StartOptions::print(ColourValue value)
{
    writeLine(STD_OUTPUT_HANDLE, colourNumber(value));
}
