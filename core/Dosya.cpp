#include "core/Dosya.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

#include "core/Json.hpp"
#include "core/Metin.hpp"
#include "platform/Platform.hpp"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void sistemHatasi(const std::string& yol) {
    throw std::system_error(errno, std::generic_category(), yol);
}

std::string rastgeleEk() {
    static std::atomic<unsigned> sayac{0};
    static thread_local std::mt19937_64 uretec{std::random_device{}()};
    return std::to_string(getpid()) + "-" + std::to_string(sayac++) + "-" + std::to_string(uretec() % 1000000007);
}

void tamYaz(int fd, const std::string& icerik, const std::string& yol) {
    const char* p = icerik.data();
    size_t kalan = icerik.size();
    while (kalan > 0) {
        ssize_t n = ::write(fd, p, kalan);
        if (n < 0) {
            if (errno == EINTR) continue;
            sistemHatasi(yol);
        }
        p += n;
        kalan -= static_cast<size_t>(n);
    }
}

}  // namespace

std::optional<std::string> baytlariOku(const std::string& yol, size_t sinir) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    int fd = ::open(yol.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        (st.st_size > 0 && static_cast<uint64_t>(st.st_size) > sinir)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string icerik;
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        // Files of /proc report no size, and a file may grow while read.
        if (icerik.size() + static_cast<size_t>(n) > sinir) {
            ::close(fd);
            return std::nullopt;
        }
        icerik.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return icerik;
}

std::optional<std::string> oku(const std::string& yol, size_t sinir) {
    auto baytlar = baytlariOku(yol, sinir);
    if (!baytlar || !Metin::utf8Gecerli(*baytlar)) return std::nullopt;
    return baytlar;
}

