#pragma once
// Turns the copy pass's status and the copy tool's error text into the
// result the user reads.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "backup/YedekSonucu.hpp"
#include "core/Yol.hpp"

namespace Siniflama {

// The affected names of the error lines, grouped by kind. The tool's closing
// summary lines name no file. A path at or below `hedefKok` (the image's
// mount point) lies on the backup disk: whatever failed there is the disk's
// failure, never a file of the computer.
std::map<HataTuru, std::vector<std::string>> sinifla(const std::string& hata,
                                                    const std::string& hedefKok = Yol::mnt());

// The large-file copier's error line in the error file. The name comes last,
// quoted and escaped, so no name can change how the line reads; `kaynakta`
// says it was the file on the computer that failed, not the backup side.
std::string kopyalayiciSatiri(const std::string& ad, const std::string& neden, bool kaynakta);

// The backup side as the classification sees it after the pass.
struct Hedef {
    std::string kok;             // the image's mount point
    std::optional<bool> yerDar;  // its volume is short of bytes or inodes; nothing: it cannot be measured
};
// The mounted image as it is now.
Hedef hedef();

// The space a copy keeps free on a volume of `toplam` bytes: 2 %, at least
// 50 MiB, at most 1 GiB. Below it the volume counts as full.
double yedekPay(double toplam);

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

// A no-space error counts as one only when the volume really is short;
// otherwise (plenty free, or the volume gone) it is the disk's failure.

// The error text for a result or a log line of at most about `n` bytes: the
// lines that name a cause come first (each shortened in its middle), then the
// tail, so a long path cannot push the cause out.
std::string teknikMetin(const std::string& hata, size_t n);

// `yer` completes a no-space result.
YedekSonucu esitlemeSonucu(int kod, const std::string& hata, const std::string& sure, double aktarilan, int64_t dosya,
                           const Hedef& hedef, const YerDurumu& yer = {});

YedekSonucu yerYok(const std::string& teknik, const YerDurumu& yer = {});

// After the copy pass: keeps the error text as son-hatalar.txt, saves the
// result, logs the skipped files and, when the copy was not completed, the
// title and the tail of the error text. Returns the notification text.
std::string kaydet(const YedekSonucu& sonuc, int kod, const std::string& hata, bool tamamlandi);

}  // namespace Siniflama

namespace Yedekleme {

// The vanished files when every error line is about a vanished file;
// nothing when there is a real error or no vanished file at all. Paths on
// the backup disk (`hedefKok`) never count as vanished.
std::optional<std::vector<std::string>> kaybolanlar(const std::string& hata,
                                                    const std::string& hedefKok = Yol::mnt());

}  // namespace Yedekleme
