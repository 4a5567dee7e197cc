#pragma once
// The window application's decisions that need no window: which section and
// zoom to start with, the tray symbol and status line, the speed from the
// progress samples, and when to remind or ask again. The Qt layer calls
// these; they are tested without a display.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "backup/Durum.hpp"
#include "core/Saat.hpp"
#include "restore/GeriYukle.hpp"
#include "store/KopyaBilgisi.hpp"

namespace Kurallar {

enum class Bolum { genel, geriYukle, kopyalar, gunluk };
enum class Olcek { gun, hafta, ay, yil, tumu };

struct BolumBilgisi {
    Bolum bolum;
    const char* ham;
    const char* baslik;
    const char* sembol;
};
const std::vector<BolumBilgisi>& bolumler();
// The section named by a raw value (BRIMVALE_BOLUM), else the overview.
Bolum bolum(const char* ham);
// The zoom named by a raw value (BRIMVALE_OLCEK), else a month.
Olcek olcek(const char* ham);
// The span of time the timeline shows; nothing for "all".
std::optional<double> olcekSuresi(Olcek o);

// The timeline: the stretch of time it shows, in seconds since 1970.
struct Aralik {
    double bas = 0, son = 0;
    bool operator==(const Aralik&) const = default;
};
// The stretch shown at zoom `o` for copies at `zamanlar` (oldest first): the
// zoom's span ending just after the newest copy, moved back so that the
// selected copy stays in it; for "all" every copy. A little room is left at
// both ends so that no tick sits on the edge.
Aralik cizelgeAraligi(Olcek o, const std::vector<double>& zamanlar, std::optional<size_t> secili);
// Where a moment falls across a width of `genislik` with `kenar` left free at
// both sides.
double cizelgeX(const Aralik& a, double zaman, double genislik, double kenar);
// The copy whose tick is nearest to `x`, when it is within `tolerans` and in
// the stretch shown; on equal distance the newer one.
std::optional<size_t> cizelgeVurus(const Aralik& a, const std::vector<double>& zamanlar, double x,
                                   double genislik, double kenar, double tolerans);

// The tray's symbol, as the platform's symbol name.
const char* menuSembolu(const Anlik& a);

struct DurumSatiri {
    std::string metin;   // translated
    std::string sembol;
    bool kirmizi = false;  // else orange
};
// The tray's status line; nothing when all is quiet.
std::optional<DurumSatiri> durumSatiri(const Anlik& a, bool mesgul);

struct HizNoktasi {
    long long id;
    Saat::Zaman zaman;
    double hiz;
};
// Bytes per second over the last 5 s of a copy pass, and the points of the
// last 120 s for the chart.
class HizOlcer {
public:
    // One refresh: a sample while the copy pass runs. The speed once the
    // oldest sample is more than 5 s old.
    std::optional<double> ekle(const Anlik& a, Saat::Zaman simdi);
    const std::deque<HizNoktasi>& gecmis() const { return gecmis_; }

private:
    std::deque<std::pair<Saat::Zaman, double>> ornekler_;
    std::deque<HizNoktasi> gecmis_;
    long long sonId_ = 0;
};

// Whole days since the last backup when there are at least seven.
std::optional<int> eskiYedek(const std::optional<Saat::Zaman>& sonYedek, Saat::Zaman simdi);

// What the old-backup reminder looks at.
struct HatirlatmaDurumu {
    bool kurulu = false;      // a disk and at least one folder are set
    bool izinlerTam = false;  // all three permissions
    bool izinDeneme = false;  // the permission test mode
    std::optional<Saat::Zaman> sonYedek;  // newest entry of the history
    std::string sonUyariGunu;             // "yyyy-MM-dd" of the last reminder
};
// The days since the last backup when a reminder is due today (at least 7
// days, not yet reminded today), else nothing. `bugun` is "yyyy-MM-dd".
std::optional<int> eskiYedekGunu(const HatirlatmaDurumu& d, Saat::Zaman simdi, const std::string& bugun);

// What asking again after a postponement looks at.
struct TekrarSorDurumu {
    bool hazir = false;       // the application has finished starting
    bool dokunulur = false;   // the real agent may be touched
    bool soruAcik = false;
    bool ilkBakis = false;    // the first refresh has been applied
    bool mesgul = false;      // an eject or unlock runs
    std::optional<Saat::Zaman> hatirlatilan;
};
// Whether to ask again now about the postponed backup of `a`.
bool tekrarSor(const Anlik& a, const TekrarSorDurumu& d, Saat::Zaman simdi);

// The status label of a restore record: "Undone", "In the Trash",
// "Restored (no copy)", "Kept" while its kept copy exists, else "No longer
// there". Untranslated, as the catalog's key.
const char* kayitEtiketi(const GeriYukleme& g);
// Whether the replaced-items list shows the record.
bool kayitGosterilir(const GeriYukleme& g, bool hepsi);
// Restores made more than 30 days ago whose kept copy is still there.
int eskiKayitSayisi(const std::vector<GeriYukleme>& kayitlar, Saat::Zaman simdi);

// The image password: at least this many characters.
inline constexpr size_t kParolaEnAz = 8;
// Characters (not bytes) of a UTF-8 text.
size_t karakterSayisi(const std::string& metin);
// Whether the image may be created with this password: long enough and typed
// the same way twice.
bool parolaUygun(const std::string& parola, const std::string& tekrar);

// A folder that should come back first, written below the backed-up folder
// that holds it (in that folder's own spelling: a link to it is followed);
// nothing when no backed-up folder holds it. Looks at the file system.
std::optional<std::string> oncelikYolu(const std::string& klasor, const std::vector<std::string>& kaynaklar);

// The exclusion text of the settings, one pattern per line; blank lines go.
std::vector<std::string> haricSatirlari(const std::string& metin);

// The first start's steps, in the order they are taken.
enum class IlkAdim { disk, imaj, klasor, yedek };
struct IlkAdimDurumu {
    IlkAdim adim;
    bool bitti = false;
};
struct IlkDurum {
    bool diskSecili = false;
    std::optional<bool> imajVar = std::nullopt;  // nothing while the chosen disk is not connected
    bool klasorVar = false;
    bool yedekVar = false;  // a copy or its history exists
};
// The four steps and which are done; empty once there is nothing left to
// set up, so the overview shows no guidance.
std::vector<IlkAdimDurumu> ilkAdimlar(const IlkDurum& k);

}  // namespace Kurallar
