#include "support/Kaldirma.hpp"

#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Tercihler.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"

namespace fs = std::filesystem;

namespace Kaldirma {

HataMetni kaldir(bool uygulamayiCopeAt, const Isler& isler) {
    if (isler.yedekCalisiyor()) return Yerel::metin("A backup is running. Try again when it is done.");
    // Only an image still attached matters: the state folder's move would
    // carry the mounted backups along into the Trash.
    auto ayirma = Disk::imajiAyir();
    if (Disk::imajDurumu() != Disk::Baglanti::yok) return ayirma.value_or(Yol::mnt() + ": busy");
    isler.ajaniKaldir();
    std::error_code ec;
    if (fs::exists(Yol::durum(), ec)) {
        try {
            copeTasi(Yol::durum());
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
    }
    Tercihler::alaniSil();
    if (auto paket = UygulamaBilgisi::paketYolu(); uygulamayiCopeAt && paket) {
        try {
            copeTasi(*paket);
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
    }
    // The log went to the Trash with the state folder.
    Gunluk::sistem("Kaldırıldı");
    return std::nullopt;
}

}  // namespace Kaldirma
