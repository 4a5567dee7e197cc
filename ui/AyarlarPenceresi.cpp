#include "ui/AyarlarPenceresi.hpp"
#include "ui/Arkada.hpp"

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QAbstractItemView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QThreadPool>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "agent/Kurulum.hpp"
#include "backup/Durum.hpp"
#include "core/Dosya.hpp"
#include "core/Komut.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "platform/Platform.hpp"
#include "recovery/Programlar.hpp"
#include "temel/Metin.hpp"
#include "ui/ImajSayfasi.hpp"
#include "ui/Kaldir.hpp"
#include "ui/Kurallar.hpp"
#include "ui/Metin.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"

using namespace Arayuz;

namespace {

bool yedekCalisiyor() { return Yedekleme::calisanPid().has_value(); }

bool ayniUuid(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

QLabel* soluk(const QString& metin, QWidget* ust) {
    auto* l = yazi(metin, ust);
    l->setEnabled(false);
    return l;
}

QLabel* baslik(const QString& metin, QWidget* ust) { return yazi(metin, ust, 1, true); }

QToolButton* kucukDugme(const QString& metin, const QString& ipucu, QWidget* ust) {
    auto* d = new QToolButton(ust);
    d->setText(metin);
    d->setToolTip(ipucu);
    d->setAccessibleName(ipucu);
    return d;
}

// The desktop's page for the programs started at login, where one is installed.
void girisAyarlariniAc() {
    if (::access("/usr/bin/gnome-control-center", X_OK) == 0)
        QThreadPool::globalInstance()->start([] { komut("/usr/bin/gnome-control-center", {"applications"}); });
}

std::string adi(const std::string& yol) {
    std::string ad = std::filesystem::path(yol).filename().string();
    return ad.empty() ? yol : ad;
}

struct AjanDurumu {
    bool kurulu = false, tutuldu = false;
};

AjanDurumu ajanOlc() { return {Kurulum::ajanKurulu(), Kurulum::ajanDurumu() == 2}; }

}  // namespace

AyarlarPenceresi::AyarlarPenceresi(Model& m, QWidget* ust) : QWidget(ust, Qt::Window), m_(m) {
    setWindowTitle(t("Settings"));
    birimleriListele = Kurulum::disBirimler;
    yolSor = [this](const QString& baslik, const std::string& baslangic,
                    bool klasor) -> std::optional<std::string> {
        QString secilen = klasor ? QFileDialog::getExistingDirectory(this, baslik, q(baslangic))
                                 : QFileDialog::getOpenFileName(this, baslik, q(baslangic));
        if (secilen.isEmpty()) return std::nullopt;
        return secilen.toStdString();
    };
    auto* d = new QVBoxLayout(this);
    sekmeler_ = new QTabWidget(this);
    sekmeler_->setIconSize(QSize(20, 20));
    sekmeler_->addTab(genelSekmesi(), Semboller::ikon("gearshape"), t("General"));
    sekmeler_->addTab(klasorSekmesi(), Semboller::ikon("folder"), t("Folders"));
    sekmeler_->addTab(gecmisSekmesi(), Semboller::ikon("clock.arrow.circlepath"), t("History"));
    sekmeler_->addTab(kurtulusSekmesi(), Semboller::ikon("lifepreserver"), t("Recovery"));
    d->addWidget(sekmeler_);
    // A tab left is a tab whose text was surely finished.
    connect(sekmeler_, &QTabWidget::currentChanged, this, [this] { metinleriKaydet(); });
    connect(&birimZamani_, &QTimer::timeout, this, &AyarlarPenceresi::birimleriBul);
    birimZamani_.setInterval(5000);
    doldur();
    resize(720, 640);
}

void AyarlarPenceresi::ac(int sekme) {
    if (!isVisible()) doldur();
    sekmeler_->setCurrentIndex(std::clamp(sekme, 0, sekmeler_->count() - 1));
    show();
    raise();
    activateWindow();
}

void AyarlarPenceresi::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    birimleriBul();
    ajaniOlc();
    if (!bulunan_) programlariBul();
    // Disks come and go while the window is open.
    birimZamani_.start();
}

void AyarlarPenceresi::hideEvent(QHideEvent* e) {
    metinleriKaydet();
    birimZamani_.stop();
    QWidget::hideEvent(e);
}

