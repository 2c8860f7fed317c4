#include "win32/startoptions.h"

#include "core/colournumber.h"
#include "core/projectrecord.h"
#include "win32/uniquehandle.h"
#include "win32/widetext.h"

#include <windows.h>

#include <shellapi.h>

#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

enum class Written { Yes, Nowhere, Failed };

Written outcome(bool ok)
{
    return ok ? Written::Yes : Written::Failed;
}

// A short write is a failure too: a full disk takes part of the line.
bool writeToFile(HANDLE file, std::string_view utf8)
{
    const std::string line = std::string(utf8) + '\n';
    DWORD written = 0;
    return WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)
        && written == line.size();
}

// The console speaks UTF-16, whatever its code page.
bool writeToConsole(HANDLE console, std::string_view utf8)
{
    const std::wstring line = widened(utf8) + L'\n';
    DWORD written = 0;
    return WriteConsoleW(console, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)
        && written == line.size();
}

Written writeLine(DWORD standard, std::string_view utf8)
{
    const HANDLE redirected = GetStdHandle(standard);
    if (redirected && redirected != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(redirected);
        // A character device such as /dev/full under Wine is written like a file.
        if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR) {
            DWORD mode = 0;
            if (type != FILE_TYPE_CHAR || !GetConsoleMode(redirected, &mode))
                return outcome(writeToFile(redirected, utf8));
        }
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return Written::Nowhere;
    const HANDLE opened = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    const KernelHandle console(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    if (!console)
        return Written::Nowhere;
    return outcome(writeToConsole(console.get(), utf8));
}

constexpr std::string_view PrintFailed = "tintenwijzer: kan het kleurnummer niet schrijven";
constexpr std::string_view PrintRecentFailed
    = "tintenwijzer: kan de recente kleuren niet schrijven";

// A box only where there is no stream at all: one the caller closed or filled would keep a
// script waiting on a box nobody sees.
void tell(DWORD standard, std::string_view utf8, UINT icon)
{
    if (writeLine(standard, utf8) == Written::Nowhere)
        MessageBoxW(
            nullptr, widened(utf8).c_str(), widened(ProjectRecord::name).c_str(), MB_OK | icon);
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
    tell(status == 0 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, result.message,
        status == 0 ? MB_ICONINFORMATION : MB_ICONERROR);
    return status;
}

int StartOptions::print(ColourValue value)
{
    if (writeLine(STD_OUTPUT_HANDLE, colourNumber(value)) != Written::Failed)
        return 0;
    tell(STD_ERROR_HANDLE, PrintFailed, MB_ICONERROR);
    return PrintFailedStatus;
}

int StartOptions::printRecent(std::string_view lines)
{
    // One write, and writeLine gives the last line its end.
    if (lines.ends_with('\n'))
        lines.remove_suffix(1);
    if (lines.empty())
        return 0;
    // Where there is no console, as --help: in a box.
    switch (writeLine(STD_OUTPUT_HANDLE, lines)) {
    case Written::Yes:
        return 0;
    case Written::Nowhere:
        MessageBoxW(nullptr, widened(lines).c_str(), widened(ProjectRecord::name).c_str(),
            MB_OK | MB_ICONINFORMATION);
        return 0;
    case Written::Failed:
        break;
    }
    tell(STD_ERROR_HANDLE, PrintRecentFailed, MB_ICONERROR);
    return PrintFailedStatus;
}

void StartOptions::complain(std::string_view why)
{
    tell(STD_ERROR_HANDLE, "tintenwijzer: " + std::string(why), MB_ICONERROR);
}

void StartOptions::warn(const std::string &line)
{
    writeLine(STD_ERROR_HANDLE, line);
}
