// Starting the agent from the window application: once at application start
// (its installation brought up to date) and whenever the user asks for a run.
#include <atomic>
#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Araclar.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"

namespace fs = std::filesystem;

namespace Kurulum {

std::atomic<bool> hazir = false;

void uygulamaBasladi(const std::function<bool()>& yedekCalisiyor) {
    // A message here has nobody to read it; the settings and permission
    // screens show it when the user acts.
    if (ajanaDokunulur()) (void)ajaniKur(yedekCalisiyor);
    hazir = true;
}

HataMetni ajaniBaslat(const std::string& isaret, const std::function<bool()>& yedekCalisiyor) {
    std::error_code ec;
    fs::create_directories(Yol::durum(), ec);
    yazDene(isaret, "");
    int kod = Servis::baslat();
    if (kod == 0 || yedekCalisiyor()) return std::nullopt;
    // The service manager lost the job or its program moved: load it afresh.
    Gunluk::yaz("WARNING: agent did not start (kickstart " + std::to_string(kod) + "); reinstalling");
    ajaniKaldir();
    (void)ajaniKur(yedekCalisiyor);
    if (Servis::baslat() == 0) return std::nullopt;
    return Yerel::metin(
        "The background agent could not be started. In System Settings › General › Login Items, check that Ondrak "
        "Brimvale is allowed, then try again.");
}

}  // namespace Kurulum