void atomikYaz(const std::string& yol, const std::string& icerik, const std::optional<std::string>& geciciAd) {
    fs::path hedef(yol);
    fs::path klasor = hedef.parent_path();
    if (!klasor.empty()) fs::create_directories(klasor);
    fs::path gecici = geciciAd ? fs::path(*geciciAd) : klasor / ("." + hedef.filename().string() + "." + rastgeleEk() + ".tmp");
    int bayraklar = O_WRONLY | O_CREAT | O_CLOEXEC | (geciciAd ? O_TRUNC : O_EXCL);
    int fd = ::open(gecici.c_str(), bayraklar, 0666);
    if (fd < 0) sistemHatasi(gecici.string());
    try {
        tamYaz(fd, icerik, gecici.string());
        if (::fsync(fd) != 0) sistemHatasi(gecici.string());
    } catch (...) {
        ::close(fd);
        ::unlink(gecici.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(gecici.c_str(), hedef.c_str()) != 0) {
        int e = errno;
        ::unlink(gecici.c_str());
        errno = e;
        sistemHatasi(yol);
    }
    // The rename itself must survive a power cut too.
    int dfd = ::open(klasor.empty() ? "." : klasor.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

void jsonYaz(const nlohmann::json& deger, const std::string& yol) {
    atomikYaz(yol, Metin::utf8Onar(Json::metin(deger, true)));
}

namespace {

// Resolves "." and ".." and drops duplicate separators, as a path
// standardiser does; ".." at the root stays at the root.
std::string standart(const std::string& yol) {
    bool mutlak = !yol.empty() && yol[0] == '/';
    std::vector<std::string> parcalar;
    for (auto& p : Metin::bol(yol, '/', true)) {
        if (p == ".") continue;
        if (p == "..") {
            if (!parcalar.empty() && parcalar.back() != "..") parcalar.pop_back();
            else if (!mutlak) parcalar.push_back(p);
            continue;
        }
        parcalar.push_back(p);
    }
    std::string sonuc = (mutlak ? "/" : "") + Metin::birlestir(parcalar, "/");
    return sonuc.empty() ? "." : sonuc;
}

}  // namespace

std::optional<std::string> guvenliYol(const std::string& kok, const std::string& rel) {
    if (!rel.empty() && rel[0] == '/') return std::nullopt;
    std::string birlesik = standart(kok + "/" + rel);
    std::string kokS = standart(kok);
    if (birlesik == kokS) return birlesik;
    std::string onek = kokS == "/" ? "/" : kokS + "/";
    if (Metin::basliyor(birlesik, onek)) return birlesik;
    return std::nullopt;
}

std::string bayt(double deger) {
    long long n = static_cast<long long>(deger);
    if (n == 0) return "Zero KB";
    long long mutlak = n < 0 ? -n : n;
    std::string isaret = n < 0 ? "-" : "";
    if (mutlak == 1) return isaret + "1 byte";
    if (mutlak < 1000) return isaret + std::to_string(mutlak) + " bytes";
    static const char* birimler[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    static const int basamaklar[] = {0, 1, 2, 2, 2, 2};
    int k = 0;
    double olcek = 1000.0;
    while (k < 5 && static_cast<double>(mutlak) >= olcek * 1000.0) {
        olcek *= 1000.0;
        ++k;
    }
    double v = static_cast<double>(mutlak) / olcek;
    double carpan = std::pow(10.0, basamaklar[k]);
    double yuvarlak = std::round(v * carpan) / carpan;
    if (yuvarlak >= 1000.0 && k < 5) {  // 999.96 MB reads as 1 GB
        ++k;
        carpan = std::pow(10.0, basamaklar[k]);
        yuvarlak = std::round(v / 1000.0 * carpan) / carpan;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", basamaklar[k], yuvarlak);
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return isaret + s + " " + birimler[k];
}

namespace {

// The first 8 characters of a random UUID text.
std::string uuidOnEki() {
    std::random_device rd;
    char on[9];
    std::snprintf(on, sizeof on, "%08X", static_cast<unsigned>(rd()));
    return on;
}

// Renames without ever replacing what is at `hedef`; false when something is.
bool ustuneYazmadanTasi(const fs::path& kaynak, const fs::path& hedef) {
    if (::renameat2(AT_FDCWD, kaynak.c_str(), AT_FDCWD, hedef.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) sistemHatasi(kaynak.string());
    // A file system without the no-replace rename.
    if (fs::exists(fs::symlink_status(hedef))) return false;
    if (::rename(kaynak.c_str(), hedef.c_str()) != 0) sistemHatasi(kaynak.string());
    return true;
}

}  // namespace

void copeTasi(const std::string& yol) {
    const char* cop = std::getenv("BRIMVALE_COP");
    if (!cop || !*cop) {
        Platform::copeTasi(yol);
        return;
    }
    fs::create_directories(cop);
    fs::path kaynak(yol);
    std::string ad = kaynak.filename().empty() ? kaynak.parent_path().filename().string() : kaynak.filename().string();
    struct stat st{};
    if (::lstat(yol.c_str(), &st) != 0) sistemHatasi(yol);
    // Another file system: a whole copy under a hidden name first, so the
    // folder never shows half an item.
    fs::path tasinan = kaynak;
    bool kopya = false;
    for (int deneme = 0; deneme < 100; ++deneme) {
        fs::path hedef = fs::path(cop) / (uuidOnEki() + "-" + ad);
        try {
            if (ustuneYazmadanTasi(tasinan, hedef)) {
                if (kopya) fs::remove_all(kaynak);
                return;
            }
        } catch (const std::system_error& e) {
            if (e.code().value() != EXDEV || kopya) throw;
            tasinan = fs::path(cop) / ("." + uuidOnEki() + "-" + ad + ".tmp");
            kopya = true;
            try {
                fs::copy(kaynak, tasinan, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
            } catch (...) {
                std::error_code ec;
                fs::remove_all(tasinan, ec);
                throw;
            }
        }
    }
    std::error_code ec;
    if (kopya) fs::remove_all(tasinan, ec);
    throw std::runtime_error(yol + ": no free name in " + cop);
}

bool isSymlink(const std::string& yol) {
    struct stat st{};
    return ::lstat(yol.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}
