#include "ui/Model.hpp"
#include "ui/Arkada.hpp"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QPointer>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "agent/Bildirim.hpp"
#include "agent/Izinler.hpp"
#include "agent/Kurulum.hpp"
#include "backup/Calisma.hpp"
#include "backup/Degisiklik.hpp"
#include "backup/Karar.hpp"
#include "core/Dosya.hpp"
#include "core/Gunluk.hpp"
#include "core/Icu.hpp"
#include "core/Komut.hpp"
#include "core/Tercihler.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"
#include "core/Yol.hpp"
#include "store/Kopyalar.hpp"

namespace fs = std::filesystem;

namespace {

bool yedekCalisiyor() { return Yedekleme::calisanPid().has_value(); }

}  // namespace

// The copies in the image; their statistics and the outside history only
// when the list changed. Reads the disk: never on the window's thread during
// a refresh.
struct KopyaOkumasi {
    std::vector<std::string> liste;
    std::optional<std::pair<std::vector<KopyaBilgisi>, std::vector<KopyaBilgisi>>> bilgilerVeGecmis;
};

// When the history outside the image was last written; a run that ends
// while the window is not looking leaves the copies' list as it was.
std::optional<fs::file_time_type> gecmisZamani() {
    std::error_code ec;
    auto z = fs::last_write_time(Kopyalar::gecmisYolu(), ec);
    return ec ? std::nullopt : std::optional(z);
}

KopyaOkumasi kopyalariOku(const std::vector<std::string>& onceki, bool imajAcik, bool gecmisDegisti) {
    KopyaOkumasi k{Kopyalar::liste(Yol::yedekler()), std::nullopt};
    if (k.liste != onceki || gecmisDegisti) {
        auto bilgiler = Kopyalar::bilgiler();
        if (imajAcik) Kopyalar::gecmisEsitle();
        k.bilgilerVeGecmis.emplace(std::move(bilgiler), Kopyalar::gecmis());
    }
    return k;
}

struct Model::Olcum {
    Anlik a;
    Disk::BaglantiRaporu rapor;
    std::optional<DiskDolulugu> disk;
    std::optional<bool> imajVar;
    std::optional<Birim> imajsizBirim;
    IzinDurumu izin;
    std::optional<YedekSonucu> sonuc;
    std::vector<GeriYukleme> kayitlar;
    std::optional<Ozet> ozet;
    // Read only when the image's state, the connection or the history changed.
    std::optional<KopyaOkumasi> kopyalar;
    std::optional<fs::file_time_type> gecmisZamani;
};

Model::Model(QObject* ust) : QObject(ust) {
    ayarlar = Ayarlar::yukle();
    yeniliklerAcik = Tercihler::oku("yeniliklerSurumu") != nlohmann::json(UygulamaBilgisi::surum());
    kayitlar = GeriYukle::kayitlar();
    gecmis = Kopyalar::gecmis();
    olcek = Kurallar::olcek(std::getenv("BRIMVALE_OLCEK"));
    sonuc = YedekSonucu::oku();
    bolum = Kurallar::bolum(std::getenv("BRIMVALE_BOLUM"));
    kuyruk_.setMaxThreadCount(1);
    kuyruk_.setObjectName("brimvale.olcum");
    yenile();
    connect(&zamanlayici_, &QTimer::timeout, this, &Model::yenile);
    zamanlayici_.start(1500);
}

Model::~Model() {
    zamanlayici_.stop();
    kuyruk_.waitForDone();
}

void Model::yenilikleriGordu() {
    yeniliklerAcik = false;
    try {
        Tercihler::yaz("yeniliklerSurumu", UygulamaBilgisi::surum());
    } catch (const std::exception& e) {
        Gunluk::yaz(std::string("WARNING: ") + e.what());
    }
}

std::string Model::sonYedekMetni() const {
    if (gecmis.empty()) return Yerel::metin("No backup yet");
    return Yerel::bicim("Last backup: %@",
                        {Icu::tarih(gecmis.back().tarih(), Icu::TarihBicimi::kisa, true).value_or("")});
}

bool Model::kurulu() const { return ayarlar.diskUUID && !ayarlar.kaynaklar.empty(); }

