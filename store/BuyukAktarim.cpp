// Finding the large files of a run and transferring them.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <filesystem>

#include "core/RsyncSatiri.hpp"
#include "core/Sha256.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "temel/Metin.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "store/BuyukDosyalar.hpp"

void to_json(nlohmann::json& j, const BuyukKayit& k) {
    j = {{"boyut", k.boyut}, {"mtime", k.mtime}, {"sha256", k.sha256}};
}

void from_json(const nlohmann::json& j, BuyukKayit& k) {
    k.boyut = j.at("boyut").get<double>();
    k.mtime = j.at("mtime").get<double>();
    k.sha256 = j.at("sha256").get<std::string>();
}

namespace BuyukDosyalar {
namespace {

void katalogYaz(const std::map<std::string, BuyukKayit>& katalog) { yazDene(katalogYolu(), jsonMetni(katalog)); }

// Only opening or reading the status of the source concerns the computer;
// every other step writes to, or reads from, the backup. The system's words
// follow the last ": ", as they never hold one.
void hataKoy(Aktarim& sonuc, const Aday& a, const std::string& metin) {
    sonuc.hata = a.rel + ": " + metin;
    sonuc.hataAdi = a.rel;
    std::string kaynakOnu;
    for (const char* islem : {"open ", "stat "})
        if (metin.starts_with(islem + a.kaynak + ": ")) kaynakOnu = islem + a.kaynak + ": ";
    sonuc.kaynakta = !kaynakOnu.empty();
    size_t son = metin.rfind(": ");
    sonuc.hataNedeni = sonuc.kaynakta ? metin.substr(kaynakOnu.size())
                       : son == std::string::npos ? metin
                                                  : metin.substr(son + 2);
}

// Same size and same whole second of modification.
bool esit(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec;
}

}  // namespace

std::map<std::string, BuyukKayit> katalog() {
    return jsonOku<std::map<std::string, BuyukKayit>>(katalogYolu()).value_or(std::map<std::string, BuyukKayit>{});
}

std::vector<Aday> adaylar(const Ayarlar& ayarlar, const std::optional<std::string>& son) {
    std::vector<Aday> sonuc;
    double sinir = esik();
    auto kaynaklar = ayarlar.kaynakAdlari();
    for (size_t i = 0; i < kaynaklar.size(); ++i) {
        const auto& [ad, yol] = kaynaklar[i];
        // Names are bytes: a listing that is not UTF-8 still counts.
        auto metin = baytlariOku(Yol::isKlasoru() + "/prova-" + std::to_string(i) + ".txt");
        if (!metin) continue;
        for (const auto& satir : Metin::bol(*metin, '\n', true)) {
            auto s = Rsync::satirCoz(satir);
            if (!s || !s->kod.starts_with(">f")) continue;
            auto kaynak = guvenliYol(yol, s->yol);
            auto hedef = guvenliYol(Yol::devam() + "/" + ad, s->yol);
            if (!kaynak || !hedef) continue;
            struct stat st{};
            if (::lstat(kaynak->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            double boyut = static_cast<double>(st.st_size);
            if (boyut < sinir) continue;
            std::optional<std::string> onceki;
            if (son) {
                auto p = guvenliYol(Yol::yedekler() + "/" + *son + "/" + ad, s->yol);
                struct stat ost{};
                // Only a regular file can be linked to or compared with.
                if (p && ::lstat(p->c_str(), &ost) == 0 && S_ISREG(ost.st_mode)) onceki = p;
            }
            const std::string& k = s->kod;
            bool yalnizTarih = onceki && k.size() >= 5 && k[2] != '+' && k[3] == '.' && k[4] == 't';
            sonuc.push_back({ad + "/" + s->yol, *kaynak, *hedef, onceki, yalnizTarih, boyut});
        }
    }
    return sonuc;
}

void bayatlariTemizle(const std::vector<Aday>& adaylar) {
    for (const auto& a : adaylar) {
        ::unlink(geciciAd(a.hedef).c_str());
        struct stat h{}, k{};
        if (::lstat(a.hedef.c_str(), &h) != 0) continue;
        if (::stat(a.kaynak.c_str(), &k) == 0 && esit(h, k)) continue;  // finished by an interrupted run
        std::error_code ec;
        std::filesystem::remove(a.hedef, ec);
        Gunluk::yaz("Large file: unfinished copy removed: " + a.rel);
    }
}

Aktarim aktar(const std::vector<Aday>& adaylar, const Durdu& durdu) {
    auto kat = katalog();
    Aktarim sonuc;
    for (const auto& a : adaylar) {
        if (durdu()) break;
        if (ayni(a.hedef, a.kaynak)) continue;
        try {
            klasorAc(std::filesystem::path(a.hedef).parent_path().string());
            struct stat st{};
            if (::stat(a.kaynak.c_str(), &st) != 0) throw hataYap("stat " + a.kaynak + ": " + std::strerror(errno));
            double mtime = zaman(st.st_mtim);
            if (a.onceki && a.yalnizTarih) {
                std::string yeni = Sha256::digest(a.kaynak, durdu);
                struct stat ost{};
                auto kayit = kat.find(a.rel);
                bool katalogGecerli = kayit != kat.end() && ::stat(a.onceki->c_str(), &ost) == 0 &&
                                      kayit->second.boyut == static_cast<double>(ost.st_size) &&
                                      kayit->second.mtime == zaman(ost.st_mtim);
                std::string eski = katalogGecerli ? kayit->second.sha256 : Sha256::digest(*a.onceki, durdu);
                if (durdu()) break;
                // A file at the file system's link limit takes no more links: it is copied instead.
                bool bagla = yeni == eski;
                if (bagla && ::link(a.onceki->c_str(), a.hedef.c_str()) != 0) {
                    if (errno != EMLINK) throw hataYap("link: " + std::string(std::strerror(errno)));
                    Gunluk::yaz("NOTE: large file at the link limit, copied instead: " + a.rel);
                    bagla = false;
                }
                if (bagla) {
                    if (::chmod(a.hedef.c_str(), st.st_mode & 07777) != 0)
                        throw hataYap("chmod: " + std::string(std::strerror(errno)));
                    zamaniKoy(a.hedef, st);
                    kat[a.rel] = {a.boyut, mtime, yeni};
                    ++sonuc.bagli;
                    Gunluk::yaz(Yerel::bicim("Large file had only a new date, content unchanged (linked): %@", {a.rel}));
                    katalogYaz(kat);
                    continue;
                }
            }
            // A file that reached its final name is whole: it is counted and
            // catalogued even when the stop comes right after it.
            auto sha = kopyala(a.kaynak, a.hedef, st, durdu);
            if (!sha) break;
            kat[a.rel] = {a.boyut, mtime, *sha};
            ++sonuc.kopyalanan;
            sonuc.bayt += a.boyut;
            katalogYaz(kat);
        } catch (const std::exception& e) {
            ::unlink(geciciAd(a.hedef).c_str());
            hataKoy(sonuc, a, e.what());
            break;
        }
    }
    katalogYaz(kat);
    return sonuc;
}

}  // namespace BuyukDosyalar
