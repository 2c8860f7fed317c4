#include "win32/kleurtjeswindow.h"

#include "core/colourconversion.h"
#include "core/colournotation.h"
#include "core/colournumber.h"
#include "core/colourparser.h"
#include "core/projectrecord.h"
#include "win32/clipboard.h"
#include "win32/commandids.h"
#include "win32/handlerguard.h"
#include "win32/recentmenu.h"
#include "win32/widetext.h"

#include <windowsx.h>

#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace {

constexpr const wchar_t *ClassName = L"frmKleurtjes";
constexpr const wchar_t *IconName = L"IDI_ICON1";
constexpr DWORD FrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD FrameExtendedStyle = 0;

constexpr const wchar_t *CmdKleurCaption = L"Kies kleur";
constexpr const wchar_t *CmdOKCaption = L"Afsluiten";
constexpr const wchar_t *Captions[] = { CmdKleurCaption, CmdOKCaption };
// A push button keeps its edge and focus rectangle, about 4 px a side, free of caption.
constexpr int CaptionWidth = 57 - 2 * 4;

struct Place
{
    int x, y, width, height;
};

// Long enough to read a short reason, short enough not to linger over the next action.
constexpr UINT RefusalShownMs = 4000;

// The system activates a new window as it shows it; a second is for one that never is.
constexpr UINT ActivationAwaitedMs = 1000;
// Beside ReasonTip's and WindowWatch's.
constexpr UINT_PTR PickTimerId = 3;
// How often colours that another copy kept from the disk are tried again.
constexpr UINT WriteRetryMs = 250;
constexpr UINT_PTR WriteTimerId = 4;

// Places at 96 DPI, as the form was drawn.
constexpr Place Client { 0, 0, 314, 248 };
constexpr Place CmdOKPlace { 248, 216, 57, 25 };
constexpr Place CmdKleurPlace { 184, 216, 57, 25 };
constexpr Place PicKleurPlace { 8, 8, 297, 137 };
constexpr Place LblNummerPlace { 8, 168, 297, 33 };

int scaled(int pixels, UINT dpi)
{
    return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

AcceleratorTable createAccelerators()
{
    ACCEL accelerators[] = {
        { FCONTROL | FSHIFT | FVIRTKEY, 'C', SchermKleur },
        { FCONTROL | FVIRTKEY, 'C', Kopieren },
        { FCONTROL | FVIRTKEY, 'V', Plakken },
    };
    AcceleratorTable table(
        CreateAcceleratorTableW(accelerators, static_cast<int>(std::size(accelerators))));
    if (!table)
        throw std::bad_alloc();
    return table;
}

std::wstring menuText(std::string_view text)
{
    // A single & would mark a mnemonic and vanish from "&H00BBGGRR&".
    std::wstring doubled;
    for (const wchar_t c : widened(text)) {
        if (c == L'&')
            doubled += c;
        doubled += c;
    }
    return doubled;
}

// The number's right-click menu, built here only.
Menu createNumberMenu()
{
    Menu menu(CreatePopupMenu());
    if (!menu)
        throw std::bad_alloc();
    if (!AppendMenuW(menu.get(), MF_STRING, SchermKleur, L"Kleur van het scherm\u2026")
        || !AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr))
        throw std::bad_alloc();
    for (std::size_t i = 0; i < AllNotations.size(); ++i) {
        if (!AppendMenuW(menu.get(), MF_STRING, Kopieren + i,
                menuText(copyCommandText(AllNotations[i])).c_str()))
            throw std::bad_alloc();
    }
    if (!AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr)
        || !AppendMenuW(menu.get(), MF_STRING, Plakken, L"Plakken"))
        throw std::bad_alloc();
    return menu;
}

} // namespace