std::vector<Kurallar::IlkAdimDurumu> Model::ilkAdimlar() const {
    return Kurallar::ilkAdimlar({ayarlar.diskUUID.has_value(), imajVar, !ayarlar.kaynaklar.empty(),
                                 !gecmis.empty() || !kopyalar.empty()});
}

void Model::yenile() {
    ++sayac_;
    bool agir = sayac_ % 20 == 1 || !disk || sayac_ % 40 == 5;
    // A slow disk must not pile up measurements: one runs, one waits.
    if (sirada_ >= 2) return;
    ++sirada_;
    kuyruk_.start([this, ayar = ayarlar, agir, onceki = izin, oncekiImaj = a.imaj, oncekiBaglanti = baglanti,
                   oncekiGecmis = gecmisZamani_, oncekiImajsiz = imajsizBirim,
                   ilk = !ilkBakis_, oncekiKopyalar = kopyalar] {
        auto o = std::make_shared<Olcum>();
        o->a = Yedekleme::anlik(ayar);
        o->rapor = Disk::baglanti(ayar);
        o->gecmisZamani = gecmisZamani();
        bool gecmisDegisti = o->gecmisZamani != oncekiGecmis;
        if (ilk || gecmisDegisti || o->a.imaj != oncekiImaj || !(o->rapor.durum == oncekiBaglanti))
            o->kopyalar = kopyalariOku(oncekiKopyalar, o->a.imaj != Disk::Baglanti::yok, gecmisDegisti);
        if (agir && o->rapor.durum.tur == Disk::DiskBaglantisi::bagli) {
            const std::string& yol = o->rapor.durum.metin;
            o->disk = DiskDolulugu{Disk::toplamYer(yol), Disk::bosYer(yol), Disk::doluYer(yol + "/" + ayar.imajAdi)};
        }
        if (o->rapor.durum.tur == Disk::DiskBaglantisi::bagli) {
            std::error_code ec;
            o->imajVar = std::filesystem::exists(
                std::filesystem::symlink_status(o->rapor.durum.metin + "/" + ayar.imajAdi, ec));
            // Its name and space for the sheet that creates the image: every
            // disk is probed for them, so only on the heavy ticks once known.
            if (!*o->imajVar && !agir && oncekiImajsiz && oncekiImajsiz->yol == o->rapor.durum.metin)
                o->imajsizBirim = oncekiImajsiz;
            else if (!*o->imajVar)
                for (auto& b : Kurulum::disBirimler())
                    if (b.yol == o->rapor.durum.metin) o->imajsizBirim = std::move(b);
        }
        o->izin = onceki;
        o->izin.tamDisk = Izinler::tamDiskErisimi();
        o->izin.arkaPlan = Izinler::arkaPlan();
        // The notification service may take seconds to answer.
        if (agir) Izinler::bildirimDurumu([o](bool var) { o->izin.bildirim = var; });
        o->sonuc = YedekSonucu::oku();
        o->kayitlar = GeriYukle::kayitlar();
        if (o->a.asama == "soru") o->ozet = jsonOku<Ozet>(Yedekleme::ozetYolu());
        // The model waits for this queue before it goes, so `this` is alive.
        QMetaObject::invokeMethod(this, [this, o] { uygula(*o); }, Qt::QueuedConnection);
    });
}

void Model::uygula(const Olcum& o) {
    --sirada_;
    a = o.a;
    if (auto h = hiz_.ekle(a, Saat::simdi())) a.hiz = *h;
    if (o.disk) disk = o.disk;
    baglanti = o.rapor.durum;
    imajVar = o.imajVar;
    imajsizBirim = o.imajsizBirim;
    usbHiz = o.rapor.hiz;
    izin = o.izin;
    izinOlculdu = true;
    // Learnt once, so that the disk is later known by its cable alone.
    if (o.rapor.seri && o.rapor.seri != ayarlar.diskSeri) {
        ayarlar.diskSeri = o.rapor.seri;
        try {
            ayarlar.kaydet();
        } catch (const std::exception& e) {
            mesajVer(e.what());
        }
    }
    if (o.kopyalar) kopyalariUygula(*o.kopyalar);
    gecmisZamani_ = o.gecmisZamani;
    kayitlar = o.kayitlar;
    if (o.sonuc != sonuc) sonuc = o.sonuc;
    soruAcik = a.asama == "soru" && !std::filesystem::exists(Yedekleme::kararYolu());
    if (soruAcik && o.ozet) ozet = o.ozet;
    if (!soruAcik) ozet.reset();
    eskiYedekUyarisi();
    bekleyeniSor();
    ilkBakis_ = true;
    emit degisti();
}

