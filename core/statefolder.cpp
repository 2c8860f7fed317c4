#include "core/statefolder.h"

std::optional<std::string> StateFolder::readFile(const std::string &name) const
{
    std::optional<std::string> bytes = read(name, ReadLimit);
    if (bytes && bytes->size() == ReadLimit)
        bytes->erase(bytes->find_last_of('\n') + 1);
    return bytes;
}

void StateFolder::replaceFile(const std::string &name, std::string_view bytes)
{
    make();
    const std::string temporary = writeTemporary(name, bytes);
    try {
        replace(temporary, name);
    } catch (const Failure &) {
        remove(temporary);
        throw;
    }
}