KleurtjesWindow::KleurtjesWindow(HINSTANCE instance)
    : m_instance(instance)
    , m_frmKleurtjes(createFrame())
    , m_cmdOK(
          createControl(L"BUTTON", CmdOKCaption, WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, CmdOK))
    , m_cmdKleur(createControl(L"BUTTON", CmdKleurCaption, WS_TABSTOP | BS_PUSHBUTTON, 0, CmdKleur))
    , m_picKleur(createControl(L"STATIC", L"Kleur", SS_OWNERDRAW, WS_EX_CLIENTEDGE, PicKleur))
    , m_lblNummer(createControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, LblNummer))
    , m_numberTip(m_instance, m_frmKleurtjes.get(), m_lblNummer)
    , m_reasonTip(m_instance, m_frmKleurtjes.get())
    , m_watch(m_frmKleurtjes.get())
    , m_fonts(GetDpiForWindow(m_frmKleurtjes.get()), Captions, CaptionWidth)
    , m_accelerators(createAccelerators())
    , m_focus(m_cmdOK)
{
    // The number never has the focus: without a live region, screen readers would not say
    // a new one.
    m_annotations.makeLiveRegion(m_lblNummer);
    m_annotations.makeGraphic(m_picKleur.handle(), L"Kleur");
    const UINT dpi = GetDpiForWindow(m_frmKleurtjes.get());
    place(dpi);
    const SIZE size = frameSize(dpi);
    SetWindowPos(m_frmKleurtjes.get(), nullptr, 0, 0, size.cx, size.cy,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_ready = true;
}

KleurtjesWindow::~KleurtjesWindow()
{
    m_ready = false;
}

void KleurtjesWindow::load(std::optional<ColourValue> start)
{
    guarded(m_frmKleurtjes.get(), [&] {
        m_picKleur.setBackColor(start.value_or(White));
        m_dlgDialog.setColor(m_picKleur.backColor());
        showNumberOfSwatch(false);
    });
}

void KleurtjesWindow::show(int showCommand)
{
    ShowWindow(m_frmKleurtjes.get(), showCommand);
    m_watch.start();
}

bool KleurtjesWindow::preTranslate(MSG &message)
{
    const HWND frame = m_frmKleurtjes.get();
    // One command per press: a held Ctrl+Shift+C would start a pick again after each one.
    const bool repeated = message.message == WM_KEYDOWN && (HIWORD(message.lParam) & KF_REPEAT);
    return frame
        && ((!repeated && TranslateAcceleratorW(frame, m_accelerators.get(), &message))
            || IsDialogMessageW(frame, &message));
}

std::optional<LRESULT> KleurtjesWindow::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_ready)
        return std::nullopt;
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CONTEXTMENU:
        if (onContextMenu(reinterpret_cast<HWND>(wParam), lParam))
            return 0;
        break;
    case WM_DRAWITEM:
        if (wParam != PicKleur)
            break;
        m_picKleur.draw(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
        return TRUE;
    case WM_TIMER:
        if (m_watch.onTimer(wParam))
            return 0;
        if (wParam == PickTimerId) {
            postPendingPick();
            return 0;
        }
        if (wParam == WriteTimerId) {
            writeAgain();
            return 0;
        }
        if (m_reasonTip.onTimer(wParam)) {
            // The reason has gone: the number is named for its colour again, unannounced.
            showNumberOfSwatch(false);
            return 0;
        }
        break;
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(m_focus);
        return 0;
    case WM_GETDPISCALEDSIZE:
        *reinterpret_cast<SIZE *>(lParam) = frameSize(static_cast<UINT>(wParam));
        return TRUE;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_DESTROY:
        m_annotations.clear();
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        m_ready = false;
        m_frmKleurtjes.release();
        break;
    }
    return std::nullopt;
}

void KleurtjesWindow::onCommand(int id, int code)
{
    switch (id) {
    case IDOK:
        pressFocusedButton();
        break;
    case IDCANCEL:
        // Escape: the window has no cancel button, so nothing happens.
        break;
    case CmdOK:
        if (code == BN_CLICKED)
            cmdOKClicked();
        break;
    case CmdKleur:
        if (code == BN_CLICKED)
            cmdKleurClicked();
        break;
    case Kopieren:
    case KopierenHtml:
    case KopierenRgb:
    case KopierenVbHex:
        copy(AllNotations[id - Kopieren]);
        break;
    case Plakken:
        paste();
        break;
    case SchermKleur:
        pickFromScreen();
        break;
    case LijstWissen:
        m_recent.clear();
        writeLater();
        break;
    default:
        if (id >= RecenteKleur && id < LijstWissen)
            takeRecent(static_cast<std::size_t>(id - RecenteKleur));
        break;
    }
}

