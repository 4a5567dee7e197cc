// Per-copy statistics inside the image and the history outside it.
#include <exception>

#include "core/Dosya.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "store/Kopyalar.hpp"

namespace Kopyalar {

std::string metaKlasoru() { return Yol::mnt() + "/meta"; }

void bilgiYaz(const KopyaBilgisi& bilgi) {
    // Only a copy name may become a file name in the metadata folder.
    if (!tarih(bilgi.ad)) return;
    yazDene(metaKlasoru() + "/" + bilgi.ad + ".json", jsonMetni(bilgi));
}

std::vector<KopyaBilgisi> bilgiler() {
    std::vector<KopyaBilgisi> sonuc;
    for (const auto& ad : liste(Yol::yedekler()))
        sonuc.push_back(jsonOku<KopyaBilgisi>(metaKlasoru() + "/" + ad + ".json").value_or(KopyaBilgisi{ad}));
    return sonuc;
}

std::string gecmisYolu() { return Yol::gecmis(); }

void gecmisEsitle() {
    if (Disk::imajDurumu() == Disk::Baglanti::yok) return;
    yazDene(gecmisYolu(), jsonMetni(bilgiler()));
}

std::vector<KopyaBilgisi> gecmis() {
    return jsonOku<std::vector<KopyaBilgisi>>(gecmisYolu()).value_or(std::vector<KopyaBilgisi>{});
}

}  // namespace Kopyalar