bool AyarlarPenceresi::eventFilter(QObject* nesne, QEvent* olay) {
    if (olay->type() == QEvent::FocusOut && (nesne == haric_ || nesne == not_)) metinleriKaydet();
    return QWidget::eventFilter(nesne, olay);
}

void AyarlarPenceresi::degistir(const std::function<void(Ayarlar&)>& degisiklik) {
    degisiklik(m_.ayarlar);
    m_.kaydet();
}

void AyarlarPenceresi::metinleriKaydet() {
    auto haric = Kurallar::haricSatirlari(haric_->toPlainText().toStdString());
    std::string notMetni = not_->toPlainText().toStdString();
    if (haric == m_.ayarlar.haric && notMetni == m_.ayarlar.notMetni) return;
    degistir([&](Ayarlar& a) {
        a.haric = haric;
        a.notMetni = notMetni;
    });
}

// ---- General ----------------------------------------------------------------

QWidget* AyarlarPenceresi::genelSekmesi() {
    auto* s = new QWidget(this);
    auto* form = new QFormLayout(s);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignTop);
    form->setVerticalSpacing(12);

    disk_ = new QComboBox(s);
    disk_->setObjectName("disk");
    disk_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(disk_, &QComboBox::currentIndexChanged, this, [this] {
        std::string uuid = disk_->currentData().toString().toStdString();
        std::optional<std::string> secilen = uuid.empty() ? std::nullopt : std::optional(uuid);
        if (secilen == m_.ayarlar.diskUUID) return;
        degistir([&](Ayarlar& a) {
            // The serial belonged to the disk chosen before; the model
            // learns the new one when it sees the disk.
            if (a.diskUUID != secilen) a.diskSeri.reset();
            a.diskUUID = secilen;
        });
        diskSatirlari();
    });
    form->addRow(t("Backup disk"), disk_);

    auto* imaj = new QWidget(s);
    auto* iy = new QVBoxLayout(imaj);
    iy->setContentsMargins(0, 0, 0, 0);
    imajDurumu_ = new QLabel(imaj);
    imajDugmesi_ = new QPushButton(t("Create Encrypted Backup…"), imaj);
    imajDugmesi_->setObjectName("imajOlustur");
    imajDugmesi_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    imajNotu_ = soluk(t("Only an encrypted file is created on the disk; the disk itself is not erased or reformatted. "
                       "Other files on it (for example a Ventoy boot disk) stay as they are."),
                     imaj);
    iy->addWidget(imajDurumu_);
    iy->addWidget(imajDugmesi_);
    iy->addWidget(imajNotu_);
    connect(imajDugmesi_, &QPushButton::clicked, this, &AyarlarPenceresi::imajSayfasiniAc);
    form->addRow(t("Encrypted backup"), imaj);

    otomatikCikar_ = new QCheckBox(t("Eject the disk when the backup is done"), s);
    otomatikCikar_->setObjectName("otomatikCikar");
    connect(otomatikCikar_, &QCheckBox::toggled, this,
            [this](bool acik) { degistir([acik](Ayarlar& a) { a.otomatikCikar = acik; }); });
    form->addRow(QString(), otomatikCikar_);

    auto* ajan = new QWidget(s);
    auto* ay = new QHBoxLayout(ajan);
    ay->setContentsMargins(0, 0, 0, 0);
    ajanDurumu_ = new QLabel(ajan);
    ajanDugmesi_ = new QPushButton(t("Install Background Agent"), ajan);
    ajanDugmesi_->setObjectName("ajanKur");
    girisIzni_ = new QPushButton(t("Allow in Login Items…"), ajan);
    ay->addWidget(ajanDurumu_);
    ay->addWidget(ajanDugmesi_);
    ay->addWidget(girisIzni_);
    ay->addStretch(1);
    ajanDugmesi_->hide();
    girisIzni_->hide();
    connect(ajanDugmesi_, &QPushButton::clicked, this, &AyarlarPenceresi::ajaniKur);
    connect(girisIzni_, &QPushButton::clicked, this, [] { girisAyarlariniAc(); });
    form->addRow(t("Background agent"), ajan);

    auto* veri = new QWidget(s);
    auto* vy = new QVBoxLayout(veri);
    vy->setContentsMargins(0, 0, 0, 0);
    auto* kaldir = new QPushButton(t("Uninstall Ondrak Brimvale…"), veri);
    kaldir->setObjectName("kaldir");
    kaldir->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    connect(kaldir, &QPushButton::clicked, this, [this] { kaldirmayiSor(m_, this); });
    vy->addWidget(kaldir);
    vy->addWidget(soluk(t("Uninstalling keeps your backups on the disk."), veri));
    form->addRow(t("Data"), veri);

    auto* surum = new QLabel(q(UygulamaBilgisi::tam()), s);
    surum->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(t("Version"), surum);
    return s;
}

