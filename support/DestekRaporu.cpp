#include "support/DestekRaporu.hpp"

#include <cctype>
#include <chrono>
#include <cstddef>
#include <ctime>

#include "core/Gunluk.hpp"
#include "core/Komut.hpp"
#include "core/Saat.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "platform/Platform.hpp"
#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"

namespace DestekRaporu {
namespace {

// Tool output in the log and the errors file may hold any bytes (file names
// from the copier): a stray byte must not cost the whole section.
std::optional<std::string> metinOku(const std::string& yol) {
    auto b = baytlariOku(yol);
    if (!b) return std::nullopt;
    return Metin::utf8Onar(*b);
}

// The last `n` lines; empty lines count. The line break that ends the file
// ends its last line and starts no empty one.
std::string sonSatirlar(std::string metin, size_t n) {
    if (!metin.empty() && metin.back() == '\n') metin.pop_back();
    if (metin.empty()) return {};
    auto satirlar = Metin::bol(metin, '\n', false);
    if (satirlar.size() > n) satirlar.erase(satirlar.begin(), satirlar.end() - static_cast<std::ptrdiff_t>(n));
    return Metin::birlestir(satirlar, "\n");
}

std::string isoZaman() {
    std::time_t t = std::chrono::system_clock::to_time_t(Saat::simdi());
    std::tm utc{};
    gmtime_r(&t, &utc);
    char buf[32];
    return std::string(buf, std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &utc));
}

const char* evetHayir(bool b) { return b ? "true" : "false"; }

// "file://" and the path with every byte but the unreserved ones and "/"
// escaped, so that no quote can end the D-Bus argument early.
std::string dosyaAdresi(const std::string& yol) {
    static const char* onaltilik = "0123456789ABCDEF";
    std::string s = "file://";
    for (unsigned char c : yol) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            s += static_cast<char>(c);
        } else {
            s += '%';
            s += onaltilik[c >> 4];
            s += onaltilik[c & 15];
        }
    }
    return s;
}

// The tools run with their output thrown away: a mail program or file
// manager they start keeps no pipe of ours open, so waiting ends with them.
bool calistir(const std::string& arac, const std::vector<std::string>& args) {
    return komut(arac, args, std::nullopt, std::string("/dev/null")).kod == 0;
}

}  // namespace

std::string metin(const Izin& izin) {
    std::string r = "Ondrak Brimvale " + UygulamaBilgisi::tam();
    r += "\n" + Platform::sistemSurumu() + ", " + Platform::makine();
    r += std::string("\nPermissions: full disk access ") + evetHayir(izin.tamDiskErisimi) + ", background agent " +
         evetHayir(izin.arkaPlan);
    r += "\nDate: " + isoZaman();
    r += "\n\n--- settings (ayarlar.json) ---\n" + metinOku(Yol::ayarlar()).value_or("(none)");
    r += "\n\n--- last result (son-yedek.txt) ---\n" + metinOku(Yol::sonYedek()).value_or("(none)");
    r += "\n\n--- last errors (son-hatalar.txt) ---\n" + sonSatirlar(metinOku(Yol::sonHatalar()).value_or(""), 100);
    r += "\n\n--- log (last 400 lines) ---\n" + sonSatirlar(metinOku(Yol::gunluk()).value_or(""), 400);
    return r;
}

std::string olustur(const Izin& izin) {
    std::string dosya = Yol::destek() + "/Brimvale-support-" + Saat::yerelMetin("%Y-%m-%d_%H%M%S") + ".txt";
    atomikYaz(dosya, metin(izin));
    std::string konu = "Ondrak Brimvale " + UygulamaBilgisi::surum() + " \u2013 " + Yerel::metin("support report");
    std::string govde = Yerel::metin(
        "Please describe what happened. The attached report contains the log and version details; check it before "
        "sending.");
    if (calistir("/usr/bin/xdg-email", {"--subject", konu, "--body", govde, "--attach", dosya, kAdres})) return dosya;
    if (calistir("/usr/bin/gdbus", {"call", "--session", "--dest", "org.freedesktop.FileManager1", "--object-path",
                                    "/org/freedesktop/FileManager1", "--method",
                                    "org.freedesktop.FileManager1.ShowItems", "['" + dosyaAdresi(dosya) + "']", ""}))
        return dosya;
    if (!calistir("/usr/bin/xdg-open", {Yol::destek()}))
        Gunluk::yaz("WARNING: the support report could not be offered; it is in " + dosya);
    return dosya;
}

}  // namespace DestekRaporu
