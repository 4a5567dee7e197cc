#include "agent/Izinler.hpp"

#include <cstdlib>

namespace Izinler {

bool denemede() { return std::getenv("BRIMVALE_DURUM") && !std::getenv("BRIMVALE_IZIN_DENE"); }

// There is no protected database to probe here: every folder the user can
// read is readable to the program, and an unreadable file still shows up as a
// permission result of the copy pass.
bool tamDiskErisimi() { return true; }

}  // namespace Izinler
