// The change check's dry-run listing as ozetCikar reads it into the summary
// the question shows: against a previous copy, with an unfinished copy
// beside it. The summary is consistent and the question can read it back.
#include "backup/Degisiklik.hpp"
#include "core/Yol.hpp"
#include "tests/fuzz/FuzzOrtami.hpp"

void FuzzOrtami::dene(const std::string& girdi) {
    static const std::string onceki = "2024-03-31_020000";
    static Ayarlar a = [] {
        for (const char* dosya : {"a.txt", "alt/b.txt", "alt/c d.txt", "yeni.bin"}) {
            dosyaYaz(kok() + "/Belgeler/" + dosya, dosya);
            dosyaYaz(Yol::yedekler() + "/" + onceki + "/Belgeler/" + dosya, "onceki");
        }
        dosyaYaz(Yol::yedekler() + "/" + onceki + "/Belgeler/silinen.txt", "gitti");
        dosyaYaz(Yol::devam() + "/Belgeler/yeni.bin", "yeni.bin");
        Ayarlar a;
        a.kaynaklar = {kok() + "/Belgeler"};
        a.silmeEsigiDosya = 3;
        return a;
    }();
    dosyaYaz(Yol::isKlasoru() + "/prova-0.txt", girdi);
    Ozet ozet = Yedekleme::ozetCikar(a, onceki);
    for (size_t i = 0; i < ozet.silinen.size(); ++i) {
        const auto& s = ozet.silinen[i];
        gerek(s.i == static_cast<int64_t>(i) && s.yol.starts_with("Belgeler/"));
        gerek(i == 0 || ozet.silinen[i - 1].yol <= s.yol);
    }
    gerek(ozet.enCok.size() <= 5 && ozet.yeni + ozet.degisen <= ozet.oge);
    // Names are bytes; the question reads the summary only as valid text.
    nlohmann::json::parse(Metin::utf8Onar(Json::metin(nlohmann::json(ozet), true))).get<Ozet>();
}