void AyarlarPenceresi::birimleriBul() {
    if (birimAraniyor_) return;
    birimAraniyor_ = true;
    arkada(
        this,
        [imajAdi = m_.ayarlar.imajAdi, listele = birimleriListele] {
            std::vector<SunulanBirim> liste;
            for (auto& b : listele()) {
                std::error_code ec;
                bool var = std::filesystem::exists(std::filesystem::symlink_status(b.yol + "/" + imajAdi, ec));
                liste.push_back({std::move(b), var});
            }
            return liste;
        },
        [this](const std::vector<SunulanBirim>& liste) {
            birimAraniyor_ = false;
            birimleriGoster(liste);
        });
}

void AyarlarPenceresi::birimleriGoster(const std::vector<SunulanBirim>& birimler) {
    // An open list is not rebuilt under the user's pointer; the next round will.
    if (disk_->view()->isVisible()) return;
    birimler_ = birimler;
    diskSatirlari();
}

// The disk choice and the image row, from the last listing.
void AyarlarPenceresi::diskSatirlari() {
    const auto& secili = m_.ayarlar.diskUUID;
    const SunulanBirim* eldeki = nullptr;
    {
        QSignalBlocker kilit(disk_);
        disk_->clear();
        if (!birimler_) {
            disk_->addItem(t("Looking for disks…"), QString());
            disk_->setEnabled(false);
        } else {
            disk_->setEnabled(true);
            disk_->addItem(t("None"), QString());
            for (const auto& s : *birimler_) {
                disk_->addItem(Semboller::ikon("externaldrive.badge.timemachine"),
                               b("%@ (%@ free of %@)", {s.birim.ad, bayt(s.birim.bos), bayt(s.birim.kapasite)}),
                               q(s.birim.id));
                if (secili && ayniUuid(*secili, s.birim.id)) {
                    eldeki = &s;
                    disk_->setCurrentIndex(disk_->count() - 1);
                }
            }
            if (secili && !eldeki) {
                disk_->addItem(t("Not connected"), q(*secili));
                disk_->setCurrentIndex(disk_->count() - 1);
            }
        }
    }
    imajDurumu_->setVisible(!eldeki || eldeki->imajVar);
    imajDugmesi_->setVisible(eldeki && !eldeki->imajVar);
    imajNotu_->setVisible(eldeki && !eldeki->imajVar);
    if (!eldeki) imajDurumu_->setText(t("Connect and choose a disk"));
    else if (eldeki->imajVar) imajDurumu_->setText(t("Found on this disk"));
}

void AyarlarPenceresi::imajSayfasiniAc() {
    if (!birimler_ || !m_.ayarlar.diskUUID) return;
    for (const auto& s : *birimler_) {
        if (!ayniUuid(*m_.ayarlar.diskUUID, s.birim.id)) continue;
        auto* sayfa = new ImajSayfasi(m_, s.birim, this);
        sayfa->setAttribute(Qt::WA_DeleteOnClose);
        connect(sayfa, &ImajSayfasi::olusturuldu, this, &AyarlarPenceresi::birimleriBul);
        sayfa->open();
        return;
    }
}

void AyarlarPenceresi::ajaniOlc() {
    arkada(this, ajanOlc, [this](const AjanDurumu& d) {
        ajanDurumu_->setText(d.kurulu ? t("Active: asks when the disk is connected") : QString());
        ajanDurumu_->setVisible(d.kurulu);
        ajanDugmesi_->setVisible(!d.kurulu);
        ajanDugmesi_->setEnabled(true);
        girisIzni_->setVisible(d.tutuldu);
    });
}

