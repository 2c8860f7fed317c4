#include "core/colournotation.h"
#include "core/colourparser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Whatever the text: a colour comes without a reason and lies in range, a refusal gives one,
// and a colour written in any notation reads back as itself.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const ColourParser::Result result = ColourParser::parse(text);
    if (!result.colour) {
        if (result.reason.empty())
            std::abort();
        return 0;
    }
    if (!result.reason.empty() || !isColour(*result.colour) || size > ColourParser::MaxLength)
        std::abort();
    for (const Notation notation : AllNotations) {
        const ColourParser::Result again
            = ColourParser::parse(formatColour(*result.colour, notation));
        if (again.colour != result.colour)
            std::abort();
    }
    return 0;
}
