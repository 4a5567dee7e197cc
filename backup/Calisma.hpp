#pragma once
// The backup run from start to end: the driver that --ajan and --yedekle
// call, the run itself, and the wrap-up around the copy.
// In Calistir.cpp, Akis.cpp, Cikar.cpp, GeriGetir.cpp and EskiDuzen.cpp.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "backup/Karar.hpp"
#include "backup/Ozet.hpp"
#include "core/Ayarlar.hpp"

namespace Yedekleme {

// What the wrap-up needs to write the recovery files of a completed copy.
struct KurtulusBilgisi {
    std::string kopya;
    std::optional<std::string> imajBirimAdi;
    bool brewfile = false;  // the recipe wrote a Brewfile
};

// What one run learns on its way and its caller reads at the end.
struct Calisma {
    // The outcome word, published with the final stage.
    std::string sonuc = "iptal";
    // Set after a completed copy, right after the recipe; the wrap-up writes
    // the recovery files only when it is set.
    std::optional<KurtulusBilgisi> kurtulus;
};

// The whole of --ajan (elle false) and --yedekle (elle true); the result is
// the process exit status.
int32_t calistir(bool elle);
// The run once the disk is there and the lock is held.
int32_t akis(const Ayarlar& ayarlar, const std::string& birim, const std::string& imaj, bool elle, Calisma& calisma);

// Detach, compact after deletions, recovery files, eject, tell the user.
// `bildirim` is the final notification without its last sentence; nothing means
// the user chose to eject without a backup. The recovery files are written
// when `kurtulus` is given.
int32_t cikar(const Ayarlar& ayarlar, const std::string& birim, const std::string& imaj, bool budandi,
              const std::optional<std::string>& bildirim, const std::optional<KurtulusBilgisi>& kurtulus);
// --cikar: the exit status and the message.
std::pair<int32_t, std::string> elleCikar();
// Copies the marked deleted files back to the computer, never over anything
// that is there; (brought back, skipped).
std::pair<int, int> geriGetir(const Ozet& ozet, const Karar& karar, const Ayarlar& ayarlar);
// Moves a store of the earliest layout (DRIVE/ and _eski/ at the image's
// root) into the dated layout.
void eskiDuzeniTasi(const Ayarlar& ayarlar);

}  // namespace Yedekleme