void AyarlarPenceresi::ajaniKur() {
    ajanDugmesi_->setEnabled(false);
    arkada(
        this, [] { return Kurulum::ajaniKur(yedekCalisiyor); },
        [this](const HataMetni& hata) {
            if (hata) {
                m_.mesaj = *hata;
                emit m_.degisti();
            }
            ajaniOlc();
            m_.yenile();
        });
}

// ---- Folders ------------------------------------------------------------------

QHBoxLayout* AyarlarPenceresi::listeDugmeleri(QListWidget* liste, std::vector<std::string> Ayarlar::*alan,
                                              void (AyarlarPenceresi::*ekle)(), const QString& cikarIpucu,
                                              const QString& ad, QWidget* ust) {
    auto* dugmeler = new QHBoxLayout;
    auto* arti = kucukDugme("+", t("Add a folder"), ust);
    auto* eksi = kucukDugme("−", cikarIpucu, ust);
    arti->setObjectName(ad + "Ekle");
    eksi->setObjectName(ad + "Cikar");
    eksi->setEnabled(false);
    dugmeler->addWidget(arti);
    dugmeler->addWidget(eksi);
    dugmeler->addStretch(1);
    connect(arti, &QToolButton::clicked, this, ekle);
    connect(liste, &QListWidget::currentRowChanged, eksi, [eksi](int i) { eksi->setEnabled(i >= 0); });
    connect(eksi, &QToolButton::clicked, this, [this, liste, alan] {
        int i = liste->currentRow();
        if (i < 0 || i >= static_cast<int>((m_.ayarlar.*alan).size())) return;
        degistir([i, alan](Ayarlar& a) { (a.*alan).erase((a.*alan).begin() + i); });
        delete liste->takeItem(i);
    });
    return dugmeler;
}

QWidget* AyarlarPenceresi::klasorSekmesi() {
    auto* s = new QWidget(this);
    auto* d = new QVBoxLayout(s);
    d->addWidget(baslik(t("Folders to Back Up"), s));
    kaynaklar_ = new QListWidget(s);
    kaynaklar_->setObjectName("kaynaklar");
    d->addWidget(kaynaklar_, 1);
    d->addLayout(listeDugmeleri(kaynaklar_, &Ayarlar::kaynaklar, &AyarlarPenceresi::kaynakEkle,
                                t("Remove the folder from the backup (older backups keep it)"), "kaynak", s));
    d->addWidget(soluk(t("Each folder appears in the backup under its own name."), s));

    d->addSpacing(8);
    d->addWidget(baslik(t("Exclude"), s));
    haric_ = new QPlainTextEdit(s);
    haric_->setObjectName("haric");
    haric_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    haric_->installEventFilter(this);
    d->addWidget(haric_, 1);
    auto* alt = new QHBoxLayout;
    alt->addWidget(soluk(t("One pattern per line (rsync syntax). A trailing “/” matches folders, for example "
                          "node_modules/."),
                        s),
                   1);
    auto* varsayilan = new QPushButton(t("Restore Defaults"), s);
    varsayilan->setObjectName("haricVarsayilan");
    alt->addWidget(varsayilan, 0, Qt::AlignTop);
    d->addLayout(alt);
    connect(varsayilan, &QPushButton::clicked, this, [this] {
        haric_->setPlainText(q(Metin::birlestir(Ayarlar::varsayilanHaric(), "\n")));
        metinleriKaydet();
    });
    return s;
}

void AyarlarPenceresi::kaynakEkle() {
    auto yol = yolSor(t("Add a folder"), Platform::evDizini(), true);
    if (!yol) return;
    auto& k = m_.ayarlar.kaynaklar;
    if (std::find(k.begin(), k.end(), *yol) != k.end()) return;
    degistir([&](Ayarlar& a) { a.kaynaklar.push_back(*yol); });
    kaynaklar_->addItem(new QListWidgetItem(Semboller::ikon("folder"), q(*yol)));
}

// ---- History ------------------------------------------------------------------

