#include "platform/Platform.hpp"

#include <sys/utsname.h>
#include <unistd.h>

#include <climits>

#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"

namespace Platform {

namespace {

// A shell-style value: quotes around it dropped, backslash escapes undone.
std::string degerCoz(std::string ham) {
    ham = Metin::kirp(ham);
    if (ham.size() < 2 || (ham.front() != '"' && ham.front() != '\'') || ham.back() != ham.front()) return ham;
    char tirnak = ham.front();
    std::string ic = ham.substr(1, ham.size() - 2), sonuc;
    for (size_t i = 0; i < ic.size(); ++i) {
        if (tirnak == '"' && ic[i] == '\\' && i + 1 < ic.size()) ++i;
        sonuc += ic[i];
    }
    return sonuc;
}

}  // namespace

// The pretty name set for the machine, else its host name.
std::string bilgisayarAdi() {
    for (const auto& satir : Metin::bol(oku("/etc/machine-info").value_or(""), '\n', true))
        if (satir.starts_with("PRETTY_HOSTNAME=")) {
            std::string ad = Metin::kirp(satir.substr(16));
            if (ad.size() >= 2 && (ad.front() == '"' || ad.front() == '\'') && ad.back() == ad.front())
                ad = ad.substr(1, ad.size() - 2);
            if (!ad.empty()) return ad;
        }
    char buf[HOST_NAME_MAX + 1] = {};
    if (gethostname(buf, sizeof buf - 1) != 0) return {};
    return buf;
}

std::optional<std::string> osReleaseAdi(const std::string& metin) {
    std::string guzel, ad, surum;
    for (const auto& satir : Metin::bol(metin, '\n', true)) {
        size_t esit = satir.find('=');
        if (esit == std::string::npos) continue;
        std::string anahtar = Metin::kirp(satir.substr(0, esit)), deger = degerCoz(satir.substr(esit + 1));
        if (anahtar == "PRETTY_NAME") guzel = deger;
        else if (anahtar == "NAME") ad = deger;
        else if (anahtar == "VERSION_ID") surum = deger;
    }
    if (!guzel.empty()) return guzel;
    if (ad.empty()) return std::nullopt;
    return surum.empty() ? ad : ad + " " + surum;
}

// /etc/os-release overrides the vendor's copy in /usr/lib.
std::string sistemSurumu() {
    for (const char* yol : {"/etc/os-release", "/usr/lib/os-release"})
        if (auto metin = oku(yol, 65536))
            if (auto ad = osReleaseAdi(*metin)) return *ad;
    struct utsname u{};
    if (::uname(&u) != 0) return "Linux";
    return std::string(u.sysname) + " " + u.release;
}

std::string makine() {
    struct utsname u{};
    if (::uname(&u) != 0) return {};
    return u.machine;
}

}  // namespace Platform
