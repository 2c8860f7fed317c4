#pragma once

#include "core/colournotation.h"
#include "core/colourvalue.h"
#include "core/recentstore.h"
#include "win32/accessibleannotations.h"
#include "win32/colourchooser.h"
#include "win32/formfonts.h"
#include "win32/hovertip.h"
#include "win32/pick/screenpicker.h"
#include "win32/reasontip.h"
#include "win32/startoptions.h"
#include "win32/swatch.h"
#include "win32/uniquehandle.h"
#include "win32/windowprocedure.h"
#include "win32/windowsstatefolder.h"
#include "win32/windowwatch.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// frmKleurtjes: the swatch, its colour number and the two buttons, with the handlers that
// connect them to the colour chooser and the clipboard. The window is made hidden.
class KleurtjesWindow
{
public:
    explicit KleurtjesWindow(HINSTANCE instance);
    ~KleurtjesWindow();
    KleurtjesWindow(const KleurtjesWindow &) = delete;
    KleurtjesWindow &operator=(const KleurtjesWindow &) = delete;

    // Gives the window its first state, white unless a start colour is given; runs once,
    // before the window is shown.
    void load(std::optional<ColourValue> start = {});
    void show(int showCommand);
    // The colour the swatch shows, also once the window is gone.
    ColourValue colour() const { return m_picKleur.backColor(); }
    // Lets the window's keyboard interface see a message before it is dispatched: the
    // accelerators first, then Tab, Return and Escape. True when it took the message.
    bool preTranslate(MSG &message);
    // Picks a colour from the screen once the window has been activated, or a moment after
    // the call where nothing activates it. With endsProgram the end of the first pick closes
    // the window; lastPick() then tells how it ended.
    void startPick(bool endsProgram);
    // None until a pick has ended.
    const std::optional<ScreenPicker::Outcome> &lastPick() const { return m_lastPick; }

private:
    friend LRESULT CALLBACK windowProcedure<KleurtjesWindow>(HWND, UINT, WPARAM, LPARAM);
    std::optional<LRESULT> dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    void onCommand(int id, int code);
    bool onContextMenu(HWND target, LPARAM at);
    void onActivate(bool active);
    void onDpiChanged(UINT dpi, const RECT &suggested);

    void cmdKleurClicked();
    void cmdOKClicked();
    void copy(Notation notation);
    void paste();
    void pickFromScreen();
    void postPendingPick();
    void takeColour(ColourValue value);
    void takeRecent(std::size_t index);
    void writeLater();
    void writeAgain();
    void refuse(const std::string &reason);
    void pressFocusedButton();
    void showNumberOfSwatch(bool announce);

    HWND createFrame();
    HWND createControl(const wchar_t *windowClass, const wchar_t *text, DWORD style,
        DWORD extendedStyle, int id) const;
    void place(UINT dpi);
    SIZE frameSize(UINT dpi) const;

    // Until the window is whole, and again once it is going, DefWindowProcW handles it all.
    bool m_ready = false;
    HINSTANCE m_instance = nullptr;
    WindowHandle m_frmKleurtjes;
    // Made in tab order: the dialog manager follows the order of creation.
    HWND m_cmdOK = nullptr;
    HWND m_cmdKleur = nullptr;
    Swatch m_picKleur;
    HWND m_lblNummer = nullptr;
    // The number in every notation.
    HoverTip m_numberTip;
    ReasonTip m_reasonTip;
    WindowWatch m_watch;
    AccessibleAnnotations m_annotations;
    FormFonts m_fonts;
    ColourChooser m_dlgDialog { StartOptions::warn };
    AcceleratorTable m_accelerators;
    // The control that gets the focus back when the window is activated again.
    HWND m_focus = nullptr;
    bool m_picking = false;
    bool m_pickPending = false;
    bool m_pickEndsProgram = false;
    std::optional<ScreenPicker::Outcome> m_lastPick;
    // Read when the menu first shows it or a colour is taken, not at start-up.
    RecentStore m_recent { std::make_unique<WindowsStateFolder>(), StartOptions::warn };
    // The recent colours as the number's menu last showed them, for the command that follows.
    std::vector<ColourValue> m_recentShown;
};
