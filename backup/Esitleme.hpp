#pragma once
// The copy pass: room for the new copy, large files first, then one run of
// the copy tool per source into the unfinished copy, hard-linking unchanged
// files to the previous copy; a complete pass gets its dated name.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "backup/Ozet.hpp"
#include "backup/Siniflama.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Ayarlar.hpp"
#include "store/BuyukDosyalar.hpp"
#include "store/Kopyalar.hpp"

namespace Yedekleme {

struct Oda {
    double gereken = 0;
    std::vector<std::string> silinen;   // copies deleted to make room
    std::optional<YedekSonucu> yerYok;  // saved; the run wraps up without copying
};

// Deletes oldest copies until the pass fits into the image volume.
Oda yerAyir(const Ozet& ozet);
// The same with the volume's capacity and free space given (tests).
Oda yerAyir(const Ozet& ozet, double toplam, const Kopyalar::BosYerOlcer& bosYer);

struct Esitleme {
    int kod = 0;                    // the status the classification is given
    bool tamamlandi = false;        // renamed to its dated name
    std::optional<std::string> ad;  // the dated name
    double sure = 0;                // seconds
    double aktarilan = 0;
    double gonderilen = 0;
    int64_t kopyalanan = 0;
    double toplamBoyut = 0;
    int64_t dosyaSayisi = 0;
    std::map<std::string, double> kaynaklar;
    std::vector<std::string> atlanan;  // vanished while being copied

    // The classified result of the pass (not yet saved); `yer` completes a
    // no-space result.
    YedekSonucu sonuc(const Siniflama::YerDurumu& yer = {}) const;
};

std::string esitleHataYolu();

// The pass itself. It leaves .devam in place when stopped (durduruldu) or
// failed, so the next pass continues it.
Esitleme esitle(const Ayarlar& ayarlar, const Ozet& ozet, const std::optional<std::string>& son,
                const std::vector<BuyukDosyalar::Aday>& adaylar);

// The number after `etiket` on the first line that begins with it; the copy
// tool's thousands separators are dropped. 0 when absent, not a number or
// beyond 64 bits.
int64_t istatistik(const std::string& metin, const std::string& etiket);

// Elapsed time in hours and minutes, zero units left out: "1h 5m", "12m".
std::string sureMetni(double saniye);

}  // namespace Yedekleme
