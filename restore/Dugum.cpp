// The browsed tree of a copy and the name search in it.
#include "restore/Dugum.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "core/Icu.hpp"
#include "restore/GeriYukle.hpp"

namespace fs = std::filesystem;

namespace {

std::string sonParca(const std::string& id) {
    size_t i = id.rfind('/');
    return i == std::string::npos ? id : id.substr(i + 1);
}

}  // namespace

Dugum::Dugum(std::string id_, std::string kopya_, bool klasor_)
    : id(std::move(id_)), ad(sonParca(id)), klasor(klasor_), kopya(std::move(kopya_)) {}

const std::optional<DugumListesi>& Dugum::cocuklar() {
    std::call_once(okundu_, [this] {
        if (klasor) cocuklar_ = oku(kopya, id);
    });
    return cocuklar_;
}

DugumListesi Dugum::oku(const std::string& kopya, const std::string& rel) {
    auto klasor = rel.empty() ? GeriYukle::kopyaKoku(kopya) : GeriYukle::kopyaYolu(kopya, rel);
    if (!klasor) return {};
    // O_NOFOLLOW: a link to a folder is a leaf, never listed through.
    int fd = ::open(klasor->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return {};
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return {};
    }
    struct Girdi {
        std::string anahtar;
        std::shared_ptr<Dugum> dugum;
    };
    std::vector<Girdi> girdiler;
    while (dirent* g = ::readdir(d)) {
        std::string ad = g->d_name;
        if (ad == "." || ad == ".." || ad == ".DS_Store") continue;
        // The listing's own type where the file system gives one: a stat per
        // entry would cost more than the rest of the listing.
        bool alt = g->d_type == DT_DIR;
        if (g->d_type == DT_UNKNOWN) {
            struct stat st{};
            alt = ::fstatat(fd, g->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        girdiler.push_back({Icu::siralamaAnahtari(ad),
                            std::make_shared<Dugum>(rel.empty() ? ad : rel + "/" + ad, kopya, alt)});
    }
    ::closedir(d);
    std::sort(girdiler.begin(), girdiler.end(), [](const Girdi& a, const Girdi& b) {
        if (a.dugum->klasor != b.dugum->klasor) return a.dugum->klasor;
        // Names the collation calls equal keep a fixed order by their bytes.
        return a.anahtar != b.anahtar ? a.anahtar < b.anahtar : a.dugum->ad < b.dugum->ad;
    });
    DugumListesi sonuc;
    sonuc.reserve(girdiler.size());
    for (auto& g : girdiler) sonuc.push_back(std::move(g.dugum));
    return sonuc;
}

namespace Arama {

DugumListesi ara(const std::string& kopya, const std::string& metin, const std::function<bool()>& iptal) {
    DugumListesi sonuc;
    auto kok = GeriYukle::kopyaKoku(kopya);
    if (!kok) return sonuc;
    std::string aranan = Icu::katla(metin);
    std::error_code ec;
    // Links are entries like any other and never entered.
    fs::recursive_directory_iterator it(*kok, fs::directory_options::skip_permission_denied, ec), son;
    for (; !ec && it != son; it.increment(ec)) {
        if (sonuc.size() >= kEnCok || (iptal && iptal())) break;
        const fs::path& yol = it->path();
        if (Icu::katla(yol.filename().string()).find(aranan) == std::string::npos) continue;
        std::error_code ec2;
        bool klasor = it->is_directory(ec2) && !it->is_symlink(ec2);
        sonuc.push_back(std::make_shared<Dugum>(yol.lexically_relative(*kok).string(), kopya, klasor));
    }
    return sonuc;
}

}  // namespace Arama
