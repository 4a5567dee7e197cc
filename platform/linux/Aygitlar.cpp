// Block devices from sysfs, file-system identity through libblkid (as blkid
// does, so it works without udev), and the USB device above a disk.
#include <blkid/blkid.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "platform/Platform.hpp"

namespace fs = std::filesystem;

namespace Platform {
namespace {

std::optional<std::string> alan(const fs::path& yol) {
    auto s = oku(yol.string());
    if (!s) return std::nullopt;
    std::string k = Metin::kirp(*s);
    return k.empty() ? std::nullopt : std::optional(k);
}

std::string buyuk(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// udev's "\x20" escapes in /dev/disk/by-label names.
std::string udevKacisCoz(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 2, "\\x") == 0 && i + 3 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The name of the udev link in `klasor` that points at `dugum`.
std::string udevBaglantisi(const std::string& klasor, const std::string& dugum) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(klasor, ec)) {
        std::error_code ec2;
        if (fs::canonical(e.path(), ec2).string() == dugum) return udevKacisCoz(e.path().filename().string());
    }
    return {};
}

void dosyaSistemi(Aygit& a) {
    blkid_probe pr = blkid_new_probe_from_filename(a.dugum.c_str());
    if (pr) {
        blkid_probe_enable_superblocks(pr, 1);
        blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_UUID | BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE);
        if (blkid_do_safeprobe(pr) == 0) {
            const char* v = nullptr;
            if (blkid_probe_lookup_value(pr, "UUID", &v, nullptr) == 0 && v) a.uuid = buyuk(v);
            if (blkid_probe_lookup_value(pr, "LABEL", &v, nullptr) == 0 && v) a.etiket = v;
            if (blkid_probe_lookup_value(pr, "TYPE", &v, nullptr) == 0 && v) a.tur = v;
        }
        blkid_free_probe(pr);
        return;
    }
    // Without the right to read the device, udev's links still tell.
    a.uuid = buyuk(udevBaglantisi("/dev/disk/by-uuid", a.dugum));
    a.etiket = udevBaglantisi("/dev/disk/by-label", a.dugum);
}

std::optional<Usb> usbAygiti(const fs::path& klasor) {
    auto hiz = alan(klasor / "speed");  // Mb/s
    if (!hiz || !fs::exists(klasor / "idVendor")) return std::nullopt;
    Usb u;
    u.seri = alan(klasor / "serial");
    if (auto mbit = Metin::ondalik(*hiz)) u.hiz = *mbit * 1e6;
    return u;
}

}  // namespace

std::optional<Aygit> aygit(const std::string& adVeyaYol) {
    std::string ad = adVeyaYol;
    if (adVeyaYol.find('/') != std::string::npos) {
        std::error_code ec;
        fs::path gercek = fs::canonical(adVeyaYol, ec);
        if (ec) return std::nullopt;
        ad = gercek.filename().string();
    }
    fs::path sinif = fs::path("/sys/class/block") / ad;
    std::error_code ec;
    fs::path sys = fs::canonical(sinif, ec);
    if (ec || ad.empty()) return std::nullopt;

    Aygit a;
    a.ad = ad;
    a.dugum = "/dev/" + ad;
    a.butunDisk = fs::exists(sys / "partition") ? sys.parent_path().filename().string() : ad;
    fs::path disk = fs::path("/sys/block") / a.butunDisk;
    std::string diskYolu = fs::canonical(disk, ec).string();
    bool usb = Metin::iceriyor(diskYolu, "/usb");
    bool tasinir = alan(disk / "removable") == "1" || Metin::iceriyor(diskYolu, "/mmc") ||
                   Metin::iceriyor(diskYolu, "/firewire") || Metin::iceriyor(diskYolu, "/ieee1394");
    bool dongu = fs::exists(disk / "loop");
    a.cikarilabilir = usb || tasinir;
    a.atilabilir = usb || tasinir || dongu;
    a.dahili = !a.atilabilir;
    if (auto s = alan(sys / "size"))
        if (auto sektor = Metin::ondalik(*s)) a.boyut = *sektor * 512;
    dosyaSistemi(a);
    return a;
}

std::vector<std::string> butunDiskler() {
    std::vector<std::string> liste;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/sys/block", ec)) {
        // Unused loop devices and RAM disks have no size.
        if (alan(e.path() / "size").value_or("0") == "0") continue;
        liste.push_back(e.path().filename().string());
    }
    std::sort(liste.begin(), liste.end());
    return liste;
}

std::vector<std::string> bolumler(const std::string& butunDisk) {
    std::vector<std::string> liste;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::path("/sys/block") / butunDisk, ec))
        if (fs::exists(e.path() / "partition")) liste.push_back(e.path().filename().string());
    std::sort(liste.begin(), liste.end());
    return liste;
}

std::optional<Usb> usbUstu(const std::string& aygitAdi, const std::string& sysfs) {
    std::error_code ec;
    fs::path sys = fs::canonical(fs::path(sysfs) / "class/block" / aygitAdi, ec);
    if (ec) return std::nullopt;
    fs::path kok = fs::canonical(sysfs, ec);
    for (fs::path p = sys; p != kok && p.has_relative_path() && p != p.parent_path(); p = p.parent_path())
        if (auto u = usbAygiti(p)) return u;
    return std::nullopt;
}

std::optional<Usb> usbSeri(const std::string& seri, const std::string& sysfs) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::path(sysfs) / "bus/usb/devices", ec)) {
        std::error_code ec2;
        fs::path gercek = fs::canonical(e.path(), ec2);
        if (ec2) continue;
        auto u = usbAygiti(gercek);
        if (u && u->seri == seri) return u;
    }
    return std::nullopt;
}

std::optional<long long> dugumZamani(const std::string& dugum) {
    struct stat st{};
    if (::stat(dugum.c_str(), &st) != 0) return std::nullopt;
    return static_cast<long long>(st.st_mtim.tv_sec);
}

}  // namespace Platform
