#include "ui/GenelBakis.hpp"

#include <signal.h>

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <functional>

#include "backup/Baslik.hpp"
#include "core/Dosya.hpp"
#include "core/Yerel.hpp"
#include "ui/AnaPencere.hpp"
#include "ui/AyarlarPenceresi.hpp"
#include "ui/Cizimler.hpp"
#include "ui/ImajSayfasi.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"
#include "ui/Metin.hpp"

using namespace Arayuz;

namespace {

QFrame* kart(QWidget* ust) {
    auto* k = new QFrame(ust);
    k->setFrameShape(QFrame::StyledPanel);
    return k;
}

QString sure(double saniye) {
    long long s = std::llround(saniye);
    if (s >= 3600) return QString("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
    if (s >= 60) return QString("%1 min").arg((s + 59) / 60);
    return QString("%1 s").arg(s);
}

}  // namespace

GenelBakis::GenelBakis(Model& m, QWidget* ust) : QWidget(ust), m_(m) {
    auto* dikey = new QVBoxLayout(this);

    // Where things stand, in one sentence.
    auto* durum = kart(this);
    auto* dh = new QHBoxLayout(durum);
    ikon_ = new QLabel(durum);
    dh->addWidget(ikon_, 0, Qt::AlignTop);
    auto* metinler = new QVBoxLayout;
    baslik_ = yazi("", durum, 4, true);
    ayrinti_ = new QLabel(durum);
    metinler->addWidget(baslik_);
    metinler->addWidget(ayrinti_);
    dh->addLayout(metinler, 1);
    dikey->addWidget(durum);
    ilkKart_ = ilkAdimKarti();
    dikey->addWidget(ilkKart_);

    ilerleme_ = kart(this);
    auto* ih = new QVBoxLayout(ilerleme_);
    cubuk_ = new QProgressBar(ilerleme_);
    cubuk_->setRange(0, 1000);
    cubuk_->setTextVisible(false);
    ilerlemeMetni_ = new QLabel(ilerleme_);
    auto* dugmeler = new QHBoxLayout;
    duraklat_ = new QPushButton(ilerleme_);
    durdur_ = new QPushButton(t("Stop"), ilerleme_);
    dugmeler->addWidget(ilerlemeMetni_, 1);
    dugmeler->addWidget(duraklat_);
    dugmeler->addWidget(durdur_);
    ih->addWidget(cubuk_);
    ih->addLayout(dugmeler);
    grafik_ = new HizGrafigi(m_.hizGecmisi(), m_.a.hiz, ilerleme_);
    ih->addWidget(grafik_);
    dikey->addWidget(ilerleme_);

    diskKarti_ = kart(this);
    auto* kh = new QVBoxLayout(diskKarti_);
    auto* diskBaslik = yazi("", diskKarti_, 0, true);
    diskBaslik->setText(t("Backup disk"));
    kh->addWidget(diskBaslik);
    disk_ = new DiskCubugu(m_, diskKarti_);
    kh->addWidget(disk_);
    dikey->addWidget(diskKarti_);

    sonucKarti_ = kart(this);
    auto* sh = new QVBoxLayout(sonucKarti_);
    sonucBaslik_ = yazi("", sonucKarti_, 1, true);
    sonucMetni_ = new QLabel(sonucKarti_);
    sonucMetni_->setWordWrap(true);
    ayrintilar_ = new QPushButton(t("Details"), sonucKarti_);
    ayrintilar_->setCheckable(true);
    ayrintilar_->setFlat(true);
    sonucTeknik_ = new QLabel(sonucKarti_);
    sonucTeknik_->setWordWrap(true);
    sonucTeknik_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    sonucTeknik_->setFont(QFont("monospace"));
    sh->addWidget(sonucBaslik_);
    sh->addWidget(sonucMetni_);
    sh->addWidget(ayrintilar_, 0, Qt::AlignLeft);
    sh->addWidget(sonucTeknik_);
    dikey->addWidget(sonucKarti_);

    hatirlatma_ = new QLabel(this);
    hatirlatma_->setWordWrap(true);
    dikey->addWidget(hatirlatma_);
    dikey->addStretch(1);

    auto* eylemler = new QHBoxLayout;
    yedekle_ = new QPushButton(Semboller::ikon("arrow.triangle.2.circlepath"), t("Back Up Now"), this);
    cikar_ = new QPushButton(Semboller::ikon("eject"), t("Eject"), this);
    yenidenBagla_ = new QPushButton(t("Reconnect"), this);
    eylemler->addStretch(1);
    for (auto* d : {yenidenBagla_, cikar_, yedekle_}) eylemler->addWidget(d);
    dikey->addLayout(eylemler);

    connect(duraklat_, &QPushButton::clicked, this, [this] { m_.sinyal(m_.a.duraklatildi ? SIGCONT : SIGSTOP); });
    connect(durdur_, &QPushButton::clicked, this, [this] { m_.sinyal(SIGTERM); });
    connect(yedekle_, &QPushButton::clicked, this, [this] { m_.simdiYedekle(); });
    connect(cikar_, &QPushButton::clicked, this, [this] { m_.diskiCikar(m_.a.calisiyor); });
    connect(yenidenBagla_, &QPushButton::clicked, this, [this] { m_.yenidenBagla(); });
    connect(ayrintilar_, &QPushButton::toggled, this, [this] { guncelle(); });
    guncelle();
}

// The steps of the first start, in their order, each one click away.
QFrame* GenelBakis::ilkAdimKarti() {
    auto* k = kart(this);
    auto* dikey = new QVBoxLayout(k);
    dikey->addWidget(yazi(t("Set up your backup in four steps"), k, 1, true));
    auto* izgara = new QGridLayout;
    izgara->setColumnStretch(1, 1);
    struct Adim {
        const char* metin;
        const char* dugme;
        std::function<void()> eylem;
    };
    const Adim adimlar[] = {
        {"Choose the backup disk", "Choose Disk…", [this] { AnaPencere::ayarlariAc(this, AyarlarPenceresi::genel); }},
        {"Create the encrypted backup on the disk", "Create Encrypted Backup…",
         [this] {
             if (!m_.imajsizBirim) return;
             auto* sayfa = new ImajSayfasi(m_, *m_.imajsizBirim, this);
             sayfa->setAttribute(Qt::WA_DeleteOnClose);
             connect(sayfa, &ImajSayfasi::olusturuldu, &m_, &Model::yenile);
             sayfa->open();
         }},
        {"Add the folders to back up", "Add Folders…",
         [this] { AnaPencere::ayarlariAc(this, AyarlarPenceresi::klasorler); }},
        {"Back up for the first time", "Back Up Now", [this] { m_.simdiYedekle(); }},
    };
    int satir = 0;
    for (const auto& a : adimlar) {
        AdimSatiri s{new QLabel(k), yazi(t(a.metin), k), new QLabel(k), new QPushButton(t(a.dugme), k)};
        s.not_->setWordWrap(true);
        s.not_->setForegroundRole(QPalette::PlaceholderText);
        connect(s.dugme, &QPushButton::clicked, this, a.eylem);
        izgara->addWidget(s.isaret, satir, 0, Qt::AlignTop);
        auto* metinler = new QVBoxLayout;
        metinler->addWidget(s.metin);
        metinler->addWidget(s.not_);
        izgara->addLayout(metinler, satir, 1);
        izgara->addWidget(s.dugme, satir, 2, Qt::AlignTop);
        adimlar_.push_back(s);
        ++satir;
    }
    dikey->addLayout(izgara);
    return k;
}

void GenelBakis::ilkAdimlariGuncelle() {
    auto adimlar = m_.ilkAdimlar();
    ilkKart_->setVisible(!adimlar.empty());
    // Without a disk chosen its bar has nothing to show.
    diskKarti_->setVisible(m_.ayarlar.diskUUID.has_value());
    bool siradaki = true;
    for (size_t i = 0; i < adimlar.size() && i < adimlar_.size(); ++i) {
        const auto& s = adimlar_[i];
        bool bitti = adimlar[i].bitti;
        bool simdi = !bitti && siradaki;
        if (simdi) siradaki = false;
        s.isaret->setPixmap(bitti ? Semboller::ikon("checkmark.circle.fill").pixmap(20, 20)
                                  : Semboller::ikon("circle").pixmap(20, 20));
        QFont f = s.metin->font();
        f.setBold(simdi);
        s.metin->setFont(f);
        s.dugme->setVisible(!bitti);
        s.dugme->setDefault(simdi);
        QString not_;
        bool olur = true;
        switch (adimlar[i].adim) {
            case Kurallar::IlkAdim::disk: break;
            case Kurallar::IlkAdim::imaj:
                olur = m_.imajsizBirim.has_value();
                if (!bitti && m_.ayarlar.diskUUID && !m_.imajVar) not_ = t("Connect the backup disk to go on.");
                break;
            case Kurallar::IlkAdim::klasor: break;
            case Kurallar::IlkAdim::yedek:
                olur = m_.kurulu() && adimlar[1].bitti && !m_.a.calisiyor && !m_.mesgul;
                break;
        }
        s.dugme->setEnabled(olur);
        s.not_->setText(not_);
        s.not_->setVisible(!not_.isEmpty());
    }
}

void GenelBakis::guncelle() {
    ilkAdimlariGuncelle();
    const Anlik& a = m_.a;
    std::string sembol = a.sonuc == "hata" && !a.calisiyor ? "exclamationmark.triangle"
                         : a.calisiyor                     ? "arrow.triangle.2.circlepath"
                                                           : "externaldrive.fill.badge.timemachine";
    ikon_->setPixmap(Semboller::ikon(sembol).pixmap(48, 48));
    baslik_->setText(q(Yedekleme::baslik(a)));
    ayrinti_->setText(q(m_.sonYedekMetni()));

    bool kopyaliyor = a.asama == "esitleme";
    ilerleme_->setVisible(kopyaliyor || !m_.hizGecmisi().empty());
    double oran = Yedekleme::oran(a);
    cubuk_->setValue(static_cast<int>(oran * 1000));
    QString metin = QString::number(static_cast<int>(oran * 100)) + " %   " + q(bayt(a.bitenBayt)) + " / " +
                    q(bayt(a.toplamBayt));
    if (a.hiz > 0 && a.toplamBayt > a.bitenBayt)
        metin += "   " + t("Time left") + ": " + sure((a.toplamBayt - a.bitenBayt) / a.hiz);
    ilerlemeMetni_->setText(metin);
    duraklat_->setText(a.duraklatildi ? t("Resume") : t("Pause"));
    duraklat_->setEnabled(kopyaliyor);
    durdur_->setEnabled(a.calisiyor);
    grafik_->update();
    disk_->update();

    sonucKarti_->setVisible(m_.sonuc.has_value());
    if (m_.sonuc) {
        const auto& s = *m_.sonuc;
        sonucBaslik_->setText(q(s.baslik));
        sonucMetni_->setText(q(s.aciklama) + (s.oneri ? "\n\n" + q(*s.oneri) : QString()));
        QString teknik = q(s.teknik);
        for (const auto& f : s.atlanan) teknik += "\n" + q(f);
        ayrintilar_->setVisible(!teknik.trimmed().isEmpty());
        sonucTeknik_->setText(teknik.trimmed());
        sonucTeknik_->setVisible(ayrintilar_->isChecked());
        const char* renk = s.tur == "sorun" ? "#c0392b" : s.tur == "dikkat" ? "#d35400" : "";
        sonucBaslik_->setStyleSheet(*renk ? QString("color: %1").arg(renk) : QString());
    }

    QStringList hatirlatmalar;
    auto sonYedek = m_.gecmis.empty() ? std::nullopt : std::optional(m_.gecmis.back().tarih());
    if (auto gun = Kurallar::eskiYedek(sonYedek, Saat::simdi()))
        hatirlatmalar << b("Your last backup was %d days ago. Connect the backup disk to back up.",
                           {std::to_string(*gun)});
    if (a.erteleme && a.asama == "bosta") hatirlatmalar << t("Backup postponed: waiting for you");
    if (int n = Kurallar::eskiKayitSayisi(m_.kayitlar, Saat::simdi()))
        hatirlatmalar << q(Yerel::bicim("%d replaced items are older than 30 days. Review them in Replaced Items.",
                                        {std::to_string(n)}));
    hatirlatma_->setVisible(!hatirlatmalar.isEmpty());
    hatirlatma_->setText(hatirlatmalar.join("\n"));

    yedekle_->setEnabled(!a.calisiyor && !m_.mesgul && m_.kurulu());
    // While the guidance shows, its last step is the one Back Up Now.
    yedekle_->setVisible(ilkKart_->isHidden());
    cikar_->setVisible(a.diskBagli);
    cikar_->setEnabled(!m_.mesgul);
    yenidenBagla_->setVisible(m_.baglanti.tur == Disk::DiskBaglantisi::cikarilmis);
}
