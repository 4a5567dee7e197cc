// Settings text as every process reads it from ayarlar.json: a damaged file
// means all defaults, and whatever loads survives a save unchanged.
#include <cstdlib>

#include "core/Ayarlar.hpp"
#include "core/Json.hpp"
#include "temel/Metin.hpp"
#include "core/Yol.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    std::string girdi = FuzzOrtami::metin(veri, boy);
    FuzzOrtami::dosyaYaz(Yol::ayarlar(), girdi);
    Ayarlar yuklenen = Ayarlar::yukle();

    std::optional<Ayarlar> cozulen;
    auto j = nlohmann::json::parse(girdi, nullptr, false);
    if (!j.is_discarded()) {
        try {
            cozulen = j.get<Ayarlar>();
        } catch (const std::exception&) {
        }
    }
    if (yuklenen != cozulen.value_or(Ayarlar())) std::abort();
    yuklenen.kaynakAdlari();
    // Saved the way the settings pane saves it, then loaded again.
    auto kayit = nlohmann::json::parse(Metin::utf8Onar(Json::metin(nlohmann::json(yuklenen), true)));
    if (kayit.get<Ayarlar>() != yuklenen) std::abort();
    return 0;
}
