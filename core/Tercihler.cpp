#include "core/Tercihler.hpp"

#include <cstdlib>
#include <filesystem>

#include "core/Dosya.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "platform/Platform.hpp"

namespace fs = std::filesystem;

namespace Tercihler {
namespace {

nlohmann::json hepsi() {
    auto j = jsonOku<nlohmann::json>(yol(), 1 << 20);
    return j && j->is_object() ? *j : nlohmann::json::object();
}

}  // namespace

std::string alan() { return UygulamaBilgisi::paketKimligi().value_or("com.ondrak.brimvale"); }

// A relative XDG_CONFIG_HOME is to be ignored, as the base-directory rules say.
std::string yol() {
    std::string klasor;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') klasor = x;
    else klasor = Platform::evDizini() + "/.config";
    return klasor + "/" + alan() + ".json";
}

std::optional<nlohmann::json> oku(const std::string& anahtar) {
    auto j = hepsi();
    auto it = j.find(anahtar);
    if (it == j.end()) return std::nullopt;
    return *it;
}

void yaz(const std::string& anahtar, const nlohmann::json& deger) {
    auto j = hepsi();
    j[anahtar] = deger;
    jsonYaz(j, yol());
}

void alaniSil() {
    std::error_code ec;
    fs::remove(yol(), ec);
}

}  // namespace Tercihler