QWidget* AyarlarPenceresi::gecmisSekmesi() {
    auto* s = new QWidget(this);
    auto* d = new QVBoxLayout(s);
    seyrelt_ = new QCheckBox(t("Thin out old backups"), s);
    seyrelt_->setObjectName("seyrelt");
    d->addWidget(seyrelt_);
    d->addSpacing(6);
    d->addWidget(baslik(t("Keep the last backup of each"), s));
    auto* izgara = new QFormLayout;
    izgara->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    struct Donem {
        const char *ad, *baslik;
        int64_t Saklama::*alan;
    };
    static const Donem donemler[] = {{"saatlik", "Hour", &Saklama::saatlik},
                                     {"gunluk", "Day", &Saklama::gunluk},
                                     {"haftalik", "Week", &Saklama::haftalik},
                                     {"aylik", "Month", &Saklama::aylik},
                                     {"yillik", "Year", &Saklama::yillik}};
    for (const auto& donem : donemler) {
        auto* sayi = new QSpinBox(s);
        sayi->setObjectName(donem.ad);
        sayi->setRange(0, 999);
        sayi->setSingleStep(1);
        // 0 is no limit: one backup for every such period.
        sayi->setSpecialValueText(t("all"));
        // Typing "120" is one change, not three saves.
        sayi->setKeyboardTracking(false);
        sayi->setMinimumWidth(90);
        auto alan = donem.alan;
        connect(sayi, &QSpinBox::valueChanged, this, [this, alan](int deger) {
            if (m_.ayarlar.saklama.*alan == deger) return;
            degistir([alan, deger](Ayarlar& a) { a.saklama.*alan = deger; });
        });
        izgara->addRow(t(donem.baslik), sayi);
        saklama_.push_back(sayi);
    }
    d->addLayout(izgara);
    connect(seyrelt_, &QCheckBox::toggled, this, [this](bool acik) {
        for (auto* sayi : saklama_) sayi->setEnabled(acik);
        if (m_.ayarlar.seyrelt != acik) degistir([acik](Ayarlar& a) { a.seyrelt = acik; });
    });
    d->addSpacing(6);
    d->addWidget(soluk(t("For each period only its last backup is kept. When the disk gets full, the oldest backups "
                        "are deleted in any case."),
                      s));
    d->addWidget(soluk(t("“all” keeps one backup for every such period, without a limit. The newest backup is always "
                        "kept."),
                      s));
    d->addWidget(soluk(t("The space of deleted backups is reused inside the backup image; the image file on the disk "
                        "does not always get smaller."),
                      s));
    auto* varsayilan = new QPushButton(t("Restore Defaults"), s);
    varsayilan->setObjectName("saklamaVarsayilan");
    connect(varsayilan, &QPushButton::clicked, this, [this] {
        degistir([](Ayarlar& a) { a.saklama = Saklama{}; });
        doldur();
    });
    auto* alt = new QHBoxLayout;
    alt->addStretch(1);
    alt->addWidget(varsayilan);
    d->addLayout(alt);
    d->addStretch(1);
    return s;
}

// ---- Recovery -----------------------------------------------------------------

