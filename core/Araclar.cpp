#include "core/Araclar.hpp"

#include <unistd.h>

#include "core/Metin.hpp"
#include "core/Yol.hpp"

namespace {
const char* kLaunchctl = "/bin/launchctl";
const char* kDitto = "/usr/bin/ditto";
}  // namespace

namespace Servis {

std::string alan() { return "gui/" + std::to_string(getuid()); }
std::string hedef() { return alan() + "/" + Yol::ajanEtiketi(); }

Sonuc sorgula() { return komut(kLaunchctl, {"print", hedef()}); }

void bosalt() { komut(kLaunchctl, {"bootout", hedef()}); }

std::optional<std::string> yukle(const std::string& plistYolu) {
    Sonuc s = komut(kLaunchctl, {"bootstrap", alan(), plistYolu});
    if (s.kod == 0) return std::nullopt;
    return Metin::kirp(s.cikti);
}

bool baslat() { return komut(kLaunchctl, {"kickstart", hedef()}).kod == 0; }

}  // namespace Servis

namespace Kopyalayici {

std::optional<std::string> kopyala(const std::string& kaynak, const std::string& hedef) {
    Sonuc s = komut(kDitto, {kaynak, hedef});
    if (s.kod == 0) return std::nullopt;
    return Metin::kirp(s.cikti);
}

}  // namespace Kopyalayici
