#pragma once

#include "core/colourfile.h"
#include "core/colourvalue.h"
#include "core/recentcolours.h"

#include <memory>

class StateFolder;

// The recent colours as every running copy of the program shares them, in the file "recent"
// of the state folder. Each write merges what this copy took with what is on disk, so two
// copies running at once both keep their colours. What cannot be read or written is said in
// one warning and costs the file, never a colour of this run.
class RecentStore
{
public:
    using Warning = ColourFile::Warning;

    static constexpr const char *FileName = "recent";

    // Without a Warning of its own, a warning goes to standard error.
    explicit RecentStore(std::unique_ptr<StateFolder> folder, Warning warning = {});
    ~RecentStore();

    // The list on disk now, under the colours of this run that could not be written.
    RecentColours colours();
    // Puts value at the front of the list and writes it.
    void take(ColourValue value);
    // Empties the list, on disk too. Where there is no file, nothing is made.
    void clear();

private:
    std::unique_ptr<StateFolder> m_folder;
    ColourFile m_file;
    // Taken in this run and not written yet, because a write failed.
    RecentColours m_unwritten;
    // The list as last read or written.
    RecentColours m_known;
};