// The mouse opens the menu on the number; the keyboard, with Shift+F10 or the Menu key,
// anywhere in the window, below the number.
bool KleurtjesWindow::onContextMenu(HWND target, LPARAM at)
{
    POINT point { GET_X_LPARAM(at), GET_Y_LPARAM(at) };
    const bool fromKeyboard = point.x == -1 && point.y == -1;
    if (!fromKeyboard && target != m_lblNummer)
        return false;
    if (fromKeyboard) {
        RECT number {};
        GetWindowRect(m_lblNummer, &number);
        point = { number.left, number.bottom };
    }
    const Menu menu = createNumberMenu();
    m_recentShown = m_recent.colours().colours();
    const RecentMenu recent(menu.get(), m_recentShown, GetDpiForWindow(m_frmKleurtjes.get()));
    // The chosen entry comes back as a WM_COMMAND, the same way as its accelerator.
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, point.x, point.y, 0, m_frmKleurtjes.get(), nullptr);
    return true;
}

void KleurtjesWindow::onActivate(bool active)
{
    if (active) {
        SetFocus(m_focus);
        postPendingPick();
        return;
    }
    const HWND focus = GetFocus();
    if (focus && IsChild(m_frmKleurtjes.get(), focus))
        m_focus = focus;
}

void KleurtjesWindow::onDpiChanged(UINT dpi, const RECT &suggested)
{
    // The old fonts go only once the controls hold the new ones.
    FormFonts fonts(dpi, Captions, CaptionWidth);
    std::swap(m_fonts, fonts);
    place(dpi);
    SetWindowPos(m_frmKleurtjes.get(), nullptr, suggested.left, suggested.top,
        suggested.right - suggested.left, suggested.bottom - suggested.top,
        SWP_NOZORDER | SWP_NOACTIVATE);
}

void KleurtjesWindow::cmdKleurClicked()
{
    // A cancel leaves the swatch alone: the chooser's colour was never picked for it.
    const bool confirmed = m_dlgDialog.ShowColor(m_frmKleurtjes.get());
    if (confirmed) {
        m_picKleur.setBackColor(ColourConversion::toColourValue(m_dlgDialog.Color()));
        showNumberOfSwatch(true);
        m_recent.take(m_picKleur.backColor());
    }
    writeLater();
}

void KleurtjesWindow::cmdOKClicked()
{
    SendMessageW(m_frmKleurtjes.get(), WM_CLOSE, 0, 0);
}

void KleurtjesWindow::copy(Notation notation)
{
    Clipboard::setText(
        m_frmKleurtjes.get(), widened(formatColour(m_picKleur.backColor(), notation)));
}

void KleurtjesWindow::paste()
{
    // One character more than the parser takes is enough for it to refuse the rest unread.
    const ColourParser::Result result = ColourParser::parse(
        narrowed(Clipboard::text(m_frmKleurtjes.get(), ColourParser::MaxLength + 1)));
    if (result.colour)
        takeColour(*result.colour);
    else
        refuse(result.reason);
}

void KleurtjesWindow::startPick(bool endsProgram)
{
    m_pickEndsProgram = endsProgram;
    m_pickPending = true;
    if (GetActiveWindow() == m_frmKleurtjes.get())
        postPendingPick();
    else
        SetTimer(m_frmKleurtjes.get(), PickTimerId, ActivationAwaitedMs, nullptr);
}

// Posted, so that the activation's own messages come first.
void KleurtjesWindow::postPendingPick()
{
    if (!std::exchange(m_pickPending, false))
        return;
    KillTimer(m_frmKleurtjes.get(), PickTimerId);
    PostMessageW(m_frmKleurtjes.get(), WM_COMMAND, SchermKleur, 0);
}

void KleurtjesWindow::pickFromScreen()
{
    if (m_picking)
        return;
    m_picking = true;
    m_lastPick = ScreenPicker::run(m_instance, m_frmKleurtjes.get());
    m_picking = false;
    // The window may have gone while the picker ran its own loop.
    if (!m_ready)
        return;
    if (m_lastPick->colour)
        takeColour(*m_lastPick->colour);
    else if (!m_lastPick->refusal.empty())
        refuse(m_lastPick->refusal);
    if (m_pickEndsProgram)
        cmdOKClicked();
}

