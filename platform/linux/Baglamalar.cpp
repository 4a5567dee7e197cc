// The mount table, read from /proc/self/mountinfo, and file-system statistics.
#include <sys/statvfs.h>

#include <filesystem>

#include "temel/Dosya.hpp"
#include "temel/Metin.hpp"
#include "platform/Platform.hpp"

namespace fs = std::filesystem;

namespace Platform {
namespace {

// mountinfo writes space, tab, newline and backslash as "\ooo".
std::string kacisCoz(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const std::string sekiz = s.substr(i + 1, 3);
            if (sekiz.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(sekiz, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// File systems that never hold a user's files.
bool sahteTur(const std::string& tur) {
    static const char* turler[] = {"proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "cgroup", "cgroup2", "securityfs",
                                   "debugfs", "tracefs", "pstore", "bpf", "mqueue", "hugetlbfs", "configfs",
                                   "fusectl", "autofs", "binfmt_misc", "efivarfs", "ramfs", "nsfs", "rpc_pipefs",
                                   "overlay", "squashfs", "fuse.gocryptfs", "fuse.portal", "fuse.gvfsd-fuse"};
    for (const char* t : turler)
        if (tur == t) return true;
    return false;
}

bool sistemYolu(const std::string& yol) {
    static const char* yollar[] = {"/boot", "/efi", "/proc", "/sys", "/dev", "/run", "/snap"};
    for (const char* y : yollar)
        if (yol == y || yol.starts_with(std::string(y) + "/")) return !yol.starts_with("/run/media/");
    return false;
}

}  // namespace

std::vector<Baglama> baglamalarOku(const std::string& mountinfo) {
    std::vector<Baglama> liste;
    for (const auto& satir : Metin::bol(mountinfo, '\n', true)) {
        // id parent maj:min root mountpoint options [optional...] - fstype source superoptions
        auto alanlar = Metin::bol(satir, ' ', true);
        size_t tire = 0;
        for (size_t i = 6; i < alanlar.size(); ++i)
            if (alanlar[i] == "-") {
                tire = i;
                break;
            }
        if (alanlar.size() < 6 || tire == 0 || tire + 2 >= alanlar.size()) continue;
        liste.push_back({alanlar[2], kacisCoz(alanlar[3]), kacisCoz(alanlar[4]), alanlar[tire + 1], kacisCoz(alanlar[tire + 2])});
    }
    return liste;
}

std::vector<Baglama> baglamalar() { return baglamalarOku(baytlariOku("/proc/self/mountinfo").value_or("")); }

std::optional<BaglamaDurumu> baglamaDurumu(const std::string& yol) {
    struct statvfs st{};
    if (::statvfs(yol.c_str(), &st) != 0) return std::nullopt;
    std::error_code ec;
    std::string gercek = fs::canonical(yol, ec).string();
    if (ec) return std::nullopt;
    // The mount point that is the longest prefix; a later line covers an earlier one.
    std::string en;
    for (const auto& b : baglamalar()) {
        bool icinde = gercek == b.yol || b.yol == "/" || gercek.starts_with(b.yol + "/");
        if (icinde && b.yol.size() >= en.size()) en = b.yol;
    }
    return BaglamaDurumu{en, (st.f_flag & ST_RDONLY) != 0};
}

std::vector<BagliBirim> bagliBirimler() {
    std::vector<BagliBirim> liste;
    for (const auto& b : baglamalar()) {
        BagliBirim birim;
        birim.baglama = b;
        bool aygitKaynak = b.kaynak.starts_with("/dev/");
        if (aygitKaynak) birim.aygit = aygit(b.kaynak);
        birim.gizli = sahteTur(b.tur) || !birim.aygit || b.kok != "/" || sistemYolu(b.yol);
        birim.kokDosyaSistemi = b.yol == "/";
        struct statvfs st{};
        if (::statvfs(b.yol.c_str(), &st) == 0) {
            birim.saltOkunur = (st.f_flag & ST_RDONLY) != 0;
            birim.kapasite = static_cast<double>(st.f_frsize) * static_cast<double>(st.f_blocks);
            birim.bos = static_cast<double>(st.f_frsize) * static_cast<double>(st.f_bavail);
        }
        liste.push_back(std::move(birim));
    }
    // A volume mounted twice is listed once, at its first mount point.
    std::vector<BagliBirim> tekil;
    for (auto& b : liste) {
        bool onceki = false;
        for (const auto& t : tekil)
            if (b.aygit && t.aygit && !b.gizli && !t.gizli && t.aygit->ad == b.aygit->ad) onceki = true;
        if (!onceki) tekil.push_back(std::move(b));
    }
    return tekil;
}

}  // namespace Platform
