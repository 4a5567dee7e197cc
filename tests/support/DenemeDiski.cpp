#include "tests/support/DenemeDiski.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "core/Komut.hpp"
#include "platform/Platform.hpp"
#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "tests/support/TestOrtami.hpp"

namespace fs = std::filesystem;

namespace {

std::string calistir(const std::string& program, const std::vector<std::string>& args,
                     const std::optional<std::string>& girdi = std::nullopt) {
    KomutSonucu s = komut(program, args, girdi);
    if (s.kod != 0) throw std::runtime_error(program + " failed (" + std::to_string(s.kod) + "): " + s.cikti);
    return Metin::kirp(s.cikti);
}

// The first of `programlar` that cannot be run here, as a reason; "" when none.
std::string eksikProgram(std::initializer_list<const char*> programlar) {
    for (const char* p : programlar)
        if (::access(p, X_OK) != 0) return std::string(p) + " is missing";
    return {};
}

// The device file's time, part of the connection identity.
time_t aygitZamani(const std::string& aygit) {
    struct stat st{};
    return ::stat(aygit.c_str(), &st) == 0 ? st.st_mtim.tv_sec : 0;
}

}  // namespace

bool kosulBekle(const std::function<bool()>& kosul, double saniye) {
    auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(saniye);
    while (!kosul()) {
        if (std::chrono::steady_clock::now() > son) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool yasiyor(pid_t pid) {
    auto stat = baytlariOku("/proc/" + std::to_string(pid) + "/stat");
    auto p = stat ? stat->rfind(')') : std::string::npos;
    return p != std::string::npos && p + 2 < stat->size() && (*stat)[p + 2] != 'Z';
}

std::string DenemeDiski::eksik() {
    if (::geteuid() != 0) return "needs root to attach loop devices and mount";
    if (!fs::exists("/dev/loop-control")) return "no loop devices (/dev/loop-control missing)";
    return eksikProgram({"/usr/sbin/losetup", "/usr/sbin/sfdisk", "/usr/sbin/mkfs.ext4", "/usr/bin/partx"});
}

std::string DenemeDiski::imajEksik() {
    if (auto e = eksik(); !e.empty()) return e;
    if (::access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is not usable";
    return eksikProgram({"/usr/bin/gocryptfs", "/usr/bin/fusermount3"});
}

void DenemeDiski::yardimcilariKur() {
    fs::path yardimcilar = fs::path(TestOrtami::calistirilabilir()).parent_path().parent_path() / "Helpers";
    for (const char* ad : {"hdiutil", "diskutil", "security", "ditto", "osascript", "open"}) {
        fs::path baglanti = fs::path(TestOrtami::araclar()) / ad;
        std::error_code ec;
        fs::remove(baglanti, ec);
        fs::create_symlink(yardimcilar / ad, baglanti);
    }
}

DenemeDiski::DenemeDiski(const std::string& etiket, int megabayt) : etiket(etiket) {
    dosya_ = TestOrtami::kok() + "/disk-" + etiket + ".img";
    yol = TestOrtami::kok() + "/harici/" + etiket;
    try {
        fs::create_directories(yol);
        TestOrtami::dosyaYaz(dosya_, "");
        fs::resize_file(dosya_, static_cast<uintmax_t>(megabayt) << 20);
        calistir("/usr/sbin/sfdisk", {"-q", dosya_}, std::string("label: dos\n,,L\n"));
        tak();
        calistir("/usr/sbin/mkfs.ext4", {"-q", "-F", "-L", etiket, bolum});
        bagla();
        uuid = Platform::aygit(bolum).value_or(Platform::Aygit{}).uuid;
        if (uuid.empty()) throw std::runtime_error("no UUID read from " + bolum);
    } catch (...) {
        temizle();
        throw;
    }
}

DenemeDiski::~DenemeDiski() { temizle(); }

void DenemeDiski::temizle(bool dosyaDa) {
    auto baglamalar = Platform::baglamalar();
    std::reverse(baglamalar.begin(), baglamalar.end());  // newest first
    // Images attached from the disk first, then the disk's own mounts.
    for (const auto& b : baglamalar)
        if (b.tur.starts_with("fuse") && (b.kaynak.starts_with(yol + "/") || b.yol.starts_with(yol + "/")))
            komut("/usr/bin/fusermount3", {"-u", "-z", b.yol});
    std::error_code ec;
    for (const auto& b : baglamalar)
        if (!bolum.empty() && b.kaynak == bolum) {
            komut("/usr/bin/umount", {"-l", b.yol});
            if (b.yol.starts_with("/media/")) fs::remove(b.yol, ec);
        }
    // Ejecting may have detached it already, and the number may be another's now.
    std::string arka = "/sys/block/" + fs::path(dongu).filename().string() + "/loop/backing_file";
    if (!dongu.empty() && Metin::kirp(oku(arka).value_or("")) == dosya_) komut("/usr/sbin/losetup", {"-d", dongu});
    if (dosyaDa) fs::remove(dosya_, ec);
}

void DenemeDiski::tak() {
    dongu = calistir("/usr/sbin/losetup", {"-f", "--show", "-P", dosya_});
    bolum = dongu + "p1";
    // Without udev the partition may only appear once partx adds it.
    if (!fs::exists(bolum)) komut("/usr/bin/partx", {"-a", dongu});
    kosulBekle([&] { return fs::exists(bolum); }, 5);
}

void DenemeDiski::yenidenTak() {
    if (!cekildi_) {
        zaman_ = aygitZamani(bolum);
        temizle(false);
    }
    cekildi_ = false;
    // The device's time is the connection identity, in whole seconds: the new one must differ.
    kosulBekle([&] { return std::time(nullptr) > zaman_; }, 3);
    tak();
    bagla();
}

void DenemeDiski::cek() {
    // What was written before is on the disk; lost writes are not what this is about.
    ::sync();
    Fd fd(::open(yol.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // ext4's shutdown: every later access fails and nothing more reaches the device.
    constexpr unsigned long kKapat = 0x8004587D;  // EXT4_IOC_SHUTDOWN
    uint32_t bayrak = 2;                          // EXT4_GOING_FLAGS_NOLOGFLUSH
    if (!fd || ::ioctl(fd.get(), kKapat, &bayrak) != 0) throw std::runtime_error("ext4 shutdown failed on " + yol);
    fd.sifirla();
    calistir("/usr/bin/umount", {"-l", yol});
    zaman_ = aygitZamani(bolum);
    // Still held by what stayed behind, the device goes once that lets go.
    calistir("/usr/sbin/losetup", {"-d", dongu});
    cekildi_ = true;
}

void DenemeDiski::ayir() { calistir("/usr/bin/umount", {yol}); }

void DenemeDiski::bagla() { calistir("/usr/bin/mount", {bolum, yol}); }
