// Finding the backup disk, its connection state, remount, eject and sizes.
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "core/Komut.hpp"
#include "temel/Metin.hpp"
#include "core/Plist.hpp"
#include "core/Saat.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "disk/Disk.hpp"
#include "platform/Platform.hpp"

namespace {

const char* kDiskutil = "/usr/sbin/diskutil";

std::string buyuk(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::optional<std::string> dolu(std::optional<std::string> s) {
    if (s && s->empty()) return std::nullopt;
    return s;
}

struct Istatistik {
    double blok = 0, toplam = 0, bos = 0, kullaniciyaBos = 0;
};

std::optional<Istatistik> istatistik(const std::string& yol) {
    struct statvfs st{};
    if (::statvfs(yol.c_str(), &st) != 0) return std::nullopt;
    return Istatistik{static_cast<double>(st.f_frsize), static_cast<double>(st.f_blocks),
                      static_cast<double>(st.f_bfree), static_cast<double>(st.f_bavail)};
}

}  // namespace

namespace Disk {

std::string DiskBaglantisi::yazi() const {
    switch (tur) {
        case bagli: return "bagli(\"" + metin + "\")";
        case cikarilmis: return "cikarilmis(\"" + metin + "\")";
        case kabloVar: return "kabloVar";
        case yok: break;
    }
    return "yok";
}

std::optional<std::string> birim(const std::optional<std::string>& uuid) {
    if (!uuid || uuid->empty()) return std::nullopt;
    std::string aranan = buyuk(*uuid);
    for (const auto& b : Platform::bagliBirimler()) {
        if (b.gizli || !b.aygit || b.aygit->uuid.empty()) continue;
        if (buyuk(b.aygit->uuid) == aranan) return b.baglama.yol;
    }
    return std::nullopt;
}

nlohmann::json bilgi(const std::string& yol) {
    KomutSonucu s = komut(kDiskutil, {"info", "-plist", yol});
    if (s.kod != 0) return nlohmann::json::object();
    auto p = Plist::coz(s.cikti);
    return p && p->is_object() ? *p : nlohmann::json::object();
}

std::optional<std::string> birimUUID(const std::string& yol) { return Plist::metin(bilgi(yol), "VolumeUUID"); }

std::optional<UsbBilgisi> usbBsd(const std::string& bsd) {
    auto u = Platform::usbUstu(bsd);
    if (!u) return std::nullopt;
    return UsbBilgisi{u->seri, bsd, u->hiz};
}

std::optional<UsbBilgisi> usbSeri(const std::string& seri) {
    auto u = Platform::usbSeri(seri);
    if (!u) return std::nullopt;
    return UsbBilgisi{seri, std::nullopt, u->hiz};
}

BaglantiRaporu baglanti(const Ayarlar& ayarlar) {
    auto usbIle = [](DiskBaglantisi d, const std::string& aygit) {
        BaglantiRaporu r{d, std::nullopt, std::nullopt};
        if (auto u = aygit.empty() ? std::nullopt : usbBsd(aygit)) {
            r.hiz = u->hiz;
            r.seri = u->seri;
        }
        return r;
    };
    if (auto yol = birim(ayarlar.diskUUID)) {
        auto aygit = Plist::metin(bilgi(*yol), "ParentWholeDisk").value_or("");
        return usbIle({DiskBaglantisi::bagli, *yol}, aygit);
    }
    if (ayarlar.diskUUID && !ayarlar.diskUUID->empty()) {
        std::string aranan = buyuk(*ayarlar.diskUUID);
        KomutSonucu s = komut(kDiskutil, {"list", "-plist"});
        auto liste = s.kod == 0 ? Plist::coz(s.cikti) : std::nullopt;
        for (const auto& disk : Plist::dizi(liste.value_or(nlohmann::json::object()), "AllDisksAndPartitions")) {
            for (const auto& bolum : Plist::dizi(disk, "Partitions")) {
                auto uuid = Plist::metin(bolum, "VolumeUUID");
                auto aygit = Plist::metin(disk, "DeviceIdentifier");
                if (uuid && aygit && buyuk(*uuid) == aranan) return usbIle({DiskBaglantisi::cikarilmis, *aygit}, *aygit);
            }
        }
    }
    if (ayarlar.diskSeri && !ayarlar.diskSeri->empty())
        if (auto u = usbSeri(*ayarlar.diskSeri)) return {{DiskBaglantisi::kabloVar, ""}, u->hiz, ayarlar.diskSeri};
    return {};
}

std::string hizMetni(double hiz) {
    if (hiz >= 1e9) return std::to_string(static_cast<long long>(hiz / 1e9)) + " Gb/s";
    return std::to_string(static_cast<long long>(hiz / 1e6)) + " Mb/s";
}

std::optional<std::string> yavasUyarisi(const std::optional<double>& hiz) {
    if (!hiz || *hiz > 480e6) return std::nullopt;
    return Yerel::bicim("Slow connection (%@): USB 2 cable or port; backups take much longer.", {hizMetni(*hiz)});
}

bool yenidenBagla(const std::string& aygit) { return komut(kDiskutil, {"mount", aygit}).kod == 0; }

bool cikar(const std::string& yol) {
    auto disk = dolu(Plist::metin(bilgi(yol), "ParentWholeDisk"));
    if (!disk) return false;
    ::sync();
    for (int deneme = 1; deneme <= 3; ++deneme) {
        if (komut(kDiskutil, {"eject", *disk}).kod == 0) return true;
        if (deneme < 3) Saat::bekle(5);
    }
    return false;
}

std::optional<std::string> takilis(const std::string& yol) {
    auto b = bilgi(yol);
    auto dugum = dolu(Plist::metin(b, "DeviceNode"));
    if (!dugum) return std::nullopt;
    auto zaman = Platform::dugumZamani(*dugum);
    if (!zaman) return std::nullopt;
    return Plist::metin(b, "VolumeUUID").value_or("") + " " + std::to_string(*zaman);
}

double bosYer(const std::string& yol) {
    auto i = istatistik(yol);
    return i ? i->blok * i->kullaniciyaBos : 0;
}

double toplamYer(const std::string& yol) {
    auto i = istatistik(yol);
    return i ? i->blok * i->toplam : 0;
}

double doluYer(const std::string& yol) {
    auto i = istatistik(yol);
    return i ? i->blok * (i->toplam - i->bos) : 0;
}

std::optional<double> bosDosyaYeri(const std::string& yol) {
    struct statvfs st{};
    if (::statvfs(yol.c_str(), &st) != 0 || st.f_files == 0) return std::nullopt;
    return static_cast<double>(st.f_favail);
}

}  // namespace Disk
