#include "core/Araclar.hpp"

#include <unistd.h>

#include "temel/Metin.hpp"
#include "core/Yol.hpp"
#include "temel/HataMetni.hpp"

namespace {
const char* kLaunchctl = "/bin/launchctl";
const char* kDitto = "/usr/bin/ditto";
}  // namespace

namespace Servis {

std::string alan() { return "gui/" + std::to_string(getuid()); }
std::string hedef() { return alan() + "/" + Yol::ajanEtiketi(); }

KomutSonucu sorgula() { return komut(kLaunchctl, {"print", hedef()}); }

void bosalt() { komut(kLaunchctl, {"bootout", hedef()}); }

HataMetni yukle(const std::string& plistYolu) {
    KomutSonucu s = komut(kLaunchctl, {"bootstrap", alan(), plistYolu});
    if (s.kod == 0) return std::nullopt;
    return Metin::kirp(s.cikti);
}

int baslat() { return komut(kLaunchctl, {"kickstart", hedef()}).kod; }

}  // namespace Servis

namespace Kopyalayici {

HataMetni kopyala(const std::string& kaynak, const std::string& hedef) {
    KomutSonucu s = komut(kDitto, {kaynak, hedef});
    if (s.kod == 0) return std::nullopt;
    return Metin::kirp(s.cikti);
}

}  // namespace Kopyalayici
