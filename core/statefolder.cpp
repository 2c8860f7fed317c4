#include "core/statefolder.h"

std::optional<std::string> StateFolder::readFile(const std::string &name) const
{
    std::optional<std::string> bytes = read(name, ReadLimit);
    // Cut to nothing, a file of one long line or of zeros would read as an empty list and
    // be written over without a word; cut short, it is a line that is no colour.
    if (bytes && bytes->size() == ReadLimit) {
        if (const std::size_t end = bytes->find_last_of('\n'); end != std::string::npos)
            bytes->erase(end + 1);
    }
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
