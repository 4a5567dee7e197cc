#include "agent/Bildirim.hpp"

#include <cstdlib>

#include "core/Komut.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "platform/Oturum.hpp"

void bildir(const std::string& metin) {
    if (std::getenv("BRIMVALE_BILDIRIM_YOK")) return;
    const std::string baslik = "Ondrak Brimvale";
    if (UygulamaBilgisi::paketYolu() && Platform::masaustuBildirimi(baslik, metin, 3.0)) return;
    // Title and text travel as script arguments, never inside the script.
    komut("/usr/bin/osascript", {"-e", "on run a", "-e", "display notification (item 2 of a) with title (item 1 of a)",
                                 "-e", "end run", baslik, metin});
}
