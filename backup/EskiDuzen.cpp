// The earliest layout kept the backup in DRIVE/ (and older files in _eski/)
// at the image's root; it becomes the first dated copy.
#include <sys/stat.h>

#include <filesystem>

#include "backup/Calisma.hpp"
#include "core/Gunluk.hpp"
#include "core/Saat.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"

namespace fs = std::filesystem;

namespace Yedekleme {

void eskiDuzeniTasi(const Ayarlar&) {
    for (const std::string ad : {"DRIVE", "_eski"}) {
        fs::path klasor = fs::path(Yol::mnt()) / ad;
        std::error_code ec;
        if (!fs::is_directory(fs::symlink_status(klasor, ec))) continue;
        bool bos = true;
        for (const auto& e : fs::directory_iterator(klasor, ec))
            if (e.path().filename() != ".DS_Store") bos = false;
        if (ec) continue;
        if (bos) {
            fs::remove_all(klasor, ec);
            continue;
        }
        if (ad == "_eski" || Kopyalar::son()) {
            Gunluk::yaz("NOTE: old " + ad + "/ kept in the image (not empty)");
            continue;
        }
        Saat::Zaman zaman = Saat::simdi();
        struct stat st{};
        if (::stat((Yol::mnt() + "/_son-yedek.txt").c_str(), &st) == 0)
            zaman = std::chrono::system_clock::from_time_t(st.st_mtime);
        std::string yeni = Kopyalar::yeniAd(zaman);
        fs::path hedef = fs::path(Yol::yedekler()) / yeni;
        fs::create_directories(hedef, ec);
        fs::rename(klasor, hedef / ad, ec);
        if (ec) {
            Gunluk::yaz("WARNING: old DRIVE/ could not be moved: " + ec.message());
            fs::remove(hedef, ec);
            continue;
        }
        Gunluk::yaz("old layout: DRIVE/ \u2192 yedekler/" + yeni);
    }
}

}  // namespace Yedekleme
