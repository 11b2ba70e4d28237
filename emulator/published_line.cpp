#include "published_line.h"

namespace qx7300emu {

bool PublishedLine::PlugIn(std::string& error)
{
    Pull();
    if (!terminal_.Open(error))
        return false;
    if (!link_.Publish(linkPath_, terminal_.SlavePath(), error)) {
        terminal_.Close();
        return false;
    }
    return true;
}

void PublishedLine::Pull()
{
    // The name goes first, so that nobody finds it pointing at a dead line.
    link_.Remove();
    terminal_.Close();
}

std::string PublishedLine::Announcement() const
{
    return name_ + " -> " + terminal_.SlavePath();
}

}  // namespace qx7300emu
