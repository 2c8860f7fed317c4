#include "win32/windowsstatefolder.h"

#include "win32/uniquehandle.h"
#include "win32/widetext.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string_view>
#include <utility>

namespace {

constexpr const wchar_t *FolderName = L"Tintenwijzer";
// Names already taken beside the file are passed over; this many in a row is no chance.
constexpr int TemporaryAttempts = 100;
// ReadFile and WriteFile count in DWORDs; no file here comes near it.
constexpr std::size_t Chunk = 1 << 20;

// A mutex of the user's session rather than a lock file: nothing is left in the folder, and
// the system lets go of it when its holder ends, however it ends.
class MutexLock : public StateFolder::Lock
{
public:
    explicit MutexLock(KernelHandle mutex)
        : m_mutex(std::move(mutex))
    { }
    ~MutexLock() override { ReleaseMutex(m_mutex.get()); }
    bool holds() const override { return true; }

private:
    KernelHandle m_mutex;
};

// The system's own words, in the user's language, without the full stop and line end.
std::string systemReason(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const LocalText owned(text);
    std::wstring reason = length ? std::wstring(text, length) : std::wstring();
    while (!reason.empty() && std::wcschr(L"\r\n. ", reason.back()))
        reason.pop_back();
    if (reason.empty())
        return "fout " + std::to_string(error);
    return narrowed(reason);
}

[[noreturn]] void fail(DWORD error)
{
    throw StateFolder::Failure(systemReason(error));
}

KernelHandle opened(HANDLE handle)
{
    return KernelHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

bool isFolder(const std::wstring &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder, and those above it that are missing.
void makeFolder(const std::wstring &path)
{
    if (CreateDirectoryW(path.c_str(), nullptr))
        return;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && isFolder(path))
        return;
    const std::size_t separator = path.find_last_of(L"\\/");
    if (error == ERROR_PATH_NOT_FOUND && separator != std::wstring::npos && separator > 0) {
        makeFolder(path.substr(0, separator));
        if (CreateDirectoryW(path.c_str(), nullptr))
            return;
        error = GetLastError();
    }
    fail(error);
}

// Exactly what writeTemporary() names a file: prefix, then ".<hex>-<hex>.tmp".
bool isTemporaryName(std::wstring_view name, std::wstring_view prefix)
{
    if (!name.starts_with(prefix) || !name.ends_with(L".tmp"))
        return false;
    name = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    const std::size_t dash = name.find(L'-');
    const auto hex = [](std::wstring_view digits) {
        return !digits.empty() && std::all_of(digits.begin(), digits.end(), [](wchar_t c) {
            return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
        });
    };
    return dash != std::wstring_view::npos && hex(name.substr(0, dash))
        && hex(name.substr(dash + 1));
}

void writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), static_cast<DWORD>(std::min(bytes.size(), Chunk)),
                &written, nullptr))
            fail(GetLastError());
        if (written == 0)
            fail(ERROR_DISK_FULL);
        bytes.remove_prefix(written);
    }
}

} // namespace

std::wstring WindowsStateFolder::folder()
{
    wchar_t *path = nullptr;
    const HRESULT result
        = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path);
    const TaskText owned(path);
    if (FAILED(result) || !path)
        throw Failure("Windows geeft geen map voor lokale toepassingsgegevens");
    return std::wstring(path) + L'\\' + FolderName;
}

std::wstring WindowsStateFolder::widePath(const std::string &name)
{
    return folder() + L'\\' + widened(name);
}

std::string WindowsStateFolder::pathOf(const std::string &name) const
{
    try {
        return narrowed(widePath(name));
    } catch (const Failure &) {
        return "%LOCALAPPDATA%\\" + narrowed(FolderName) + '\\' + name;
    }
}