QWidget* AyarlarPenceresi::kurtulusSekmesi() {
    auto* kaydirma = new QScrollArea(this);
    kaydirma->setWidgetResizable(true);
    kaydirma->setFrameShape(QFrame::NoFrame);
    auto* s = new QWidget(kaydirma);
    auto* d = new QVBoxLayout(s);
    d->addWidget(yazi(t("After every backup the disk gets the Brimvale installer and recovery instructions next to "
                        "the encrypted image, so a new Mac can be restored without the internet. They contain no "
                        "passwords."),
                      s));

    d->addSpacing(6);
    d->addWidget(baslik(t("Folders that come back first"), s));
    oncelik_ = new QListWidget(s);
    oncelik_->setObjectName("oncelikKlasorler");
    oncelik_->setMinimumHeight(70);
    oncelik_->setMaximumHeight(120);
    d->addWidget(oncelik_);
    d->addLayout(
        listeDugmeleri(oncelik_, &Ayarlar::oncelikKlasorler, &AyarlarPenceresi::oncelikEkle, t("Remove"), "oncelik", s));
    d->addWidget(soluk(t("On a new Mac these folders come back first, so you can start working before everything is "
                        "restored; the rest follows. Only folders inside the backed-up folders. If you are not sure, "
                        "leave it empty."),
                      s));

    d->addSpacing(6);
    d->addWidget(baslik(t("Programs"), s));
    programDurumu_ = new QLabel(t("Looking for programs…"), s);
    d->addWidget(programDurumu_);
    programlar_ = new QTreeWidget(s);
    programlar_->setObjectName("programlar");
    programlar_->setColumnCount(2);
    programlar_->setHeaderLabels({t("Program"), t("Origin")});
    programlar_->setRootIsDecorated(false);
    programlar_->setMinimumHeight(120);
    programlar_->setMaximumHeight(200);
    programlar_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    programlar_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    d->addWidget(programlar_);
    auto* pd = new QHBoxLayout;
    programCikar_ = new QPushButton(t("Remove from the list"), s);
    programCikar_->setEnabled(false);
    geriGetir_ = new QPushButton(s);
    auto* elle = new QPushButton(t("Add a Program…"), s);
    programCikar_->setObjectName("programCikar");
    geriGetir_->setObjectName("geriGetir");
    elle->setObjectName("programEkle");
    pd->addWidget(programCikar_);
    pd->addWidget(geriGetir_);
    pd->addStretch(1);
    pd->addWidget(elle);
    d->addLayout(pd);
    d->addWidget(soluk(t("Brimvale finds the programs on this Mac by itself and writes the list into every backup. "
                        "Nothing is installed now: on a new Mac you decide whether to install all, some or none of "
                        "them. If you are not sure, leave the list as it is."),
                      s));
    connect(programlar_, &QTreeWidget::currentItemChanged, programCikar_,
            [this](QTreeWidgetItem* i) { programCikar_->setEnabled(i != nullptr); });
    connect(programCikar_, &QPushButton::clicked, this, [this] {
        auto* secili = programlar_->currentItem();
        if (!secili) return;
        std::string id = secili->data(0, Qt::UserRole).toString().toStdString();
        std::string yol = secili->data(1, Qt::UserRole).toString().toStdString();
        degistir([&](Ayarlar& a) {
            // A program added by hand goes back off the hand-made list; a found
            // one is remembered as removed.
            auto ek = std::find(a.programEk.begin(), a.programEk.end(), yol);
            if (!yol.empty() && ek != a.programEk.end()) a.programEk.erase(ek);
            else if (std::find(a.programCikar.begin(), a.programCikar.end(), id) == a.programCikar.end())
                a.programCikar.push_back(id);
        });
        programlariSec();
    });
    connect(geriGetir_, &QPushButton::clicked, this, [this] {
        degistir([](Ayarlar& a) { a.programCikar.clear(); });
        programlariSec();
    });
    connect(elle, &QPushButton::clicked, this, [this] {
        auto yol = yolSor(t("Add a Program…"), Programlar::varsayilanKok(), true);
        if (!yol) return;
        auto& ek = m_.ayarlar.programEk;
        if (std::find(ek.begin(), ek.end(), *yol) != ek.end()) return;
        degistir([&](Ayarlar& a) { a.programEk.push_back(*yol); });
        programlariSec();
    });

    d->addSpacing(6);
    d->addWidget(baslik(t("Note to Yourself"), s));
    not_ = new QPlainTextEdit(s);
    not_->setObjectName("notMetni");
    not_->setPlaceholderText(t("For example: The emergency card is in the desk drawer."));
    not_->setMinimumHeight(70);
    not_->setMaximumHeight(110);
    not_->installEventFilter(this);
    d->addWidget(not_);
    d->addLayout(Semboller::yaninda(
        "exclamationmark.triangle", 18,
        yazi(t("Added to the end of the recovery instructions on the backup disk. Do not write passwords here: that "
               "file is not encrypted. If you are not sure, leave it empty."),
             s)));

    // The advanced controls, folded away.
    d->addSpacing(6);
    auto* gelismis = new QToolButton(s);
    gelismis->setText(t("Advanced"));
    gelismis->setObjectName("gelismisDugme");
    gelismis->setCheckable(true);
    gelismis->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    gelismis->setArrowType(Qt::RightArrow);
    gelismis->setAutoRaise(true);
    d->addWidget(gelismis);
    auto* panel = new QWidget(s);
    panel->setObjectName("gelismis");
    auto* pf = new QFormLayout(panel);
    pf->setContentsMargins(18, 0, 0, 0);
    auto dosya = [this, panel, pf](const char* nesne, const char* ad, QLabel*& etiket, QPushButton*& yok, const char* aciklama,
                                   std::optional<std::string> Ayarlar::*alan, const char* soru) {
        auto* satir = new QWidget(panel);
        auto* y = new QHBoxLayout(satir);
        y->setContentsMargins(0, 0, 0, 0);
        etiket = new QLabel(satir);
        etiket->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* sec = new QPushButton(t("Choose…"), satir);
        yok = new QPushButton(t("None"), satir);
        sec->setObjectName(QString(nesne) + "Sec");
        yok->setObjectName(QString(nesne) + "Yok");
        y->addWidget(etiket, 1);
        y->addWidget(sec);
        y->addWidget(yok);
        auto* kutu = new QWidget(panel);
        auto* k = new QVBoxLayout(kutu);
        k->setContentsMargins(0, 0, 0, 0);
        k->addWidget(satir);
        k->addWidget(soluk(t(aciklama), kutu));
        pf->addRow(t(ad), kutu);
        QLabel* e = etiket;
        QPushButton* n = yok;
        connect(sec, &QPushButton::clicked, this, [this, alan, soru, e, n] {
            const auto& simdiki = m_.ayarlar.*alan;
            auto yol = yolSor(t(soru), simdiki ? std::filesystem::path(*simdiki).parent_path().string()
                                               : Platform::evDizini(),
                              false);
            if (!yol) return;
            degistir([&](Ayarlar& a) { a.*alan = *yol; });
            dosyaSatiri(e, n, m_.ayarlar.*alan);
        });
        connect(yok, &QPushButton::clicked, this, [this, alan, e, n] {
            degistir([&](Ayarlar& a) { (a.*alan).reset(); });
            dosyaSatiri(e, n, m_.ayarlar.*alan);
        });
    };
    dosya("oncelikListesi", "Priority list file", oncelikListesi_, oncelikListesiYok_,
          "A text file: one path per line, “== name” starts a group, “@file” includes a list next to it. Added after "
          "the folders above.",
          &Ayarlar::oncelikListesi, "Choose the priority list file");
    dosya("kurulumBetigi", "Setup script", kurulumBetigi_, kurulumBetigiYok_,
          "A script run on a new Mac after the files are back. Brimvale asks before running it.", &Ayarlar::kurulumBetigi,
          "Choose the setup script");
    panel->hide();
    d->addWidget(panel);
    connect(gelismis, &QToolButton::toggled, this, [gelismis, panel](bool acik) {
        gelismis->setArrowType(acik ? Qt::DownArrow : Qt::RightArrow);
        panel->setVisible(acik);
    });
    d->addStretch(1);
    kaydirma->setWidget(s);
    return kaydirma;
}

