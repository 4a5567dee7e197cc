// The change check's dry-run listing as ozetCikar reads it into the summary
// the question shows: against a previous copy, with an unfinished copy
// beside it. The summary is consistent and the question can read it back.
#include <algorithm>
#include <cstdlib>

#include "backup/Degisiklik.hpp"
#include "core/Json.hpp"
#include "temel/Metin.hpp"
#include "core/Yol.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

namespace {

const char* kOnceki = "2024-03-31_020000";

Ayarlar ayarlar() {
    Ayarlar a;
    a.kaynaklar = {FuzzOrtami::kok() + "/Belgeler"};
    a.silmeEsigiDosya = 3;
    return a;
}

void dunyaKur() {
    static bool kuruldu = false;
    if (kuruldu) return;
    kuruldu = true;
    for (const char* dosya : {"a.txt", "alt/b.txt", "alt/c d.txt", "yeni.bin"}) {
        FuzzOrtami::dosyaYaz(FuzzOrtami::kok() + "/Belgeler/" + dosya, dosya);
        FuzzOrtami::dosyaYaz(Yol::yedekler() + "/" + kOnceki + "/Belgeler/" + dosya, "onceki");
    }
    FuzzOrtami::dosyaYaz(Yol::yedekler() + "/" + kOnceki + "/Belgeler/silinen.txt", "gitti");
    FuzzOrtami::dosyaYaz(Yol::devam() + "/Belgeler/yeni.bin", "yeni.bin");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t boy) {
    FuzzOrtami::kur();
    dunyaKur();
    FuzzOrtami::dosyaYaz(Yol::isKlasoru() + "/prova-0.txt", FuzzOrtami::metin(veri, boy));
    Ozet ozet = Yedekleme::ozetCikar(ayarlar(), std::string(kOnceki));

    for (size_t i = 0; i < ozet.silinen.size(); ++i) {
        const auto& s = ozet.silinen[i];
        if (s.i != static_cast<int64_t>(i) || !s.yol.starts_with("Belgeler/")) std::abort();
        if (i > 0 && ozet.silinen[i - 1].yol > s.yol) std::abort();
    }
    if (ozet.enCok.size() > 5 || ozet.yeni + ozet.degisen > ozet.oge) std::abort();
    // Names are bytes; the question reads the summary only as valid text.
    std::string metin = Metin::utf8Onar(Json::metin(nlohmann::json(ozet), true));
    nlohmann::json::parse(metin).get<Ozet>();
    return 0;
}
