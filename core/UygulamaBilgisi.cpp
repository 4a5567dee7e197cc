#include "core/UygulamaBilgisi.hpp"

#include <filesystem>

#include "temel/Metin.hpp"
#include "core/Plist.hpp"
#include "core/Yerel.hpp"
#include "platform/Platform.hpp"

namespace fs = std::filesystem;

namespace UygulamaBilgisi {
namespace {

struct Bilgi {
    std::optional<std::string> paket;
    nlohmann::json plist = nlohmann::json::object();
};

// The executable of a bundle is <bundle>.app/Contents/MacOS/<name>.
const Bilgi& bilgi() {
    static const Bilgi b = [] {
        Bilgi s;
        fs::path exe = Platform::calistirilabilir();
        fs::path paket = exe.parent_path().parent_path().parent_path();
        if (exe.parent_path().filename() == "MacOS" && exe.parent_path().parent_path().filename() == "Contents" &&
            paket.extension() == ".app") {
            s.paket = paket.string();
            if (auto p = Plist::dosyaOku((paket / "Contents/Info.plist").string()); p && p->is_object()) s.plist = *p;
        }
        return s;
    }();
    return b;
}

}  // namespace

std::optional<std::string> paketYolu() { return bilgi().paket; }

std::optional<std::string> paketKimligi() { return Plist::metin(bilgi().plist, "CFBundleIdentifier"); }

std::string kaynaklar() {
    if (auto p = paketYolu()) return *p + "/Contents/Resources";
#ifdef BRIMVALE_KAYNAK_KLASORU
    return BRIMVALE_KAYNAK_KLASORU;
#else
    return {};
#endif
}

std::optional<std::string> plistMetni(const std::string& anahtar) { return Plist::metin(bilgi().plist, anahtar); }

std::string surum() { return Plist::metin(bilgi().plist, "CFBundleShortVersionString").value_or(BRIMVALE_SURUM); }

std::string yapi() { return Plist::metin(bilgi().plist, "CFBundleVersion").value_or(BRIMVALE_YAPI); }

// A version below 1 says so, so that reports and the terminal tell it apart.
std::string tam() {
    std::string s = surum() + " (" + yapi() + ")";
    if (surum().starts_with("0.")) s += " \u2013 " + Yerel::metin("early version");
    return s;
}

}  // namespace UygulamaBilgisi
