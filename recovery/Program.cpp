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

namespace {

const auto kAlanlar = std::tuple{Json::alan("id", &Program::id),       Json::alan("ad", &Program::ad),
                                 Json::alan("kaynak", &Program::kaynak), Json::alan("elle", &Program::elle),
                                 Json::alan("yol", &Program::yol),     Json::alan("kimlik", &Program::kimlik),
                                 Json::alan("surum", &Program::surum), Json::alan("brew", &Program::brew)};

}  // namespace

void to_json(nlohmann::json& j, const Program& p) { Json::yaz(j, p, kAlanlar); }
void from_json(const nlohmann::json& j, Program& p) { Json::oku(j, p, kAlanlar); }
