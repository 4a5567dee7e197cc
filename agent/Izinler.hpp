#pragma once
// What the program may do on this system. Each probe answers as a grant
// would: true when the program can do that thing.
#include <functional>

namespace Izinler {

// A test run (private state directory) without BRIMVALE_IZIN_DENE: every
// probe reports the permission as granted.
bool denemede();
// Whether the program may read every chosen folder. Linux has no such grant:
// an unreadable file surfaces as a permission result of the copy pass.
bool tamDiskErisimi();
// The agent is installed and its login start is allowed.
bool arkaPlan();
// Whether notifications reach the user: the desktop's notification service
// answers. The callback runs on the calling thread, within a few seconds.
void bildirimDurumu(const std::function<void(bool)>& sonuc);
// Nothing to ask for here: a notification service shows every program's
// notifications, so the answer is the same as bildirimDurumu's.
void bildirimIste(const std::function<void(bool)>& sonuc);

}  // namespace Izinler
