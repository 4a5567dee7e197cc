// osascript: only the notification script the program sends is understood.
// It is posted to the desktop's notification service, or written to the log
// when there is no desktop or it does not answer.
#include <iostream>

#include "core/Gunluk.hpp"
#include "platform/Oturum.hpp"
#include "platform/tools/Yardimci.hpp"

namespace Yardimci {

int osascript(const Argumanlar& args) {
    std::vector<std::string> betik, betikArgumanlari;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-e" && i + 1 < args.size()) betik.push_back(args[++i]);
        else betikArgumanlari.push_back(args[i]);
    }
    const std::vector<std::string> bildirim = {"on run a", "display notification (item 2 of a) with title (item 1 of a)",
                                               "end run"};
    if (betik != bildirim || betikArgumanlari.size() < 2) {
        std::cerr << "osascript: only notifications are supported on this system\n";
        return 1;
    }
    const std::string& baslik = betikArgumanlari[0];
    const std::string& metin = betikArgumanlari[1];
    // Straight to the service: notify-send would read backslashes in the
    // text as escapes and wait 25 s on a service that does not answer.
    if (Platform::masaustuBildirimi(baslik, metin, 3.0)) return 0;
    Gunluk::yaz("NOTE: notification: " + metin);
    return 0;
}

}  // namespace Yardimci
