#pragma once

#include "win32/comptr.h"

#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

// What screen readers learn of a control beyond what its window class tells them, through the
// system's annotation service. Needs a COM apartment on the thread; where the service is
// missing, the controls keep what their class tells and the program works on without it.
class AccessibleAnnotations
{
public:
    AccessibleAnnotations();
    ~AccessibleAnnotations();
    AccessibleAnnotations(const AccessibleAnnotations &) = delete;
    AccessibleAnnotations &operator=(const AccessibleAnnotations &) = delete;

    // Screen readers speak the control's name, politely, after each liveRegionChanged.
    void makeLiveRegion(HWND control);
    // What the live region says: the control's accessible name, whatever its window text.
    void name(HWND control, const std::wstring &name);
    static void liveRegionChanged(HWND control);
    // A picture with this name, whatever the control's class.
    void makeGraphic(HWND control, const wchar_t *name);
    void describe(HWND control, const std::wstring &description);

    // Takes back every annotation, as the service asks, while the controls still exist.
    void clear();

private:
    void set(HWND control, const MSAAPROPID &property, VARIANT value);
    void set(HWND control, const MSAAPROPID &property, const wchar_t *text);
    void remember(HWND control);

    ComPtr<IAccPropServices> m_services;
    std::vector<HWND> m_annotated;
};
