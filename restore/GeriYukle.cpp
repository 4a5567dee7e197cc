// Restoring in place with the current item kept aside, saving elsewhere, and
// the records that let a restore be undone or its kept item thrown away.
#include "restore/GeriYukle.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "core/Araclar.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Json.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"

namespace fs = std::filesystem;

namespace {

const auto kSurumAlanlari = std::tuple{Json::alan("kopya", &Surum::kopya), Json::alan("sonKopya", &Surum::sonKopya),
                                       Json::alan("boy", &Surum::boy), Json::alan("zaman", &Surum::zaman),
                                       Json::alan("klasor", &Surum::klasor)};
const auto kKayitAlanlari =
    std::tuple{Json::alan("id", &GeriYukleme::id),     Json::alan("zaman", &GeriYukleme::zaman),
               Json::alan("rel", &GeriYukleme::rel),   Json::alan("kopya", &GeriYukleme::kopya),
               Json::alan("hedef", &GeriYukleme::hedef), Json::alan("damgali", &GeriYukleme::damgali),
               Json::alan("durum", &GeriYukleme::durum)};

}  // namespace

void to_json(nlohmann::json& j, const Surum& s) { Json::yaz(j, s, kSurumAlanlari); }
void from_json(const nlohmann::json& j, Surum& s) { Json::oku(j, s, kSurumAlanlari); }
void to_json(nlohmann::json& j, const GeriYukleme& g) { Json::yaz(j, g, kKayitAlanlari); }
void from_json(const nlohmann::json& j, GeriYukleme& g) { Json::oku(j, g, kKayitAlanlari); }

