// Bringing marked deleted files back to the computer before the copy, so
// the new copy holds them again. Nothing on the computer is ever overwritten.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "backup/Calisma.hpp"
#include "core/Araclar.hpp"
#include "core/Dosya.hpp"
#include "core/Yol.hpp"

namespace fs = std::filesystem;

namespace Yedekleme {

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
        if (Kopyalayici::kopyala(*yedek, *hedef)) ++atlanan;
        else ++getirilen;
    }
    return {getirilen, atlanan};
}

}  // namespace Yedekleme
