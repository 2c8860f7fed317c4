#include "win32/colourchooser.h"

#include "core/runtimeerror.h"
#include "win32/handlerguard.h"
#include "win32/pick/screenpicker.h"
#include "win32/widetext.h"
#include "win32/windowsstatefolder.h"

#include <cderr.h>
#include <colordlg.h>
#include <commdlg.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <memory>
#include <utility>

namespace {

constexpr const wchar_t *PickCaption = L"Van het scherm\u2026";
// Beyond the dialog's own control numbers.
constexpr int PickButton = 0x5150;
// The hook's only state is its chooser, found again through the dialog.
constexpr const wchar_t *ChooserProperty = L"Tintenwijzer.ColourChooser";

RECT childRect(HWND dialog, HWND child)
{
    RECT rect {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

} // namespace

ColourChooser::ColourChooser(CustomColours::Warning warning)
    : m_customColors(std::make_unique<WindowsStateFolder>(), std::move(warning))
{ }

bool ColourChooser::ShowColor(HWND owner)
{
    m_instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    CHOOSECOLORW dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.rgbResult = m_color;
    dialog.lpCustColors = m_customColors.colours();
    // Open in full: the fields a pick fills are in the custom part.
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
    dialog.lCustData = reinterpret_cast<LPARAM>(this);
    dialog.lpfnHook = hookProcedure;
    const BOOL confirmed = ChooseColorW(&dialog);
    const DWORD error = confirmed ? 0 : CommDlgExtendedError();
    // The dialog adds a custom colour at once, so a cancel keeps it too.
    m_customColors.keep();
    if (confirmed) {
        m_color = dialog.rgbResult;
        return true;
    }
    switch (error) {
    case 0:
        return false;
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
        throw RuntimeError(RuntimeError::OutOfMemory, "Out of memory");
    default:
        throw RuntimeError(RuntimeError::InternalError, "Internal error");
    }
}

PropertyValue ColourChooser::Color() const
{
    return std::int64_t { m_color };
}

void ColourChooser::setColor(ColourValue value)
{
    m_color = static_cast<COLORREF>(value);
}

UINT_PTR CALLBACK ColourChooser::hookProcedure(
    HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT_PTR handled = FALSE;
    guarded(dialog, [&] {
        if (message == WM_INITDIALOG) {
            const auto *settings = reinterpret_cast<const CHOOSECOLORW *>(lParam);
            auto *self = reinterpret_cast<ColourChooser *>(settings->lCustData);
            SetPropW(dialog, ChooserProperty, self);
            self->addPickButton(dialog);
            // The dialog's own focus stays as it chose.
            handled = TRUE;
        } else if (message == WM_COMMAND && LOWORD(wParam) == PickButton
            && HIWORD(wParam) == BN_CLICKED) {
            if (auto *self = static_cast<ColourChooser *>(GetPropW(dialog, ChooserProperty)))
                self->pickInto(dialog);
            handled = TRUE;
        } else if (message == WM_DESTROY) {
            RemovePropW(dialog, ChooserProperty);
        }
    });
    return handled;
}

// Below every control, aligned with the leftmost, the dialog grown to hold it.
void ColourChooser::addPickButton(HWND dialog)
{
    RECT client {};
    GetClientRect(dialog, &client);
    int left = INT_MAX;
    int bottom = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        // The dialog itself is not shown yet, so IsWindowVisible would say no to all.
        if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        const RECT rect = childRect(dialog, child);
        // Parked beyond the edge, as the dialog does with what it does not show.
        if (rect.top >= client.bottom || rect.left >= client.right)
            continue;
        left = std::min<int>(left, rect.left);
        bottom = std::max<int>(bottom, rect.bottom);
    }
    if (left == INT_MAX)
        left = 0;

    const HWND ok = GetDlgItem(dialog, IDOK);
    RECT unit { 0, 0, 4, 14 }; // a button's height and the margin in dialog units
    MapDialogRect(dialog, &unit);
    const int height = ok ? childRect(dialog, ok).bottom - childRect(dialog, ok).top : unit.bottom;
    const int margin = unit.right;

    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    SIZE text {};
    if (const HDC dc = GetDC(dialog)) {
        const HGDIOBJ previous = SelectObject(dc, font);
        GetTextExtentPoint32W(dc, PickCaption, static_cast<int>(wcslen(PickCaption)), &text);
        SelectObject(dc, previous);
        ReleaseDC(dialog, dc);
    }
    const int width = text.cx + 6 * margin;
    const int top = bottom + margin;
    const HWND button = CreateWindowExW(0, L"BUTTON", PickCaption,
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, left, top, width, height, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(PickButton)), m_instance, nullptr);
    if (!button)
        return;
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    const int needed = top + height + margin - client.bottom;
    const int wider = left + width + margin - client.right;
    if (needed > 0 || wider > 0) {
        RECT window {};
        GetWindowRect(dialog, &window);
        SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + std::max(wider, 0),
            window.bottom - window.top + std::max(needed, 0),
            SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// Into the fields only: OK still confirms it, and Cancel still leaves everything as it was.
void ColourChooser::pickInto(HWND dialog)
{
    const ScreenPicker::Outcome outcome = ScreenPicker::run(m_instance, dialog);
    if (!outcome.colour) {
        if (!outcome.refusal.empty()) {
            MessageBeep(MB_ICONWARNING);
            MessageBoxW(dialog, widened(outcome.refusal).c_str(), L"Van het scherm",
                MB_OK | MB_ICONWARNING);
        }
        // Back on the button, as its default: Return tries again rather than pressing OK.
        if (const HWND button = GetDlgItem(dialog, PickButton))
            SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
        return;
    }
    const ColourValue value = *outcome.colour;
    SetDlgItemInt(dialog, COLOR_RED, static_cast<UINT>(redOf(value)), FALSE);
    SetDlgItemInt(dialog, COLOR_GREEN, static_cast<UINT>(greenOf(value)), FALSE);
    SetDlgItemInt(dialog, COLOR_BLUE, static_cast<UINT>(blueOf(value)), FALSE);
    if (const UINT setRgb = RegisterWindowMessageW(SETRGBSTRINGW))
        SendMessageW(dialog, setRgb, 0, static_cast<LPARAM>(value));
    // What remains is to confirm; Return on the button would only pick again.
    if (const HWND ok = GetDlgItem(dialog, IDOK))
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok), TRUE);
}
