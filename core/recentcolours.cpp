#include "core/recentcolours.h"

#include "core/asciitext.h"
#include "core/colournumber.h"

#include <algorithm>
#include <optional>

namespace {

// Decimal digits only: a sign, a space inside or a hex form is a line someone broke.
std::optional<ColourValue> lineColour(std::string_view line)
{
    // Longer than 16777215 with its leading zeros is no number this file is written with.
    if (line.empty() || line.size() > 8)
        return std::nullopt;
    ColourValue value = 0;
    for (const char c : line) {
        if (!AsciiText::isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (!isColour(value))
        return std::nullopt;
    return value;
}

} // namespace

RecentColours::RecentColours(std::span<const ColourValue> newestFirst)
{
    for (const ColourValue value : newestFirst) {
        if (m_colours.size() == Capacity)
            break;
        if (std::ranges::find(m_colours, value) == m_colours.end())
            m_colours.push_back(value);
    }
}

void RecentColours::take(ColourValue value)
{
    const auto found = std::ranges::find(m_colours, value);
    if (found != m_colours.end())
        m_colours.erase(found);
    else if (m_colours.size() == Capacity)
        m_colours.pop_back();
    m_colours.insert(m_colours.begin(), value);
}

RecentColours RecentColours::merged(const RecentColours &newer, const RecentColours &older)
{
    std::vector<ColourValue> both = newer.m_colours;
    both.insert(both.end(), older.m_colours.begin(), older.m_colours.end());
    return RecentColours(both);
}

RecentColours::Lines RecentColours::readLines(std::string_view text)
{
    Lines lines;
    // Notepad's "UTF-8 with BOM" puts one in front of the first number.
    if (text.starts_with("\xef\xbb\xbf"))
        text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        // A file written on Windows or edited there ends its lines with "\r\n".
        const std::string_view line = AsciiText::trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty())
            continue;
        if (const std::optional<ColourValue> value = lineColour(line))
            lines.colours.push_back(*value);
        else
            ++lines.skipped;
    }
    return lines;
}

std::string RecentColours::linesText(std::span<const ColourValue> colours)
{
    std::string text;
    for (const ColourValue value : colours)
        text += colourNumber(value) + '\n';
    return text;
}
