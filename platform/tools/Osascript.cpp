// osascript: only the notification script the program sends is understood.
// It is shown through the desktop's notify-send, or written to the log when
// there is no desktop.
#include <cstdlib>
#include <iostream>

#include "core/Gunluk.hpp"
#include "core/Komut.hpp"
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
    const char* oturum = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (oturum && *oturum && komut("/usr/bin/notify-send", {"-a", baslik, baslik, metin}).kod == 0) return 0;
    Gunluk::yaz("NOTE: notification: " + metin);
    return 0;
}

}  // namespace Yardimci
