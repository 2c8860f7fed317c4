#pragma once

#include "core/colourvalue.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The colours taken last, newest first: at most Capacity, none twice. In a file it is plain
// text, one colour number a line, so that a person can read, edit or sync it.
class RecentColours
{
public:
    static constexpr std::size_t Capacity = 16;

    // What a text of one colour number a line holds, in its order, repeats and all.
    struct Lines
    {
        std::vector<ColourValue> colours;
        // Lines that are no colour number; blank lines do not count.
        int skipped = 0;
    };

    RecentColours() = default;
    // The colours in order, each after its first time and beyond Capacity left out.
    explicit RecentColours(std::span<const ColourValue> newestFirst);

    // Puts value in front, taking it from where it was or, when the list is full, dropping
    // the oldest.
    void take(ColourValue value);
    void clear() { m_colours.clear(); }

    const std::vector<ColourValue> &colours() const { return m_colours; }
    bool empty() const { return m_colours.empty(); }
    bool operator==(const RecentColours &) const = default;

    // newer's colours first, then those of older it does not have: what one program took since
    // it last wrote, over what another has written meanwhile.
    static RecentColours merged(const RecentColours &newer, const RecentColours &older);

    static Lines readLines(std::string_view text);
    static std::string linesText(std::span<const ColourValue> colours);

    std::string text() const { return linesText(m_colours); }

private:
    std::vector<ColourValue> m_colours;
};