void Model::kopyalarYenile() { kopyalariUygula(kopyalariOku(kopyalar, a.imaj != Disk::Baglanti::yok, true)); }

void Model::kopyalariUygula(const KopyaOkumasi& k) {
    if (k.bilgilerVeGecmis) {
        kopyalar = k.liste;
        std::tie(bilgiler, gecmis) = *k.bilgilerVeGecmis;
    }
    if (seciliKopya && std::find(kopyalar.begin(), kopyalar.end(), *seciliKopya) == kopyalar.end())
        seciliKopya.reset();
}

void Model::simdiYedekle() {
    std::remove(Yedekleme::kararYolu().c_str());
    ajaniBaslat(Yol::simdi());
}

void Model::ajaniBaslat(const std::string& isaret) {
    QTimer::singleShot(1000, this, &Model::yenile);
    arkada(
        this, [isaret] { return Kurulum::ajaniBaslat(isaret, yedekCalisiyor); },
        [this](const HataMetni& hata) {
            if (hata) mesajVer(*hata);
            yenile();
        });
}

void Model::karar(const std::string& islem, const std::set<int>& sec) {
    try {
        jsonYaz(Karar{islem, std::vector<int>(sec.begin(), sec.end())}, Yedekleme::kararYolu());
    } catch (const std::exception& e) {
        mesajVer(e.what());
    }
    yenile();
}

void Model::sinyal(int sig) {
    if (a.pid <= 0) return;
    // The engine's helpers (the copier) are in its process group.
    pid_t g = ::getpgid(a.pid);
    pid_t hedef = g >= 2 && g != ::getpgrp() ? -g : a.pid;
    ::kill(hedef, sig);
    // A paused run must be able to end.
    if (sig == SIGTERM) ::kill(hedef, SIGCONT);
    QTimer::singleShot(500, this, &Model::yenile);
}

void Model::diskiCikar(bool durdurup) {
    mesgul = true;
    if (durdurup) sinyal(SIGTERM);
    emit degisti();
    arkada(
        this,
        [] {
            for (int i = 0; i < 60 && yedekCalisiyor(); ++i) Saat::bekle(1);
            return Yedekleme::elleCikar().second;
        },
        [this](const std::string& metin) {
            mesgul = false;
            if (!metin.empty()) mesajVer(metin);
            yenile();
        });
}

void Model::yenidenBagla() {
    arkada(
        this, [aygit = baglanti.metin] { return Disk::yenidenBagla(aygit); },
        [this](bool tamam) {
            if (!tamam) mesajVer(Yerel::metin("The disk could not be reconnected. Unplug the cable and plug it in again."));
            yenile();
        });
}

namespace {

// The device's owner, asked through the desktop's authentication agent where
// polkit runs. Without polkit the session's own user is the owner; a test
// state folder never asks.
bool sahibiDogrula() {
    if (std::getenv("BRIMVALE_DURUM")) return true;
    KomutSonucu k = komut("/usr/bin/pkcheck", {"--action-id", "org.freedesktop.policykit.exec", "--process",
                                               std::to_string(::getpid()), "--allow-user-interaction"});
    return k.kod == 0 || k.kod == 127;
}

}  // namespace

void Model::kilidiAc() {
    auto birim = Disk::birim(ayarlar.diskUUID);
    if (!birim) return mesajVer(Yerel::metin("Connect the backup disk first."));
    mesgul = true;
    emit degisti();
    arkada(
        this,
        [imaj = *birim + "/" + ayarlar.imajAdi]() -> std::optional<std::string> {
            if (!sahibiDogrula()) return std::string();  // refused: stays locked, nothing to say
            Ayarlar guncel = Ayarlar::yukle();
            if (Disk::imajiBagla(imaj, true, guncel)) return Yerel::metin("The backup could not be opened.");
            return std::nullopt;
        },
        [this](const std::optional<std::string>& hata) {
            mesgul = false;
            ayarlar = Ayarlar::yukle();
            if (hata && !hata->empty()) mesajVer(*hata);
            kopyalarYenile();
            yenile();
        });
}