void AyarlarPenceresi::dosyaSatiri(QLabel* etiket, QPushButton* yok, const std::optional<std::string>& yol) {
    etiket->setText(yol ? q(*yol) : t("None"));
    etiket->setEnabled(yol.has_value());
    yok->setEnabled(yol.has_value());
}

// Where the folder lies is a question for the file system, and so for a worker.
void AyarlarPenceresi::oncelikEkle() {
    const auto& kaynaklar = m_.ayarlar.kaynaklar;
    auto secilen = yolSor(t("Add a folder"), kaynaklar.empty() ? Platform::evDizini() : kaynaklar.front(), true);
    if (!secilen) return;
    arkada(
        this, [klasor = *secilen, kaynaklar] { return Kurallar::oncelikYolu(klasor, kaynaklar); },
        [this, klasor = *secilen](const std::optional<std::string>& yol) {
            if (!yol) {
                auto* ret = new QMessageBox(QMessageBox::Warning, "Ondrak Brimvale",
                                            b("“%@” is not in a backed-up folder.", {adi(klasor)}), QMessageBox::Ok,
                                            this);
                ret->setInformativeText(
                    t("Only folders that are backed up can come back first. Add it under Folders first."));
                ret->setAttribute(Qt::WA_DeleteOnClose);
                ret->open();
                return;
            }
            auto& liste = m_.ayarlar.oncelikKlasorler;
            if (std::find(liste.begin(), liste.end(), *yol) != liste.end()) return;
            degistir([&](Ayarlar& a) { a.oncelikKlasorler.push_back(*yol); });
            oncelik_->addItem(new QListWidgetItem(Semboller::ikon("folder"), q(*yol)));
        });
}

