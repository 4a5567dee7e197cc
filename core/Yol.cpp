#include "core/Yol.hpp"

#include <cstdlib>

#include "core/UygulamaBilgisi.hpp"
#include "platform/Platform.hpp"

namespace Yol {

// Read from the environment on every call: the value never changes within a
// real process, and tests may point each case at a fresh folder.
std::string durum() {
    if (const char* d = std::getenv("BRIMVALE_DURUM"); d && *d) return d;
    return Platform::evDizini() + "/Library/Application Support/Ondrak Brimvale";
}

std::string ayarlar() { return durum() + "/ayarlar.json"; }
std::string gunluk() { return durum() + "/gunluk.log"; }
std::string asama() { return durum() + "/asama"; }
std::string kilit() { return durum() + "/kilit"; }
std::string kilitPid() { return kilit() + "/pid"; }
std::string kilitBaslangic() { return kilit() + "/baslangic"; }
std::string sorulan() { return durum() + "/sorulan"; }
std::string simdi() { return durum() + "/simdi"; }
std::string ertelendi() { return durum() + "/ertelendi"; }
std::string yenidenSor() { return durum() + "/yeniden-sor"; }
std::string yoklama() { return durum() + "/yoklama"; }
std::string sonYedek() { return durum() + "/son-yedek.txt"; }
std::string sonHatalar() { return durum() + "/son-hatalar.txt"; }
std::string geriYuklemeler() { return durum() + "/geri-yuklemeler.json"; }
std::string gecmis() { return durum() + "/gecmis.json"; }
std::string sonuc() { return durum() + "/sonuc.json"; }
std::string kurtulusDmg() { return durum() + "/kurtulus-dmg.txt"; }
std::string destek() { return durum() + "/destek"; }
std::string guncelleme() { return durum() + "/guncelleme"; }
std::string isKlasoru() { return durum() + "/is"; }
std::string mnt() { return durum() + "/imaj"; }
std::string yedekler() { return mnt() + "/yedekler"; }
std::string devam() { return yedekler() + "/.devam"; }

std::string ajanEtiketi() {
    return UygulamaBilgisi::paketKimligi().value_or("com.ondrak.brimvale") + ".ajan";
}

}  // namespace Yol
