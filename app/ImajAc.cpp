#include "app/ImajAc.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <iostream>

#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "backup/Durum.hpp"

namespace fs = std::filesystem;

namespace Komutlar {

std::string birimYolu(const Istek& istek) {
    auto yol = Disk::birim(istek.ayarlar.diskUUID);
    if (!yol) {
        yaz("backup disk not connected");
        throw Cikis{1};
    }
    return *yol;
}

namespace {

// The image is mounted inside the state folder: when its mount point cannot
// be made there, say which folder is at fault rather than what the attach
// tool makes of a missing mount point. An existing one is left to the attach.
void baglamaNoktasiHazir() {
    struct stat st{};
    if (::lstat(Yol::mnt().c_str(), &st) == 0 || errno != ENOENT) return;
    std::error_code ec;
    fs::create_directories(Yol::mnt(), ec);
    if (!ec) return;
    yaz("the state folder " + Yol::durum() + " cannot be written: " + ec.message());
    throw Cikis{1};
}

}  // namespace

std::string imajiAc(Istek& istek, bool salt) {
    std::string yol = birimYolu(istek);
    baglamaNoktasiHazir();
    if (auto hata = Disk::imajiBagla(yol + "/" + istek.ayarlar.imajAdi, salt, istek.ayarlar)) {
        yaz(*hata);
        throw Cikis{1};
    }
    return yol;
}

void imajBagliOlmali() {
    if (Disk::imajDurumu() != Disk::Baglanti::yok) return;
    std::cerr << Yerel::metin("the backup image is not attached; attach it with --ac") << "\n";
    throw Cikis{1};
}

void calisanYedekYok() {
    if (!Yedekleme::calisanPid()) return;
    yaz("a backup is running");
    throw Cikis{2};
}

}  // namespace Komutlar
