#pragma once
// The one state of the window application. Every window reads it and every
// action of a window goes through it. It never backs up itself: it starts
// the agent, signals the running backup, writes the user's decision, and
// re-reads the shared state files every 1.5 s on one worker thread.
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "backup/Durum.hpp"
#include "backup/Ozet.hpp"
#include "backup/YedekSonucu.hpp"
#include "core/Ayarlar.hpp"
#include "disk/Disk.hpp"
#include "restore/GeriYukle.hpp"
#include "store/KopyaBilgisi.hpp"
#include "ui/Kurallar.hpp"

struct KopyaOkumasi;

struct DiskDolulugu {
    double toplam = 0, bos = 0, yedek = 0;
    bool operator==(const DiskDolulugu&) const = default;
};

struct IzinDurumu {
    bool tamDisk = false, bildirim = false, arkaPlan = false;
    bool operator==(const IzinDurumu&) const = default;
};

class Model : public QObject {
    Q_OBJECT
public:
    explicit Model(QObject* ust = nullptr);
    ~Model() override;

    Anlik a;
    Ayarlar ayarlar;
    std::optional<Ozet> ozet;
    std::optional<std::string> mesaj;
    bool yeniliklerAcik = false;
    bool mesgul = false;
    std::vector<GeriYukleme> kayitlar;
    std::vector<std::string> kopyalar;
    std::vector<KopyaBilgisi> bilgiler;
    std::vector<KopyaBilgisi> gecmis;
    std::optional<std::string> seciliKopya;
    Kurallar::Olcek olcek;
    std::optional<DiskDolulugu> disk;
    IzinDurumu izin;
    bool izinOlculdu = false;
    Disk::DiskBaglantisi baglanti;
    // Whether the image is on the chosen disk; nothing while it is not connected.
    std::optional<bool> imajVar;
    // The chosen disk as offered for a new image, while it is connected without one.
    std::optional<Birim> imajsizBirim;
    std::optional<double> usbHiz;
    std::optional<YedekSonucu> sonuc;
    Kurallar::Bolum bolum;
    bool soruAcik = false;

    const std::deque<Kurallar::HizNoktasi>& hizGecmisi() const { return hiz_.gecmis(); }
    // The What's New sheet was shown for this version.
    void yenilikleriGordu();
    // "Last backup: <date>" from the history, or "No backup yet".
    std::string sonYedekMetni() const;
    // The settings name a disk and at least one folder.
    bool kurulu() const;
    // The first start's steps; empty once everything is set up.
    std::vector<Kurallar::IlkAdimDurumu> ilkAdimlar() const;

    void yenile();
    void kopyalarYenile();
    void simdiYedekle();
    void ajaniBaslat(const std::string& isaret);
    void karar(const std::string& islem, const std::set<int>& sec);
    void sinyal(int sig);
    void diskiCikar(bool durdurup);
    void yenidenBagla();
    void kilidiAc();
    void kilitle();
    void kaydet();
    // Restores, off the window's thread; each ends in a message.
    void yerineKoy(const std::string& kopya, const std::string& rel);
    void farkliKaydet(const std::string& kopya, const std::string& rel, const std::string& klasor);
    void geriAl(const std::set<std::string>& idler);
    void copeAt(const std::set<std::string>& idler);

signals:
    void degisti();

private:
    struct Olcum;
    void uygula(const Olcum& o);
    void kopyalariUygula(const KopyaOkumasi& k);
    void eskiYedekUyarisi();
    void bekleyeniSor();
    void mesajVer(const std::string& m);
    void kayitlaraUygula(const std::set<std::string>& idler, void (*is)(const std::string&));

    QThreadPool kuyruk_;  // "brimvale.olcum": one measurement at a time
    QTimer zamanlayici_{this};
    int sayac_ = 0;
    int sirada_ = 0;  // measurements asked for and not yet applied
    bool ilkBakis_ = false;
    std::optional<std::filesystem::file_time_type> gecmisZamani_;
    std::optional<Saat::Zaman> hatirlatilan_;
    Kurallar::HizOlcer hiz_;
};
