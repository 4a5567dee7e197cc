#pragma once
// Uninstalling: everything the program put on the computer goes, except the
// backups on the disk and the image password in the keychain, so that the
// backups can still be opened later.
#include <functional>

#include "temel/HataMetni.hpp"

namespace Kaldirma {

// What the uninstall needs of the rooms beside it; the caller fills it in.
struct Isler {
    std::function<bool()> yedekCalisiyor;  // whether a backup runs now
    std::function<void()> ajaniKaldir;     // removes the background agent
};

// Refuses while a backup runs, changing nothing. Otherwise: the image
// detached (one that stays attached stops it there), the agent removed, the state folder moved to the Trash, the
// preferences removed and, when asked and running from a bundle, the bundle
// moved to the Trash. A failed move stops there with the system's text; the
// steps before it stay done.
[[nodiscard]] HataMetni kaldir(bool uygulamayiCopeAt, const Isler& isler);

}  // namespace Kaldirma
