#include "win32/hovertip.h"

#include <new>

HoverTip::HoverTip(HINSTANCE instance, HWND owner, HWND control)
    : m_owner(owner)
    , m_control(control)
    // TTS_NOPREFIX keeps the '&' of "&H00563412&".
    , m_tip(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
          WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
          CW_USEDEFAULT, owner, nullptr, instance, nullptr))
{
    TOOLINFOW info = tool();
    info.lpszText = const_cast<wchar_t *>(L"");
    if (!m_tip || !SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)))
        throw std::bad_alloc();
    // Any maximum width makes the tip break lines at '\n'; this one breaks them nowhere else.
    SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, SHRT_MAX);
}

void HoverTip::setText(const std::wstring &text)
{
    TOOLINFOW info = tool();
    info.lpszText = const_cast<wchar_t *>(text.c_str());
    SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

TOOLINFOW HoverTip::tool() const
{
    TOOLINFOW info {};
    info.cbSize = sizeof info;
    // The control's own mouse messages reach the tip without a hook of ours.
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = m_owner;
    info.uId = reinterpret_cast<UINT_PTR>(m_control);
    return info;
}
