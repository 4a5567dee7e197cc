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

#include "core/Gunluk.hpp"
#include "core/Json.hpp"
#include "temel/Metin.hpp"
#include "platform/Platform.hpp"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void sistemHatasi(const std::string& yol) {
    throw std::system_error(errno, std::generic_category(), yol);
}

}  // namespace

std::string jsonMetni(const nlohmann::json& deger) { return Metin::utf8Onar(Json::metin(deger, true)); }

void jsonYaz(const nlohmann::json& deger, const std::string& yol) { atomikYaz(yol, jsonMetni(deger)); }

void yazDene(const std::string& yol, const std::string& icerik) {
    try {
        atomikYaz(yol, icerik);
    } catch (const std::exception& e) {
        Gunluk::yaz(std::string("ERROR: ") + e.what());
    }
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

