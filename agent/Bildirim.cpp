#include "agent/Bildirim.hpp"

#include <cstdlib>

#include "core/Komut.hpp"

void bildir(const std::string& metin) {
    if (std::getenv("BRIMVALE_BILDIRIM_YOK")) return;
    // One path on every system: the tool contract, whose stand-in posts to the
    // desktop's notification service. Title and text travel as script
    // arguments, never inside the script.
    komut("/usr/bin/osascript", {"-e", "on run a", "-e", "display notification (item 2 of a) with title (item 1 of a)",
                                 "-e", "end run", "Ondrak Brimvale", metin});
}
