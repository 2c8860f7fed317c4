#pragma once

#include "core/colourfile.h"
#include "core/colourvalue.h"
#include "core/recentcolours.h"

#include <memory>

class StateFolder;

// The recent colours as every running copy of the program shares them, in the file "recent"
// of the state folder. Each write merges what this copy took with what is on disk, so two
// copies running at once both keep their colours. A write waits for no other copy: where one
// holds the folder, the colours stay with this copy until write() is called again. What cannot
// be read or written is said in one warning and costs the file, never a colour of this run.
class RecentStore
{
public:
    using Warning = ColourFile::Warning;

    static constexpr const char *FileName = "recent";

    // Without a Warning of its own, a warning goes to standard error.
    explicit RecentStore(std::unique_ptr<StateFolder> folder, Warning warning = {});
    // Writes what is left to write, as finish() does.
    ~RecentStore();

    // The list on disk now, under the colours of this run that could not be written.
    RecentColours colours();
    // Puts value at the front of the list and writes it.
    void take(ColourValue value);
    // Empties the list, on disk too. Where there is no file, nothing is made.
    void clear();

    // Whether a write waits for another copy to let go of the folder.
    bool waiting() const { return m_waiting; }
    // Tries the write that is left to do again, without waiting.
    void write() { update(); }
    // Writes what is left to write, waiting up to ColourFile::EndWait for another copy;
    // colours that are still not written then are named in a warning.
    void finish();

private:
    ColourFile::Update update();
    const char *doing() const;

    std::unique_ptr<StateFolder> m_folder;
    ColourFile m_file;
    // Taken in this run and not written yet.
    RecentColours m_unwritten;
    // The list as last read or written.
    RecentColours m_known;
    // The list was emptied in this run and the file not yet.
    bool m_clearing = false;
    bool m_waiting = false;
};