namespace GeriYukle {
namespace {

std::string hataMetni(Hata::Tur tur, const std::string& ek) {
    switch (tur) {
        case Hata::Tur::rafta: return Yerel::bicim("Could not move the current item aside: %@", {ek});
        case Hata::Tur::kopyalama: return Yerel::bicim("Copy failed: %@", {ek});
        case Hata::Tur::yol: return Yerel::metin("This item cannot be restored (invalid path).");
        case Hata::Tur::yok: return Yerel::metin("This version is not in the backup.");
    }
    return {};
}

bool var(const std::string& yol) {
    struct stat st{};
    return ::lstat(yol.c_str(), &st) == 0;
}

bool gercekKlasor(const std::string& yol) {
    struct stat st{};
    return ::lstat(yol.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string sonParca(const std::string& yol) { return fs::path(yol).filename().string(); }

// Renames within one folder, never over an item that is there.
void tasi(const std::string& kaynak, const std::string& hedef) {
    if (::renameat2(AT_FDCWD, kaynak.c_str(), AT_FDCWD, hedef.c_str(), RENAME_NOREPLACE) == 0) return;
    int e = errno;
    if (e == EINVAL || e == ENOSYS) {  // a file system without the no-replace rename
        if (var(hedef)) throw std::system_error(EEXIST, std::generic_category(), hedef);
        if (::rename(kaynak.c_str(), hedef.c_str()) == 0) return;
        e = errno;
    }
    throw std::system_error(e, std::generic_category(), kaynak);
}

// A random (version 4) UUID in its 36-character form.
std::string yeniId() {
    std::random_device rd;
    unsigned char b[16];
    for (auto& x : b) x = static_cast<unsigned char>(rd());
    b[6] = (b[6] & 0x0F) | 0x40;
    b[8] = (b[8] & 0x3F) | 0x80;
    char s[37];
    std::snprintf(s, sizeof s, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0], b[1], b[2],
                  b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return s;
}

std::vector<GeriYukleme>::iterator bul(std::vector<GeriYukleme>& liste, const std::string& id) {
    return std::find_if(liste.begin(), liste.end(), [&](const GeriYukleme& g) { return g.id == id; });
}

}  // namespace

Hata::Hata(Tur tur_, std::string ek_)
    : BrimvaleHatasi(static_cast<int>(tur_) + 1, hataMetni(tur_, ek_)), tur(tur_), ek(std::move(ek_)) {}

void ditto(const std::string& kaynak, const std::string& hedef) {
    if (auto hata = Kopyalayici::kopyala(kaynak, hedef)) throw Hata(Hata::Tur::kopyalama, *hata);
}

void sonradanEklenenler(const std::string& eski, const std::string& yeni) {
    std::vector<std::string> adlar;
    for (const auto& g : fs::directory_iterator(eski)) adlar.push_back(g.path().filename().string());
    for (const auto& ad : adlar) {
        std::string e = eski + "/" + ad, y = yeni + "/" + ad;
        if (!var(y))
            ditto(e, y);
        else if (gercekKlasor(e) && gercekKlasor(y))
            sonradanEklenenler(e, y);
        // Otherwise the restored version wins.
    }
}

std::string damgaliAd(const std::string& yol, bool klasor, Saat::Zaman zaman) {
    fs::path p(yol);
    std::string ad = p.filename().string(), dir = p.parent_path().string();
    std::string kok = ad, uzanti;
    size_t nokta = ad.rfind('.');
    if (!klasor && nokta != std::string::npos && nokta != 0) {
        kok = ad.substr(0, nokta);
        uzanti = ad.substr(nokta);
    }
    // "yyyy-MM-dd_HHmmss" in local time, the one formatter of local names.
    std::string an = Kopyalar::yeniAd(zaman);
    std::string dakika = an.substr(0, 10) + " " + an.substr(11, 2) + "." + an.substr(13, 2);
    std::string saniye = dakika + "." + an.substr(15, 2);
    std::string bas = dir + "/" + kok + " (" + Yerel::metin("replaced") + " ";
    for (const auto& zamanMetni : {dakika, saniye})
        if (std::string aday = bas + zamanMetni + ")" + uzanti; !var(aday)) return aday;
    // Existence here never follows a link: a dangling link is an item too,
    // and the move aside must not land on it.
    for (int sayac = 2;; ++sayac)
        if (std::string aday = bas + saniye + " " + std::to_string(sayac) + ")" + uzanti; !var(aday)) return aday;
}

GeriYukleme yerineKoy(const std::string& kopya, const std::string& rel, const Ayarlar& ayarlar) {
    auto hedef = macYolu(rel, ayarlar);
    if (!hedef) throw Hata(Hata::Tur::yol);
    auto kaynak = kopyaYolu(kopya, rel);
    if (!kaynak) throw Hata(Hata::Tur::yol);
    struct stat kst{};
    if (::lstat(kaynak->c_str(), &kst) != 0) throw Hata(Hata::Tur::yok);
    bool kaynakKlasor = S_ISDIR(kst.st_mode);

    std::optional<std::string> damgali;
    if (struct stat hst{}; ::lstat(hedef->c_str(), &hst) == 0) {
        damgali = damgaliAd(*hedef, S_ISDIR(hst.st_mode), Saat::simdi());
        try {
            tasi(*hedef, *damgali);
        } catch (const std::system_error& e) {
            throw Hata(Hata::Tur::rafta, std::strerror(e.code().value()));
        }
    }
    try {
        fs::create_directories(fs::path(*hedef).parent_path());
        ditto(*kaynak, *hedef);
        if (kaynakKlasor && damgali && gercekKlasor(*damgali)) sonradanEklenenler(*damgali, *hedef);
    } catch (...) {
        // What the copy left at the target must not pass for a restore: it
        // goes to the Trash, and the kept item comes back.
        if (var(*hedef)) {
            try {
                copeTasi(*hedef);
            } catch (const std::exception&) {
            }
        }
        if (damgali) tasi(*damgali, *hedef);
        throw;
    }

    GeriYukleme kayit{yeniId(), static_cast<double>(Saat::unix()), rel, kopya, *hedef, damgali, "duruyor"};
    auto liste = kayitlar();
    liste.push_back(kayit);
    kaydet(liste);
    std::string satir = Yerel::bicim("Restored %@ from %@", {rel, kopya});
    if (damgali) satir += " → " + sonParca(*damgali);
    Gunluk::yaz(satir);
    return kayit;
}

std::string farkliKaydet(const std::string& kopya, const std::string& rel, const std::string& klasor) {
    auto kaynak = kopyaYolu(kopya, rel);
    if (!kaynak) throw Hata(Hata::Tur::yol);
    if (!var(*kaynak)) throw Hata(Hata::Tur::yok);
    std::string ad = sonParca(*kaynak);
    std::string hedef = klasor + "/" + ad;
    if (var(hedef)) {
        std::string tarih = kopya;
        std::replace(tarih.begin(), tarih.end(), '_', ' ');
        size_t nokta = ad.rfind('.');
        bool uzantili = nokta != std::string::npos && nokta != 0 && nokta + 1 < ad.size();
        std::string kok = klasor + "/" + (uzantili ? ad.substr(0, nokta) : ad) + " (" + tarih;
        std::string uzanti = ")" + (uzantili ? ad.substr(nokta) : "");
        // The copier would merge into or overwrite an item under the dated
        // name: a counter keeps what is there.
        hedef = kok + uzanti;
        for (int sayac = 2; var(hedef); ++sayac) hedef = kok + " " + std::to_string(sayac) + uzanti;
    }
    ditto(*kaynak, hedef);
    return hedef;
}

std::vector<GeriYukleme> kayitlar() {
    return jsonOku<std::vector<GeriYukleme>>(Yol::geriYuklemeler()).value_or(std::vector<GeriYukleme>{});
}

void kaydet(const std::vector<GeriYukleme>& liste) { jsonYaz(liste, Yol::geriYuklemeler()); }

void degistir(const std::string& id, const std::string& durum) {
    auto liste = kayitlar();
    auto it = bul(liste, id);
    if (it == liste.end()) return;
    it->durum = durum;
    kaydet(liste);
}

void geriAl(const std::string& id) {
    auto liste = kayitlar();
    auto it = bul(liste, id);
    if (it == liste.end() || it->durum != "duruyor") throw Hata(Hata::Tur::yol);
    GeriYukleme kayit = *it;
    if (kayit.damgali && !var(*kayit.damgali)) throw Hata(Hata::Tur::yok);
    if (var(kayit.hedef)) copeTasi(kayit.hedef);
    if (kayit.damgali) tasi(*kayit.damgali, kayit.hedef);
    degistir(id, "geri-alindi");
    Gunluk::yaz(Yerel::bicim("Undid restore of %@", {kayit.rel}));
}

void copeAt(const std::string& id) {
    auto liste = kayitlar();
    auto it = bul(liste, id);
    if (it == liste.end() || it->durum != "duruyor" || !it->damgali) throw Hata(Hata::Tur::yol);
    std::string damgali = *it->damgali;
    if (var(damgali)) copeTasi(damgali);
    degistir(id, "cope-atildi");
    Gunluk::yaz(Yerel::bicim("Moved to Trash: %@", {sonParca(damgali)}));
}

}  // namespace GeriYukle