void AyarlarPenceresi::programlariBul() {
    programDurumu_->setText(t("Looking for programs…"));
    programDurumu_->show();
    int kusak = ++programKusagi_;
    arkada(
        this,
        [ayar = m_.ayarlar] {
            auto bulunan = Programlar::bul();
            auto secili = Programlar::secili(ayar, bulunan);
            return std::pair(std::move(bulunan), std::move(secili));
        },
        [this, kusak](const std::pair<std::vector<Program>, std::vector<Program>>& sonuc) {
            bulunan_ = sonuc.first;
            if (kusak == programKusagi_) programlariGoster(sonuc.second);
            else programlariSec();
        });
}

// The list after the user's choices; the hand-added bundles are read, so off
// the window's thread too.
void AyarlarPenceresi::programlariSec() {
    geriGetir_->setText(b("Bring Back Removed (%d)", {std::to_string(m_.ayarlar.programCikar.size())}));
    geriGetir_->setEnabled(!m_.ayarlar.programCikar.empty());
    if (!bulunan_) return;  // the search under way shows the choices when it ends
    int kusak = ++programKusagi_;
    arkada(
        this, [ayar = m_.ayarlar, bulunan = *bulunan_] { return Programlar::secili(ayar, bulunan); },
        [this, kusak](const std::vector<Program>& secili) {
            if (kusak == programKusagi_) programlariGoster(secili);
        });
}

void AyarlarPenceresi::programlariGoster(const std::vector<Program>& programlar) {
    programDurumu_->hide();
    programlar_->clear();
    for (const auto& p : programlar) {
        QString ad = q(p.ad);
        if (p.surum) ad += " " + q(*p.surum);
        QString kaynak = q(p.kaynakAdi());
        if (p.brew) kaynak += " (" + q(*p.brew) + ")";
        auto* satir = new QTreeWidgetItem(programlar_, {ad, kaynak});
        satir->setData(0, Qt::UserRole, q(p.id));
        satir->setData(1, Qt::UserRole, p.elle && p.yol ? q(*p.yol) : QString());
        if (p.yol) satir->setToolTip(0, q(*p.yol));
    }
    programCikar_->setEnabled(programlar_->currentItem() != nullptr);
    geriGetir_->setText(b("Bring Back Removed (%d)", {std::to_string(m_.ayarlar.programCikar.size())}));
    geriGetir_->setEnabled(!m_.ayarlar.programCikar.empty());
}

// ---- All tabs -----------------------------------------------------------------

void AyarlarPenceresi::doldur() {
    const Ayarlar& a = m_.ayarlar;
    std::vector<QSignalBlocker> kilitler;
    for (QObject* o : std::initializer_list<QObject*>{otomatikCikar_, seyrelt_, haric_, not_})
        kilitler.emplace_back(o);
    for (auto* sayi : saklama_) kilitler.emplace_back(sayi);

    diskSatirlari();
    otomatikCikar_->setChecked(a.otomatikCikar);

    kaynaklar_->clear();
    for (const auto& k : a.kaynaklar) kaynaklar_->addItem(new QListWidgetItem(Semboller::ikon("folder"), q(k)));
    haric_->setPlainText(q(Metin::birlestir(a.haric, "\n")));

    seyrelt_->setChecked(a.seyrelt);
    const int64_t sayilar[] = {a.saklama.saatlik, a.saklama.gunluk, a.saklama.haftalik, a.saklama.aylik,
                               a.saklama.yillik};
    for (size_t i = 0; i < saklama_.size(); ++i) {
        // A count below 0 means all, as 0 does.
        saklama_[i]->setValue(static_cast<int>(std::clamp<int64_t>(sayilar[i], 0, 999)));
        saklama_[i]->setEnabled(a.seyrelt);
    }

    oncelik_->clear();
    for (const auto& k : a.oncelikKlasorler) oncelik_->addItem(new QListWidgetItem(Semboller::ikon("folder"), q(k)));
    not_->setPlainText(q(a.notMetni));
    dosyaSatiri(oncelikListesi_, oncelikListesiYok_, a.oncelikListesi);
    dosyaSatiri(kurulumBetigi_, kurulumBetigiYok_, a.kurulumBetigi);
    programlariSec();
}
