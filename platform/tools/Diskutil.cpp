// diskutil on Linux: volumes and disks from the mount table, sysfs and
// libblkid; mount and eject through udisks when a session has it, else
// directly as root.
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "temel/Metin.hpp"
#include "platform/Platform.hpp"
#include "platform/tools/Yardimci.hpp"
#include "temel/HataMetni.hpp"

namespace fs = std::filesystem;

namespace Yardimci {
namespace {

const char* kUdisksctl = "/usr/bin/udisksctl";
const char* kMount = "/usr/bin/mount";
const char* kUmount = "/usr/bin/umount";
const char* kLosetup = "/usr/sbin/losetup";

bool udisksVar() { return oturumVar() && ::access(kUdisksctl, X_OK) == 0; }

// The mounts of a device node.
std::vector<Platform::Baglama> baglamalari(const std::string& dugum) {
    std::vector<Platform::Baglama> liste;
    for (const auto& b : Platform::baglamalar()) {
        std::error_code ec;
        if (b.kaynak.starts_with("/dev/") && fs::canonical(b.kaynak, ec).string() == dugum) liste.push_back(b);
    }
    return liste;
}

void boyutlar(nlohmann::json& d, const std::string& yol) {
    struct statvfs st{};
    if (::statvfs(yol.c_str(), &st) != 0) return;
    d["TotalSize"] = static_cast<double>(st.f_frsize) * static_cast<double>(st.f_blocks);
    d["FreeSpace"] = static_cast<double>(st.f_frsize) * static_cast<double>(st.f_bavail);
    d["WritableVolume"] = (st.f_flag & ST_RDONLY) == 0;
}

nlohmann::json aygitBilgisi(const Platform::Aygit& a) {
    nlohmann::json d = {{"DeviceIdentifier", a.ad},    {"DeviceNode", a.dugum},
                        {"ParentWholeDisk", a.butunDisk}, {"Internal", a.dahili},
                        {"Removable", a.cikarilabilir}, {"RemovableMedia", a.cikarilabilir},
                        {"Ejectable", a.atilabilir},    {"Size", a.boyut},
                        {"TotalSize", a.boyut},         {"VolumeName", a.etiket},
                        {"MountPoint", ""},             {"WholeDisk", a.ad == a.butunDisk}};
    if (!a.uuid.empty()) d["VolumeUUID"] = a.uuid;
    if (!a.tur.empty()) d["FilesystemType"] = a.tur;
    auto b = baglamalari(a.dugum);
    if (!b.empty()) {
        d["MountPoint"] = b.front().yol;
        boyutlar(d, b.front().yol);
    }
    return d;
}

int bilgi(const Argumanlar& a) {
    if (a.size() < 2) return hata("Usage: diskutil info [-plist] <mount point | disk>");
    const std::string& hedef = a.back();
    std::optional<nlohmann::json> d;
    if (hedef.find('/') == std::string::npos || hedef.starts_with("/dev/")) {
        if (auto ay = Platform::aygit(hedef)) d = aygitBilgisi(*ay);
    } else {
        std::error_code ec;
        std::string gercek = fs::canonical(hedef, ec).string();
        for (const auto& b : Platform::baglamalar()) {
            if (ec || b.yol != gercek) continue;
            auto ay = b.kaynak.starts_with("/dev/") ? Platform::aygit(b.kaynak) : std::nullopt;
            if (ay) {
                d = aygitBilgisi(*ay);
                (*d)["MountPoint"] = b.yol;
                boyutlar(*d, b.yol);
                continue;
            }
            // An attached image or another file system without a device.
            std::string ad = b.tur == "fuse.gocryptfs" ? imajBirimAdi(b.kaynak) : fs::path(b.yol).filename().string();
            d = nlohmann::json{{"MountPoint", b.yol}, {"VolumeName", ad}, {"FilesystemType", b.tur},
                               {"Internal", true}, {"Removable", false}, {"Ejectable", false}};
            boyutlar(*d, b.yol);
        }
    }
    if (!d) return hata("Could not find disk: " + hedef);
    if (a[1] == "-plist") {
        plistYaz(*d);
    } else {
        for (auto it = d->begin(); it != d->end(); ++it) std::cout << "   " << it.key() << ": " << it.value().dump() << "\n";
    }
    return 0;
}

// A disk formatted without a partition table is listed as its own partition,
// so that a volume on it is found like any other.
int liste(const Argumanlar& a) {
    nlohmann::json tum = nlohmann::json::array(), butun = nlohmann::json::array(), hepsi = nlohmann::json::array();
    for (const auto& disk : Platform::butunDiskler()) {
        auto da = Platform::aygit(disk);
        if (!da) continue;
        nlohmann::json bolumler = nlohmann::json::array();
        auto adlar = Platform::bolumler(disk);
        if (adlar.empty() && !da->uuid.empty()) adlar.push_back(disk);
        hepsi.push_back(disk);
        for (const auto& ad : adlar) {
            auto ba = Platform::aygit(ad);
            if (!ba) continue;
            nlohmann::json b = {{"DeviceIdentifier", ad}, {"Size", ba->boyut}};
            if (!ba->uuid.empty()) b["VolumeUUID"] = ba->uuid;
            if (!ba->etiket.empty()) b["VolumeName"] = ba->etiket;
            if (auto m = baglamalari(ba->dugum); !m.empty()) b["MountPoint"] = m.front().yol;
            bolumler.push_back(b);
            if (ad != disk) hepsi.push_back(ad);
        }
        butun.push_back(disk);
        tum.push_back({{"DeviceIdentifier", disk}, {"Size", da->boyut}, {"Partitions", bolumler}});
    }
    nlohmann::json sonuc = {{"AllDisksAndPartitions", tum}, {"WholeDisks", butun}, {"AllDisks", hepsi}};
    if (a.size() > 1 && a[1] == "-plist") plistYaz(sonuc);
    else std::cout << sonuc.dump(2) << "\n";
    return 0;
}

// The volumes of a disk: its partitions, or the disk itself without any.
std::vector<Platform::Aygit> birimleri(const Platform::Aygit& a) {
    std::vector<Platform::Aygit> liste;
    if (a.ad == a.butunDisk)
        for (const auto& ad : Platform::bolumler(a.ad))
            if (auto b = Platform::aygit(ad)) liste.push_back(*b);
    if (liste.empty()) liste.push_back(a);
    return liste;
}

HataMetni tekBagla(const Platform::Aygit& b) {
    if (udisksVar()) {
        KomutSonucu r = komut(kUdisksctl, {"mount", "--no-user-interaction", "-b", b.dugum});
        return r.kod == 0 ? std::nullopt : std::optional(Metin::kirp(r.cikti));
    }
    if (::geteuid() != 0) return "mounting needs udisks or root";
    std::string ad = klasorAdi(b.etiket, klasorAdi(b.uuid, b.ad));
    std::string yer = "/media/" + ad;
    std::error_code ec;
    for (int n = 1; fs::exists(yer, ec) && !fs::is_empty(yer, ec); ++n) yer = "/media/" + ad + " " + std::to_string(n);
    fs::create_directories(yer, ec);
    KomutSonucu r = komut(kMount, {b.dugum, yer});
    if (r.kod == 0) return std::nullopt;
    fs::remove(yer, ec);
    return Metin::kirp(r.cikti);
}

int bagla(const Argumanlar& a) {
    if (a.size() < 2) return hata("Usage: diskutil mount <disk>");
    auto ay = Platform::aygit(a.back());
    if (!ay) return hata("Unable to find disk for " + a.back());
    int baglanan = 0;
    std::string son;
    for (const auto& b : birimleri(*ay)) {
        if (b.tur.empty() || b.tur == "swap" || !baglamalari(b.dugum).empty()) continue;
        if (auto h = tekBagla(b)) son = *h;
        else ++baglanan;
    }
    if (baglanan == 0) return hata("Volume on " + ay->ad + " failed to mount" + (son.empty() ? "" : ": " + son));
    std::cout << "Volume(s) on " << ay->ad << " mounted\n";
    return 0;
}

int cikar(const Argumanlar& a) {
    if (a.size() < 2) return hata("Usage: diskutil eject <disk>");
    auto ay = Platform::aygit(a.back());
    if (!ay) return hata("Unable to find disk for " + a.back());
    auto disk = Platform::aygit(ay->butunDisk);
    if (!disk) return hata("Unable to find disk for " + a.back());
    for (const auto& b : birimleri(*disk)) {
        for (const auto& m : baglamalari(b.dugum)) {
            KomutSonucu r = udisksVar() ? komut(kUdisksctl, {"unmount", "--no-user-interaction", "-b", b.dugum})
                                  : komut(kUmount, {m.yol});
            if (r.kod != 0) return hata("Unmount of " + disk->ad + " failed: " + Metin::kirp(r.cikti));
            std::error_code ec;
            if (m.yol.starts_with("/media/")) fs::remove(m.yol, ec);  // only when empty
        }
    }
    // The disk goes away as when unplugged.
    KomutSonucu r{0, ""};
    if (fs::exists("/sys/block/" + disk->ad + "/loop")) r = komut(kLosetup, {"-d", disk->dugum});
    else if (udisksVar()) r = komut(kUdisksctl, {"power-off", "--no-user-interaction", "-b", disk->dugum});
    if (r.kod != 0) return hata("Eject of " + disk->ad + " failed: " + Metin::kirp(r.cikti));
    std::cout << "Disk " << disk->ad << " ejected\n";
    return 0;
}

}  // namespace

std::string klasorAdi(const std::string& ad, const std::string& yedek) {
    std::string s = ad;
    for (char& c : s)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
    // Room for the " 12" that tells apart two volumes of the same name.
    if (s.size() > 240) {
        s.resize(240);
        // Never half a character: drop the last one when it was cut.
        size_t bas = s.size();
        while (bas > 0 && (static_cast<unsigned char>(s[bas - 1]) & 0xC0) == 0x80) --bas;
        if (bas > 0) {
            auto ilk = static_cast<unsigned char>(s[bas - 1]);
            size_t uzunluk = ilk >= 0xF0 ? 4 : ilk >= 0xE0 ? 3 : ilk >= 0xC0 ? 2 : 1;
            if (bas - 1 + uzunluk > s.size()) s.resize(bas - 1);
        }
    }
    if (s.empty() || s == "." || s == "..") return yedek;
    return s;
}

int diskutil(const Argumanlar& a) {
    std::string verb = a.empty() ? "" : a[0];
    if (verb == "info") return bilgi(a);
    if (verb == "list") return liste(a);
    if (verb == "mount" || verb == "mountDisk") return bagla(a);
    if (verb == "eject") return cikar(a);
    return hata("Usage: diskutil <verb>: info, list, mount, eject", 1);
}

}  // namespace Yardimci
