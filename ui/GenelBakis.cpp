#include "ui/GenelBakis.hpp"

#include <signal.h>

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "backup/Baslik.hpp"
#include "core/Dosya.hpp"
#include "core/Yerel.hpp"
#include "ui/Cizimler.hpp"
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

    auto* diskKarti = kart(this);
    auto* kh = new QVBoxLayout(diskKarti);
    auto* diskBaslik = yazi("", diskKarti, 0, true);
    diskBaslik->setText(t("Backup disk"));
    kh->addWidget(diskBaslik);
    disk_ = new DiskCubugu(m_, diskKarti);
    kh->addWidget(disk_);
    dikey->addWidget(diskKarti);

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

void GenelBakis::guncelle() {
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
    cikar_->setVisible(a.diskBagli);
    cikar_->setEnabled(!m_.mesgul);
    yenidenBagla_->setVisible(m_.baglanti.tur == Disk::DiskBaglantisi::cikarilmis);
}
