// Prints what a screen reader learns of Tintenwijzer's number: its accessible name and its
// live setting, as "naam: ...\nlive: N\n" in UTF-8, and "annotaties: 1" where this system's
// accessibility serves a name set through its annotation service at all, 0 where it does not.
// Exit status 1 when the window or the number is not there, 2 when its accessible object
// cannot be had.
#include "win32/commandids.h"

#include <windows.h>

#include <oleacc.h>
#include <servprov.h>
#include <uiautomationcore.h>

#include <cstdio>
#include <optional>
#include <string>

namespace {

// UIA_LiveSettingPropertyId, which MinGW-w64's headers lack.
constexpr PROPERTYID LiveSettingPropertyId = 30135;
// The annotation service's class and interface, here as libuuid would clash with oleacc.
constexpr GUID PropServicesClass { 0xb5f8350b, 0x0548, 0x48b1,
    { 0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7 } };
constexpr GUID PropServicesInterface { 0x6e26e776, 0x04f0, 0x495d,
    { 0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69 } };

std::string utf8(const wchar_t *text, int length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

template<typename T> void release(T *&pointer)
{
    if (pointer)
        pointer->Release();
    pointer = nullptr;
}

// The live setting as a screen reader asks for it: the object's IAccessibleEx, through its
// service provider, and the provider's property. -1 where any step finds nothing.
long liveSetting(IAccessible *accessible)
{
    long result = -1;
    IServiceProvider *provider = nullptr;
    IAccessibleEx *extended = nullptr;
    IRawElementProviderSimple *element = nullptr;
    if (SUCCEEDED(accessible->QueryInterface(
            __uuidof(IServiceProvider), reinterpret_cast<void **>(&provider)))
        && SUCCEEDED(provider->QueryService(
            __uuidof(IAccessibleEx), __uuidof(IAccessibleEx), reinterpret_cast<void **>(&extended)))
        && extended
        && SUCCEEDED(extended->QueryInterface(
            __uuidof(IRawElementProviderSimple), reinterpret_cast<void **>(&element)))) {
        VARIANT value {};
        if (SUCCEEDED(element->GetPropertyValue(LiveSettingPropertyId, &value))
            && value.vt == VT_I4)
            result = value.lVal;
        VariantClear(&value);
    }
    release(element);
    release(extended);
    release(provider);
    return result;
}

// The name as a screen reader reads it; nullopt where there is no accessible object.
std::optional<std::string> accessibleName(HWND control, long *live = nullptr)
{
    IAccessible *accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
            __uuidof(IAccessible), reinterpret_cast<void **>(&accessible))))
        return std::nullopt;
    VARIANT self {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text = "(geen)";
    if (SUCCEEDED(accessible->get_accName(self, &name)) && name)
        text = utf8(name, static_cast<int>(SysStringLen(name)));
    SysFreeString(name);
    if (live)
        *live = liveSetting(accessible);
    release(accessible);
    return text;
}

// Annotates a window of its own and reads the name back.
bool annotationsServed()
{
    const HWND probe = CreateWindowExW(0, L"STATIC", L"tekst", WS_POPUP, 0, 0, 10, 10, nullptr,
        nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!probe)
        return false;
    bool served = false;
    IAccPropServices *services = nullptr;
    if (SUCCEEDED(CoCreateInstance(PropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
            PropServicesInterface, reinterpret_cast<void **>(&services)))) {
        services->SetHwndPropStr(
            probe, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, L"naam");
        served = accessibleName(probe) == "naam";
        const MSAAPROPID property = PROPID_ACC_NAME;
        services->ClearHwndProps(
            probe, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property, 1);
    }
    release(services);
    DestroyWindow(probe);
    return served;
}

} // namespace

int main()
{
    const HWND frame = FindWindowW(L"frmKleurtjes", nullptr);
    const HWND number = frame ? GetDlgItem(frame, LblNummer) : nullptr;
    if (!number) {
        std::fputs("geen venster\n", stderr);
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    long live = -1;
    const std::optional<std::string> name = accessibleName(number, &live);
    const bool served = annotationsServed();
    CoUninitialize();
    if (!name) {
        std::fputs("geen IAccessible\n", stderr);
        return 2;
    }
    std::printf("naam: %s\nlive: %ld\nannotaties: %d\n", name->c_str(), live, served ? 1 : 0);
    return 0;
}
