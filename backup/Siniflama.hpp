#pragma once
// Turns the copy pass's status and the copy tool's error text into the
// result the user reads.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "backup/YedekSonucu.hpp"

namespace Siniflama {

// The affected names of the error lines, grouped by kind. The tool's closing
// summary lines name no file.
std::map<HataTuru, std::vector<std::string>> sinifla(const std::string& hata);

// `kod` is the pass status, `hata` the pass's error text, `sure` the elapsed
// time already formatted, `aktarilan` the bytes sent, `dosya` files copied.
// What the no-space result tells: how many copies this run deleted to make
// room, whether the volume ran out of files rather than bytes, and whether
// the backup is larger than the whole volume (then nothing was deleted).
struct YerDurumu {
    size_t silinen = 0;
    bool dosyaSiniri = false;
    bool sigmaz = false;
    double gereken = 0;  // bytes; with `sigmaz`
    double toplam = 0;   // the volume's capacity; with `sigmaz`
};

// `yer` completes a no-space result.
YedekSonucu esitlemeSonucu(int kod, const std::string& hata, const std::string& sure, double aktarilan, int64_t dosya,
                           const YerDurumu& yer = {});

YedekSonucu yerYok(const std::string& teknik, const YerDurumu& yer = {});

// After the copy pass: keeps the error text as son-hatalar.txt, saves the
// result, logs the skipped files and, when the copy was not completed, the
// title and the tail of the error text. Returns the notification text.
std::string kaydet(const YedekSonucu& sonuc, int kod, const std::string& hata, bool tamamlandi);

}  // namespace Siniflama

namespace Yedekleme {

// The vanished files when every error line is about a vanished file;
// nothing when there is a real error or no vanished file at all.
std::optional<std::vector<std::string>> kaybolanlar(const std::string& hata);

}  // namespace Yedekleme
