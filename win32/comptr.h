#pragma once

#include <utility>

// Owns one reference to a COM interface and releases it when it goes.
template<typename Interface> class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    ~ComPtr()
    {
        if (m_interface)
            m_interface->Release();
    }

    Interface *operator->() const { return m_interface; }
    explicit operator bool() const { return m_interface != nullptr; }

    // Where a function such as CoCreateInstance puts the new reference; any held one goes.
    void **put()
    {
        if (Interface *previous = std::exchange(m_interface, nullptr))
            previous->Release();
        return reinterpret_cast<void **>(&m_interface);
    }

private:
    Interface *m_interface = nullptr;
};
