#pragma once
// The dated copies inside the image: their names, the list, the per-copy
// statistics, the history kept outside the image, retention and deletion.
// In Kopyalar.cpp (names, list), Bilgiler.cpp (statistics, history),
// Budama.cpp (retention, making room) and Silme.cpp (deletion).
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/Ayarlar.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "store/KopyaBilgisi.hpp"

namespace Kopyalar {

// --- names and the list ---

// The instant of a copy name "yyyy-MM-dd_HHmmss" (local time); nothing unless
// the name has 17 characters and stands for a real local time.
std::optional<Saat::Zaman> tarih(const std::string& ad);
// The copy name of an instant, in the current time zone.
std::string yeniAd(Saat::Zaman zaman);
// Localized abbreviated date and short time; the name itself when it does
// not parse.
std::string goster(const std::string& ad);

// The copies in `kok`, oldest first; empty when the folder cannot be read.
std::vector<std::string> liste(const std::string& kok);
// The newest copy.
std::optional<std::string> son(const std::string& kok = Yol::yedekler());

// --- statistics ---

std::string metaKlasoru();
// Errors are swallowed: a backup does not fail over its statistics.
void bilgiYaz(const KopyaBilgisi& bilgi);
// One record per copy of the backups folder, in list order.
std::vector<KopyaBilgisi> bilgiler();

// --- the history outside the image ---

std::string gecmisYolu();
// Rewrites the history from the image when the image is attached.
void gecmisEsitle();
// The stored history; empty when missing or unreadable.
std::vector<KopyaBilgisi> gecmis();

// --- retention and deletion ---

// The names to keep: the newest copy plus the newest copy of each of the most
// recent hour, day, ISO week, month and year buckets (local time) that hold
// a copy, as many buckets as the counts say (0 or below: all).
std::set<std::string> tutulacaklar(const std::vector<std::string>& adlar, const Saklama& saklama);

// Deletes the copies of Yol::yedekler() that are not kept; the deleted names
// in order. Never throws.
std::vector<std::string> buda(const Saklama& saklama);

struct YerAcma {
    std::vector<std::string> silinen;
    bool yeterli = false;
    bool sigmaz = false;  // more than the whole volume holds; nothing deleted
};
// Free bytes of the volume to make room on.
using BosYerOlcer = std::function<double()>;
// Deletes the oldest copies until `gereken` bytes are free, never the last
// copy, and none when `gereken` exceeds the volume's capacity `toplam` (0:
// unknown), since no deletion could make it fit. The default measures the
// mounted image volume. Never throws.
YerAcma yerAc(double gereken);
YerAcma yerAc(double gereken, double toplam, const BosYerOlcer& bosYer);

// Deletes one copy (or ".devam") below `kok` and its statistics file. The
// copy first leaves the list in one step, renamed to its hidden name, and is
// removed from there, so a deletion cut short leaves no half copy listed.
// With `simdi` false only the rename is done: the hidden tree is removed
// by artiklariSil right after the next attach, where it is fast; for when
// the space is not needed at once.
// Throws BrimvaleHatasi(1, "refused to delete <ad>") for any other name, or
// the file system's error (after the rename, the hidden tree stays for
// artiklariSil).
void sil(const std::string& ad, const std::string& kok = Yol::yedekler(), bool simdi = true);

// Hidden names of copies being deleted: never a copy name, never ".devam".
inline constexpr const char* silinecekOnek = ".silinecek-";
std::string silinecekAdi(const std::string& ad);
// Removes what deletions cut short or left for later below `kok`, with the
// statistics of those copies; the hidden names removed. Never throws: a tree
// that will not go is logged and kept for the next run.
// `hizli`: the image was mounted just now and nothing has looked inside it
// yet, so the trees may go straight on the disk (Platform::agaciHizliSil),
// falling back to removal through the image.
std::vector<std::string> artiklariSil(const std::string& kok = Yol::yedekler(), bool hizli = false);

}  // namespace Kopyalar
