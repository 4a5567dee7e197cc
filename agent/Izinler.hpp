#pragma once

namespace Izinler {

// A test run (private state directory) without BRIMVALE_IZIN_DENE: every
// probe reports the permission as granted.
bool denemede();
// Whether the program may read every chosen folder. Linux has no such grant:
// an unreadable file surfaces as a permission result of the copy pass.
bool tamDiskErisimi();

}  // namespace Izinler
