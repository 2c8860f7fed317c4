#include "win32/accessibleannotations.h"

#include <algorithm>
#include <iterator>

namespace {

// LiveSetting_Property_GUID and the LiveSetting value Polite, which MinGW-w64's headers lack.
constexpr MSAAPROPID LiveSettingProperty { 0xc12bcd8e, 0x2a8e, 0x4950,
    { 0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb } };
constexpr LONG Polite = 1;

VARIANT integer(LONG value)
{
    VARIANT variant {};
    variant.vt = VT_I4;
    variant.lVal = value;
    return variant;
}

} // namespace

AccessibleAnnotations::AccessibleAnnotations()
{
    // Where this fails, m_services stays empty and every annotation is passed over.
    CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
        m_services.put());
}

AccessibleAnnotations::~AccessibleAnnotations()
{
    clear();
}

void AccessibleAnnotations::makeLiveRegion(HWND control)
{
    set(control, LiveSettingProperty, integer(Polite));
}

void AccessibleAnnotations::name(HWND control, const std::wstring &name)
{
    set(control, PROPID_ACC_NAME, name.c_str());
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleAnnotations::liveRegionChanged(HWND control)
{
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, control, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleAnnotations::makeGraphic(HWND control, const wchar_t *name)
{
    set(control, PROPID_ACC_ROLE, integer(ROLE_SYSTEM_GRAPHIC));
    set(control, PROPID_ACC_NAME, name);
}

void AccessibleAnnotations::describe(HWND control, const std::wstring &description)
{
    set(control, PROPID_ACC_DESCRIPTION, description.c_str());
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleAnnotations::clear()
{
    if (!m_services)
        return;
    const MSAAPROPID properties[]
        = { LiveSettingProperty, PROPID_ACC_ROLE, PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION };
    for (const HWND control : m_annotated)
        m_services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
            properties, static_cast<int>(std::size(properties)));
    m_annotated.clear();
}

void AccessibleAnnotations::set(HWND control, const MSAAPROPID &property, VARIANT value)
{
    if (!m_services)
        return;
    m_services->SetHwndProp(
        control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property, value);
    remember(control);
}

void AccessibleAnnotations::set(HWND control, const MSAAPROPID &property, const wchar_t *text)
{
    if (!m_services)
        return;
    m_services->SetHwndPropStr(
        control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property, text);
    remember(control);
}

void AccessibleAnnotations::remember(HWND control)
{
    if (std::find(m_annotated.begin(), m_annotated.end(), control) == m_annotated.end())
        m_annotated.push_back(control);
}
