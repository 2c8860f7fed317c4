#pragma once

#include <xcb/xcb.h>

#include <cstdint>

// An XCB resource that goes with its owner.
template<xcb_void_cookie_t (*Free)(xcb_connection_t *, std::uint32_t)> class XcbId
{
public:
    XcbId() = default;
    XcbId(const XcbId &) = delete;
    XcbId &operator=(const XcbId &) = delete;
    ~XcbId() { reset(); }

    std::uint32_t get() const { return m_id; }
    void reset(xcb_connection_t *connection = nullptr, std::uint32_t id = 0)
    {
        if (m_id)
            Free(m_connection, m_id);
        m_connection = connection;
        m_id = id;
    }
    // For a resource the X server freed already, with the window it belonged to.
    void forget() { m_id = 0; }

private:
    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_id = 0;
};