std::optional<std::string> WindowsStateFolder::read(
    const std::string &name, std::size_t limit) const
{
    // Shared for every use: another copy renames its new file over this one meanwhile.
    const KernelHandle file = opened(CreateFileW(widePath(name).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        fail(error);
    }
    // A folder under the name opens only with backup semantics; a device or pipe is no file.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        fail(ERROR_INVALID_FUNCTION);
    std::string bytes(limit, '\0');
    std::size_t size = 0;
    while (size < limit) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + size,
                static_cast<DWORD>(std::min(limit - size, Chunk)), &got, nullptr))
            fail(GetLastError());
        if (got == 0)
            break;
        size += got;
    }
    bytes.resize(size);
    return bytes;
}

void WindowsStateFolder::make()
{
    makeFolder(folder());
}

std::wstring WindowsStateFolder::destination(const std::string &name)
{
    const std::wstring path = widePath(name);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    // A link the user made, into a synced folder say, keeps pointing there.
    const KernelHandle target = opened(
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target)
        return path;
    std::wstring resolved(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(target.get(), resolved.data(),
            static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return path;
        if (length < resolved.size()) {
            resolved.resize(length);
            return resolved;
        }
        resolved.resize(length);
    }
}

std::string WindowsStateFolder::writeTemporary(const std::string &name, std::string_view bytes)
{
    const std::wstring base = destination(name);
    const DWORD process = GetCurrentProcessId();
    const ULONGLONG start = GetTickCount64();
    for (int attempt = 0; attempt < TemporaryAttempts; ++attempt) {
        wchar_t suffix[48];
        std::swprintf(suffix, std::size(suffix), L".%lx-%llx.tmp",
            static_cast<unsigned long>(process), static_cast<unsigned long long>(start + attempt));
        const std::wstring path = base + suffix;
        // CREATE_NEW on the name itself, a link included: what someone placed there makes it
        // try another name rather than write through it.
        KernelHandle file = opened(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            fail(error);
        }
        try {
            writeAll(file.get(), bytes);
            // Flushed before the rename: after a crash the name holds the old list or the new.
            if (!FlushFileBuffers(file.get()))
                fail(GetLastError());
        } catch (const Failure &) {
            file = KernelHandle();
            DeleteFileW(path.c_str());
            throw;
        }
        return narrowed(path);
    }
    fail(ERROR_FILE_EXISTS);
}

void WindowsStateFolder::replace(const std::string &temporary, const std::string &name)
{
    if (!MoveFileExW(widened(temporary).c_str(), destination(name).c_str(),
            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail(GetLastError());
}

void WindowsStateFolder::remove(const std::string &temporary) noexcept
{
    try {
        DeleteFileW(widened(temporary).c_str());
    } catch (...) { }
}

void WindowsStateFolder::removeLeftovers(const std::string &name) noexcept
{
    try {
        const std::wstring base = destination(name);
        const std::wstring folder = base.substr(0, base.find_last_of(L"\\/") + 1);
        const std::wstring prefix = base.substr(folder.size()) + L'.';
        WIN32_FIND_DATAW found {};
        const HANDLE first = FindFirstFileW((base + L".*.tmp").c_str(), &found);
        if (first == INVALID_HANDLE_VALUE)
            return;
        const FindHandle search(first);
        do {
            if (isTemporaryName(found.cFileName, prefix))
                DeleteFileW((folder + found.cFileName).c_str());
        } while (FindNextFileW(search.get(), &found));
    } catch (...) { }
}

std::unique_ptr<StateFolder::Lock> WindowsStateFolder::lock()
{
    KernelHandle mutex(CreateMutexW(nullptr, FALSE, L"Local\\Tintenwijzer.state"));
    if (!mutex)
        return std::make_unique<Lock>();
    // A copy that holds the lock is busy writing, or stuck: either way this one comes back
    // later rather than keep its window waiting.
    const DWORD waited = WaitForSingleObject(mutex.get(), 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return nullptr;
    return std::make_unique<MutexLock>(std::move(mutex));
}
