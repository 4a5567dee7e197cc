#pragma once
// The live status the engine publishes in the state directory, the run lock,
// and the snapshot the windows build from those files.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Ayarlar.hpp"
#include "core/Saat.hpp"
#include "disk/Disk.hpp"
#include "temel/HataMetni.hpp"

struct Anlik {
    bool diskBagli = false;
    bool imajVar = false;
    Disk::Baglanti imaj = Disk::Baglanti::yok;
    std::string diskAdi;
    std::string sonYedek;
    std::string asama = "bosta";
    std::string sonuc;
    Saat::Zaman asamaZamani = Saat::simdi();
    int32_t pid = 0;
    bool calisiyor = false;
    bool duraklatildi = false;
    double toplamBayt = 0;
    double bitenBayt = 0;
    double hiz = 0;  // measured by the window application
    std::vector<std::string> gunluk;
    std::vector<std::string> hatalar;
    std::optional<Saat::Zaman> erteleme;
};

namespace Yedekleme {

// Writes the stage file; the third field is `sonuc` when given, else our pid.
// Nothing on success, else why it could not be written.
[[nodiscard]] HataMetni asamaYaz(const std::string& asama,
                                                  const std::optional<std::string>& sonuc = std::nullopt);
// The same where a lost stage only costs the windows one update.
void asama(const std::string& asama, const std::optional<std::string>& sonuc = std::nullopt);
// The pid of a live engine holding the run lock. A process that merely got
// the same pid after the holder ended does not count: the lock also records
// when its holder started.
std::optional<int32_t> calisanPid();

struct KilitAlma {
    bool alindi = false;
    // Why the lock could not be written at all; unset when another live run
    // holds it (or took a stale one first).
    std::optional<std::string> hata;
    explicit operator bool() const { return alindi; }
};
KilitAlma kilitAl();
void kilidiBirak();

struct AsamaBilgisi {
    std::string asama = "bosta";
    std::string sonuc;
    std::optional<Saat::Zaman> zaman;
};
// The stage as the windows show it: "bosta" when the engine that wrote it is gone.
AsamaBilgisi asamaOku();
// When the pending backup was postponed.
std::optional<Saat::Zaman> ertelemeOku();
// The process is stopped (paused), as the process-status tool says.
bool duraklatildi(int32_t pid);
// A fresh snapshot from the state files and the live probes.
Anlik anlik(const Ayarlar& ayarlar);

}  // namespace Yedekleme
