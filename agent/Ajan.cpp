// The background agent: its definition in the user's LaunchAgents folder,
// made from the bundle's template and loaded into the per-user service
// manager, which starts it whenever a volume is mounted.
#include <filesystem>

#include "agent/Kurulum.hpp"
#include "core/Araclar.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Plist.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "platform/Platform.hpp"

namespace fs = std::filesystem;

namespace Kurulum {

std::string plistYolu() { return Platform::evDizini() + "/Library/LaunchAgents/" + Yol::ajanEtiketi() + ".plist"; }

std::optional<nlohmann::json> istenenPlist() {
    auto paket = UygulamaBilgisi::paketYolu();
    std::string program = Platform::calistirilabilir();
    if (!paket || program.empty()) return std::nullopt;
    auto sablon = Plist::dosyaOku(*paket + "/Contents/Library/LaunchAgents/" + Yol::ajanEtiketi() + ".plist");
    if (!sablon || !sablon->is_object()) return std::nullopt;
    sablon->erase("BundleProgram");
    (*sablon)["ProgramArguments"] = {program, "--ajan"};
    return sablon;
}

bool ajanaDokunulur() {
    if (!std::getenv("BRIMVALE_DURUM")) return true;
    return std::getenv("BRIMVALE_AJAN_DENE") && UygulamaBilgisi::paketKimligi() == "com.ondrak.brimvale";
}

bool ajanKurulu() {
    auto tanim = Plist::dosyaOku(plistYolu());
    if (!tanim) return false;
    auto args = Plist::dizi(*tanim, "ProgramArguments");
    std::string ilk = args.empty() || !args[0].is_string() ? "" : args[0].get<std::string>();
    if (ilk != Platform::calistirilabilir()) return false;
    return Servis::sorgula().kod == 0;
}

std::optional<std::string> launchdIsi() {
    KomutSonucu s = Servis::sorgula();
    if (s.kod != 0) return std::nullopt;
    return s.cikti;
}

bool ajanBaslatilamiyor() {
    auto is = launchdIsi();
    return !is || is->find("spawn failed") != std::string::npos;
}

// No other registration of the agent exists here: only the service manager's
// own record of a job loaded some other way would show it.
bool eskiKayitVar() {
    auto is = launchdIsi();
    return is && is->find("resolve program") != std::string::npos;
}

void eskiKaydiKaldir() {
    if (!eskiKayitVar()) return;
    Servis::bosalt();
    Gunluk::yaz("Eski (SMAppService) arka plan ajanı kaldırıldı");
}

// "Requires approval" is the user having turned the login start off in the
// desktop's settings: the job is there but would not come back after a login.
int ajanDurumu() {
    std::error_code ec;
    if (!fs::exists(plistYolu(), ec)) return 3;  // not found
    KomutSonucu s = Servis::sorgula();
    if (s.kod != 0) return 0;  // not registered
    return s.cikti.find("login start = disabled") != std::string::npos ? 2 : 1;
}

HataMetni ajaniKur(const std::function<bool()>& yedekCalisiyor) {
    auto paket = UygulamaBilgisi::paketYolu();
    if (!paket || fs::path(*paket).extension() != ".app") return "not running from an app bundle";
    if (!ajanaDokunulur()) return std::nullopt;
    if (yedekCalisiyor()) return Yerel::metin("A backup is running. Try again when it is done.");
    eskiKaydiKaldir();
    auto istenen = istenenPlist();
    if (!istenen) return "agent template missing";
    if (ajanKurulu() && Plist::dosyaOku(plistYolu()) == istenen) return std::nullopt;
    std::error_code ec;
    fs::create_directories(Yol::durum(), ec);
    fs::create_directories(fs::path(plistYolu()).parent_path(), ec);
    Servis::bosalt();
    try {
        atomikYaz(plistYolu(), Plist::xml(*istenen));
    } catch (const std::exception&) {
        return "LaunchAgents plist could not be written";
    }
    auto hata = Servis::yukle(plistYolu());
    if (hata && !ajanKurulu()) return hata;
    Gunluk::yaz("Arka plan ajanı kuruldu");
    return std::nullopt;
}

void ajaniKaldir() {
    if (!ajanaDokunulur()) return;
    eskiKaydiKaldir();
    Servis::bosalt();
    std::error_code ec;
    if (!fs::exists(plistYolu(), ec)) return;
    try {
        Platform::copeTasi(plistYolu());
    } catch (const std::exception&) {
    }
}

}  // namespace Kurulum
