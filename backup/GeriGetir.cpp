// Bringing marked deleted files back to the computer before the copy, so
// the new copy holds them again. Nothing on the computer is ever overwritten.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>

#include "backup/Calisma.hpp"
#include "core/Araclar.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"

namespace fs = std::filesystem;

namespace Yedekleme {
namespace {

// A hidden name beside the target, so that the final step is a rename
// within one folder.
std::string geciciAd(const std::string& hedef) {
    static std::atomic<unsigned> sayac{0};
    fs::path p(hedef);
    return (p.parent_path() / ("." + p.filename().string() + ".brimvale-" + std::to_string(::getpid()) + "-" +
                               std::to_string(sayac++)))
        .string();
}

// Puts the copy in place only if nothing has appeared at the target since it
// was checked: the check and the move are one step.
bool yerlestir(const std::string& gecici, const std::string& hedef) {
    if (::renameat2(AT_FDCWD, gecici.c_str(), AT_FDCWD, hedef.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that rename: for a file, a hard link never
    // replaces anything either. A folder is then not brought back.
    struct stat st{};
    if (::lstat(gecici.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (::link(gecici.c_str(), hedef.c_str()) != 0) return false;
    ::unlink(gecici.c_str());
    return true;
}

}  // namespace

std::pair<int, int> geriGetir(const Ozet& ozet, const Karar& karar, const Ayarlar& ayarlar) {
    int getirilen = 0, atlanan = 0;
    if (!ozet.sonYedek) return {0, 0};
    std::string onceki = Yol::yedekler() + "/" + *ozet.sonYedek;
    for (const auto& s : ozet.silinen) {
        if (std::find(karar.sec.begin(), karar.sec.end(), s.i) == karar.sec.end()) continue;
        auto bolu = s.yol.find('/');
        if (bolu == std::string::npos) continue;
        auto kaynak = ayarlar.kaynakYolu(s.yol.substr(0, bolu));
        if (!kaynak) continue;
        auto hedef = guvenliYol(*kaynak, s.yol.substr(bolu + 1));
        auto yedek = guvenliYol(onceki, s.yol);
        if (!hedef || !yedek || *hedef == *kaynak) continue;
        struct stat st{};
        if (::lstat(hedef->c_str(), &st) == 0) {
            ++atlanan;
            continue;
        }
        std::error_code ec;
        fs::create_directories(fs::path(*hedef).parent_path(), ec);
        std::string gecici = geciciAd(*hedef);
        if (!Kopyalayici::kopyala(*yedek, gecici) && yerlestir(gecici, *hedef)) {
            ++getirilen;
            continue;
        }
        fs::remove_all(gecici, ec);
        ++atlanan;
    }
    return {getirilen, atlanan};
}

}  // namespace Yedekleme
