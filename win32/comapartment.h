#pragma once

// The calling thread's COM apartment, single-threaded as a thread with windows needs, for as
// long as the object lives.
class ComApartment
{
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment &) = delete;
    ComApartment &operator=(const ComApartment &) = delete;

private:
    bool m_entered = false;
};