// A colour from outside the dialog: the dialog opens on it next time, as on one confirmed.
void KleurtjesWindow::takeColour(ColourValue value)
{
    m_picKleur.setBackColor(value);
    m_dlgDialog.setColor(value);
    showNumberOfSwatch(true);
    m_reasonTip.hide();
    m_recent.take(value);
    writeLater();
}

// Where another copy holds the folder, the colours wait in this one, and the message loop
// comes back for them: the window never waits on another program.
void KleurtjesWindow::writeLater()
{
    if (m_recent.waiting() || m_dlgDialog.waiting())
        SetTimer(m_frmKleurtjes.get(), WriteTimerId, WriteRetryMs, nullptr);
}

void KleurtjesWindow::writeAgain()
{
    m_recent.write();
    m_dlgDialog.keepCustomColours();
    if (!m_recent.waiting() && !m_dlgDialog.waiting())
        KillTimer(m_frmKleurtjes.get(), WriteTimerId);
}

// Shown as a paste would show it, and so first in the list again.
void KleurtjesWindow::takeRecent(std::size_t index)
{
    if (index < m_recentShown.size())
        takeColour(m_recentShown[index]);
}

// Not a modal box: the user only has to try again.
void KleurtjesWindow::refuse(const std::string &reason)
{
    MessageBeep(MB_OK);
    m_reasonTip.showBelow(m_lblNummer, widened(reason), RefusalShownMs);
    m_annotations.name(m_lblNummer, widened(reason));
    AccessibleAnnotations::liveRegionChanged(m_lblNummer);
}

void KleurtjesWindow::pressFocusedButton()
{
    const HWND focus = GetFocus();
    if (focus == m_cmdOK)
        cmdOKClicked();
    else if (focus == m_cmdKleur)
        cmdKleurClicked();
}

// The number always comes from the swatch, so what is shown is what is painted.
void KleurtjesWindow::showNumberOfSwatch(bool announce)
{
    const ColourValue value = m_picKleur.backColor();
    SetWindowTextW(m_lblNummer, widened(colourNumber(value)).c_str());
    m_numberTip.setText(widened(notationsText(value)));
    m_annotations.describe(m_picKleur.handle(), widened(componentsText(value)));
    m_annotations.name(m_lblNummer, widened(spokenText(value)));
    if (announce)
        AccessibleAnnotations::liveRegionChanged(m_lblNummer);
}

HWND KleurtjesWindow::createFrame()
{
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure<KleurtjesWindow>;
    windowClass.hInstance = m_instance;
    windowClass.hIcon = LoadIconW(m_instance, IconName);
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(m_instance, IconName, IMAGE_ICON,
        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::bad_alloc();

    // The system chooses where the window first appears; its size follows from its DPI.
    const HWND frame = CreateWindowExW(FrameExtendedStyle, ClassName,
        widened(ProjectRecord::name).c_str(), FrameStyle, CW_USEDEFAULT, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_instance, this);
    if (!frame)
        throw std::bad_alloc();
    return frame;
}

HWND KleurtjesWindow::createControl(
    const wchar_t *windowClass, const wchar_t *text, DWORD style, DWORD extendedStyle, int id) const
{
    const HWND control = CreateWindowExW(extendedStyle, windowClass, text,
        WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, m_frmKleurtjes.get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    if (!control)
        throw std::bad_alloc();
    return control;
}

void KleurtjesWindow::place(UINT dpi)
{
    const std::pair<HWND, Place> places[] = {
        { m_cmdOK, CmdOKPlace },
        { m_cmdKleur, CmdKleurPlace },
        { m_picKleur.handle(), PicKleurPlace },
        { m_lblNummer, LblNummerPlace },
    };
    for (const auto &[control, at] : places)
        SetWindowPos(control, nullptr, scaled(at.x, dpi), scaled(at.y, dpi), scaled(at.width, dpi),
            scaled(at.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    for (const HWND button : { m_cmdOK, m_cmdKleur })
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts.dialog()), TRUE);
    SendMessageW(m_lblNummer, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts.number()), TRUE);
}

SIZE KleurtjesWindow::frameSize(UINT dpi) const
{
    RECT frame { 0, 0, scaled(Client.width, dpi), scaled(Client.height, dpi) };
    AdjustWindowRectExForDpi(&frame, FrameStyle, FALSE, FrameExtendedStyle, dpi);
    return { frame.right - frame.left, frame.bottom - frame.top };
}
