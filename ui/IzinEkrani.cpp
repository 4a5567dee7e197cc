#include "ui/IzinEkrani.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThreadPool>
#include <QVBoxLayout>
#include <unistd.h>

#include "agent/Izinler.hpp"
#include "agent/Kurulum.hpp"
#include "backup/Durum.hpp"
#include "core/Komut.hpp"
#include "core/Yerel.hpp"
#include "platform/Platform.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"
#include "ui/Metin.hpp"

using namespace Arayuz;

namespace {

// The desktop's own settings page where one is installed; nothing otherwise.
void ayarlariAc(const char* sayfa) {
    if (::access("/usr/bin/gnome-control-center", X_OK) == 0)
        QThreadPool::globalInstance()->start([sayfa] { komut("/usr/bin/gnome-control-center", {sayfa}); });
}

}  // namespace

IzinEkrani::IzinEkrani(Model& m, QWidget* ust) : QWidget(ust, Qt::Window), m_(m) {
    setWindowTitle("Ondrak Brimvale");
    auto* d = new QVBoxLayout(this);
    d->addWidget(yazi(t("Ondrak Brimvale needs a few permissions"), this, 5, true));
    d->addWidget(yazi(t("macOS lets you decide what an app may access. Brimvale works only when all of these are on; "
                        "it checks them by itself and continues as soon as you turn them on."),
                      this));
    struct Tanim {
        const char *sembol, *baslik, *aciklama, *ipucu, *dugme;
    };
    const Tanim tanimlar[] = {
        {"internaldrive", "Full Disk Access",
         "To read every file you choose to back up (including Documents and Desktop) and to write to the backup disk.",
         "In the list, turn on Ondrak Brimvale. If it is not there, add it with + from the Applications folder.",
         "Open Settings"},
        {"bell.badge", "Notifications",
         "So you know when a backup starts and ends, and when you can safely unplug the disk.", nullptr, "Allow"},
        {"externaldrive.badge.timemachine", "Run in the background",
         "So Brimvale can ask you whenever the backup disk is connected, even if this window is closed.",
         "Under “Allow in the Background”, turn on Ondrak Brimvale.", "Turn On"},
    };
    auto* izgara = new QGridLayout;
    int r = 0;
    for (const auto& tn : tanimlar) {
        auto* ikon = new QLabel(this);
        ikon->setPixmap(Semboller::ikon(tn.sembol).pixmap(32, 32));
        auto* metinler = new QVBoxLayout;
        metinler->addWidget(yazi(t(tn.baslik), this, 0, true));
        metinler->addWidget(yazi(t(tn.aciklama), this));
        if (tn.ipucu) {
            auto* ipucu = yazi(t(tn.ipucu), this);
            ipucu->setEnabled(false);
            metinler->addWidget(ipucu);
        }
        auto* dugme = new QPushButton(t(tn.dugme), this);
        // Granted: the button gives way to "On" with its check mark.
        auto* acik = new QWidget(this);
        auto* ay = new QHBoxLayout(acik);
        ay->setContentsMargins(0, 0, 0, 0);
        auto* isaret = new QLabel(acik);
        isaret->setPixmap(Semboller::ikon("checkmark.circle.fill").pixmap(18, 18));
        auto* on = new QLabel(t("On"), acik);
        on->setStyleSheet("color: #27ae60; font-weight: bold");
        ay->addWidget(isaret);
        ay->addWidget(on);
        izgara->addWidget(ikon, r, 0, Qt::AlignTop);
        izgara->addLayout(metinler, r, 1);
        izgara->addWidget(dugme, r, 2, Qt::AlignTop);
        izgara->addWidget(acik, r, 2, Qt::AlignTop);
        satirlar_.push_back({dugme, acik});
        ++r;
    }
    izgara->setColumnStretch(1, 1);
    d->addLayout(izgara);
    d->addStretch(1);
    auto* alt = new QHBoxLayout;
    durumIkonu_ = new QLabel(this);
    durum_ = yazi("", this, 0, true);
    alt->addWidget(durumIkonu_);
    alt->addWidget(durum_, 1);
    d->addLayout(alt);
    auto* not_ = yazi(t("Your files never leave this Mac and the backup disk. Brimvale is free and has no ads."), this);
    not_->setEnabled(false);
    d->addWidget(not_);

    // On Linux reading a folder is the file system's own permission; its
    // owner grants it in the file manager.
    connect(satirlar_[0].dugme, &QPushButton::clicked, this,
            [] { QThreadPool::globalInstance()->start([] { komut("/usr/bin/open", {Platform::evDizini()}); }); });
    connect(satirlar_[1].dugme, &QPushButton::clicked, this, [this] {
        QThreadPool::globalInstance()->start([] {
            Izinler::bildirimIste([](bool var) {
                if (!var) ayarlariAc("notifications");
            });
        });
        m_.yenile();
    });
    connect(satirlar_[2].dugme, &QPushButton::clicked, this, [this] {
        if (!Kurulum::ajanKurulu()) {
            if (auto hata = Kurulum::ajaniKur([] { return Yedekleme::calisanPid().has_value(); })) {
                m_.mesaj = *hata;
                emit m_.degisti();
            }
        }
        ayarlariAc("applications");
        m_.yenile();
    });
    resize(620, 480);
    guncelle();
}

void IzinEkrani::guncelle() {
    const bool verildi[] = {m_.izin.tamDisk, m_.izin.bildirim, m_.izin.arkaPlan};
    for (size_t i = 0; i < satirlar_.size(); ++i) {
        satirlar_[i].dugme->setVisible(!verildi[i]);
        satirlar_[i].acik->setVisible(verildi[i]);
    }
    bool hepsi = verildi[0] && verildi[1] && verildi[2];
    durumIkonu_->setPixmap(Semboller::ikon(hepsi ? "checkmark.seal.fill" : "hourglass").pixmap(20, 20));
    durum_->setText(hepsi ? t("All set") : t("Waiting for the permissions…"));
}
