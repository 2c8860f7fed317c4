#include "win32/comapartment.h"

#include <windows.h>

#include <objbase.h>

ComApartment::ComApartment()
    : m_entered(
        SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
{ }

ComApartment::~ComApartment()
{
    if (m_entered)
        CoUninitialize();
}