void Model::kilitle() {
    arkada(
        this, [] { return Disk::imajiAyir(); },
        [this](const HataMetni& hata) {
            if (hata) mesajVer(Yerel::metin("The backup could not be closed: a Finder window or file may be open."));
            yenile();
        });
}

void Model::kaydet() {
    try {
        ayarlar.kaydet();
    } catch (const std::exception& e) {
        mesajVer(e.what());
    }
    yenile();
}

namespace {

std::string ad(const std::string& yol) { return std::filesystem::path(yol).filename().string(); }

}  // namespace

void Model::yerineKoy(const std::string& kopya, const std::string& rel) {
    arkada(
        this,
        [kopya, rel, ayar = ayarlar]() -> std::string {
            try {
                auto g = GeriYukle::yerineKoy(kopya, rel, ayar);
                if (!g.damgali) return Yerel::bicim("“%@” was restored.", {ad(g.hedef)});
                return Yerel::bicim("“%@” was restored. The current version was kept next to it as “%@”.",
                                    {ad(g.hedef), ad(*g.damgali)});
            } catch (const std::exception& e) {
                return e.what();
            }
        },
        [this](const std::string& metin) {
            kayitlar = GeriYukle::kayitlar();
            mesajVer(metin);
        });
}

void Model::farkliKaydet(const std::string& kopya, const std::string& rel, const std::string& klasor) {
    arkada(
        this,
        [kopya, rel, klasor]() -> std::string {
            try {
                return Yerel::bicim("“%@” was restored.", {ad(GeriYukle::farkliKaydet(kopya, rel, klasor))});
            } catch (const std::exception& e) {
                return e.what();
            }
        },
        [this](const std::string& metin) { mesajVer(metin); });
}

void Model::geriAl(const std::set<std::string>& idler) { kayitlaraUygula(idler, GeriYukle::geriAl); }

void Model::copeAt(const std::set<std::string>& idler) { kayitlaraUygula(idler, GeriYukle::copeAt); }

// Undo and clean up go record by record; the first failure is reported.
void Model::kayitlaraUygula(const std::set<std::string>& idler, void (*is)(const std::string&)) {
    arkada(
        this,
        [idler, is]() -> std::string {
            try {
                for (const auto& id : idler) is(id);
            } catch (const std::exception& e) {
                return e.what();
            }
            return {};
        },
        [this](const std::string& hata) {
            kayitlar = GeriYukle::kayitlar();
            if (!hata.empty()) mesajVer(hata);
            emit degisti();
        });
}

void Model::bekleyeniSor() {
    Kurallar::TekrarSorDurumu d{Kurulum::hazir, Kurulum::ajanaDokunulur(), soruAcik, ilkBakis_, mesgul, hatirlatilan_};
    if (!Kurallar::tekrarSor(a, d, Saat::simdi())) return;
    hatirlatilan_ = a.erteleme;
    Gunluk::yaz("Asking again about the postponed backup");
    ajaniBaslat(Yol::yenidenSor());
}

void Model::eskiYedekUyarisi() {
    Kurallar::HatirlatmaDurumu d;
    d.kurulu = kurulu();
    d.izinlerTam = izinOlculdu && izin.tamDisk && izin.bildirim && izin.arkaPlan;
    d.izinDeneme = Izinler::denemede();
    if (!gecmis.empty()) d.sonYedek = gecmis.back().tarih();
    auto son = Tercihler::oku("eskiYedekUyariGunu");
    d.sonUyariGunu = son && son->is_string() ? son->get<std::string>() : "";
    std::string bugun = Saat::yerelMetin("%Y-%m-%d");
    auto gun = Kurallar::eskiYedekGunu(d, Saat::simdi(), bugun);
    if (!gun) return;
    try {
        Tercihler::yaz("eskiYedekUyariGunu", bugun);
    } catch (const std::exception&) {
        return;  // without the record it would remind on every refresh
    }
    // A notification may take seconds; the window does not wait for it.
    std::thread([m = Yerel::bicim("Your last backup was %d days ago. Connect the backup disk to back up.",
                                  {std::to_string(*gun)})] { bildir(m); })
        .detach();
}

void Model::mesajVer(const std::string& m) {
    mesaj = m;
    emit degisti();
}
