#include "recovery/Program.hpp"

#include "core/Yerel.hpp"
#include "core/Json.hpp"

namespace {

const std::pair<Kaynak, const char*> hamDegerler[] = {
    {Kaynak::appStore, "appStore"}, {Kaynak::homebrew, "homebrew"}, {Kaynak::indirme, "indirme"}, {Kaynak::arac, "arac"}};

}  // namespace

void to_json(nlohmann::json& j, const Kaynak& k) {
    for (const auto& [deger, ham] : hamDegerler)
        if (deger == k) j = ham;
}

void from_json(const nlohmann::json& j, Kaynak& k) {
    const std::string& ham = j.get_ref<const std::string&>();
    for (const auto& [deger, h] : hamDegerler)
        if (ham == h) {
            k = deger;
            return;
        }
    throw nlohmann::json::other_error::create(501, "unknown kaynak: " + ham, &j);
}

std::string Program::kaynakAdi() const {
    switch (kaynak) {
        case Kaynak::appStore: return Yerel::metin("App Store");
        case Kaynak::homebrew: return Yerel::metin("Homebrew");
        case Kaynak::arac: return Yerel::metin("Command-line tool (Homebrew)");
        case Kaynak::indirme: break;
    }
    return Yerel::metin("Download");
}

void to_json(nlohmann::json& j, const Program& p) {
    j = {{"id", p.id}, {"ad", p.ad}, {"kaynak", p.kaynak}, {"elle", p.elle}};
    Json::istegeBagliYaz(j, "yol", p.yol);
    Json::istegeBagliYaz(j, "kimlik", p.kimlik);
    Json::istegeBagliYaz(j, "surum", p.surum);
    Json::istegeBagliYaz(j, "brew", p.brew);
}

void from_json(const nlohmann::json& j, Program& p) {
    Json::al(j, "id", p.id);
    Json::al(j, "ad", p.ad);
    Json::al(j, "kaynak", p.kaynak);
    Json::al(j, "elle", p.elle);
    Json::istegeBagliOku(j, "yol", p.yol);
    Json::istegeBagliOku(j, "kimlik", p.kimlik);
    Json::istegeBagliOku(j, "surum", p.surum);
    Json::istegeBagliOku(j, "brew", p.brew);
}
