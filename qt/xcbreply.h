#pragma once

#include <cstdlib>
#include <memory>

// An xcb reply or error, which xcb leaves to the caller to free().
struct FreeDeleter
{
    void operator()(void *reply) const { std::free(reply); }
};
template<typename Reply> using ReplyPointer = std::unique_ptr<Reply, FreeDeleter>;
