#include "ui/SoruPenceresi.hpp"

#include <QButtonGroup>
#include <QFileIconProvider>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QThreadPool>
#include <QToolButton>
#include <QTreeWidget>
#include <QUuid>
#include <QVBoxLayout>
#include <filesystem>

#include "core/Dosya.hpp"
#include "core/Icu.hpp"
#include "core/Komut.hpp"
#include "core/Yerel.hpp"
#include "restore/GeriYukle.hpp"
#include "store/Kopyalar.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"
#include "ui/Metin.hpp"

namespace fs = std::filesystem;

using namespace Arayuz;

namespace {

QString tarih(double saniye) {
    return q(Icu::tarih(Saat::Zaman{} + std::chrono::seconds(static_cast<long long>(saniye)), Icu::TarihBicimi::kisa)
                 .value_or(""));
}

constexpr int kResim = 128;

}  // namespace

SoruPenceresi::SoruPenceresi(Model& m, QWidget* ust)
    : QWidget(ust, Qt::Window), m_(m), izgara_(std::getenv("BRIMVALE_IZGARA") != nullptr) {
    setWindowTitle("Ondrak Brimvale");
    new QVBoxLayout(this);
}

void SoruPenceresi::guncelle() {
    if (m_.ozet == gosterilen_) return;
    gosterilen_ = m_.ozet;
    sec_.clear();
    kur();
}

void SoruPenceresi::kur() {
    delete icerik_;
    icerik_ = nullptr;
    liste_ = nullptr;
    resimler_ = nullptr;
    if (!gosterilen_) return;
    bool duz = gosterilen_->silinen.empty();
    icerik_ = duz ? duzSayfa(*gosterilen_) : silinenlerSayfasi(*gosterilen_);
    layout()->addWidget(icerik_);
    // The plain question is short; the list needs room.
    resize(duz ? QSize(560, sizeHint().height()) : QSize(760, 560));
}

QWidget* SoruPenceresi::duzSayfa(const Ozet& o) {
    auto* s = new QWidget(this);
    auto* d = new QVBoxLayout(s);
    d->addWidget(yazi(t("Back up now?"), s, 6, true));
    auto son = Kopyalar::tarih(m_.a.sonYedek);
    d->addWidget(yazi(son ? b("Last backup: %@", {Icu::tarih(*son, Icu::TarihBicimi::uzun, true).value_or("")})
                          : t("This will be the first backup."),
                      s));
    d->addWidget(yazi(b("%d new and %d changed files since the last backup. Nothing was deleted.",
                        {std::to_string(o.yeni), std::to_string(o.degisen)}),
                      s));
    d->addWidget(yazi(t("When the backup is done I eject the disk. Do not unplug it before you get the notification."), s));
    d->addSpacing(12);
    auto* dugmeler = new QHBoxLayout;
    auto* simdiDegil = new QPushButton(t("Not Now"), s);
    simdiDegil->setToolTip(t("Not Now only postpones: I ask again in an hour, when you reconnect the disk or open "
                             "Brimvale. Back Up Now works any time."));
    auto* cikar = new QPushButton(t("Eject Disk"), s);
    auto* yedekle = new QPushButton(t("Back Up"), s);
    yedekle->setDefault(true);
    dugmeler->addWidget(simdiDegil);
    dugmeler->addStretch(1);
    dugmeler->addWidget(cikar);
    dugmeler->addWidget(yedekle);
    d->addLayout(dugmeler);
    connect(simdiDegil, &QPushButton::clicked, this, [this] { m_.karar("iptal", {}); });
    connect(cikar, &QPushButton::clicked, this, [this] { m_.karar("cikar", {}); });
    connect(yedekle, &QPushButton::clicked, this, [this] { m_.karar("yedekle", {}); });
    return s;
}

QWidget* SoruPenceresi::silinenlerSayfasi(const Ozet& o) {
    auto* s = new QWidget(this);
    auto* d = new QVBoxLayout(s);
    auto* baslik = new QHBoxLayout;
    auto* ikon = new QLabel(s);
    ikon->setPixmap(Semboller::ikon(o.esik ? "exclamationmark.octagon.fill" : "trash.circle.fill").pixmap(40, 40));
    baslik->addWidget(ikon);
    baslik->addWidget(yazi(o.esik ? t("Many files were deleted") : t("Files were deleted on this Mac"), s, 5, true), 1);
    d->addLayout(baslik);
    d->addWidget(yazi(b("%d files (%@) were deleted since the last backup. They stay in your older backups; the new "
                        "backup will not contain them.",
                        {std::to_string(o.silinen.size()), bayt(o.silinenBayt)}),
                      s));
    if (!o.enCok.empty()) {
        std::vector<std::string> parcalar;
        for (const auto& e : o.enCok) parcalar.push_back(e.klasor + " (" + std::to_string(e.adet) + ")");
        std::string hepsi;
        for (const auto& p : parcalar) hepsi += (hepsi.empty() ? "" : ", ") + p;
        d->addWidget(yazi(b("Mostly in: %@", {hepsi}), s));
    }

    // List or thumbnails.
    auto* secim = new QHBoxLayout;
    auto* listeDugmesi = new QToolButton(s);
    auto* izgaraDugmesi = new QToolButton(s);
    listeDugmesi->setIcon(Semboller::ikon("list.bullet"));
    listeDugmesi->setText(t("List"));
    izgaraDugmesi->setIcon(Semboller::ikon("square.grid.2x2"));
    izgaraDugmesi->setText(t("Thumbnails"));
    auto* grup = new QButtonGroup(s);
    for (auto* dg : {listeDugmesi, izgaraDugmesi}) {
        dg->setCheckable(true);
        dg->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        grup->addButton(dg);
        secim->addWidget(dg);
    }
    secim->addStretch(1);
    d->addLayout(secim);

    gorunum_ = new QStackedWidget(s);
    liste_ = new QTreeWidget(gorunum_);
    liste_->setHeaderLabels({t("File"), t("Modified"), t("Size"), t("Bring Back")});
    liste_->setRootIsDecorated(false);
    liste_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    liste_->setContextMenuPolicy(Qt::CustomContextMenu);
    resimler_ = new QListWidget(gorunum_);
    resimler_->setViewMode(QListView::IconMode);
    resimler_->setIconSize(QSize(kResim, kResim));
    resimler_->setResizeMode(QListView::Adjust);
    resimler_->setWordWrap(true);
    resimler_->setMovement(QListView::Static);
    resimler_->setGridSize(QSize(kResim + 32, kResim + 48));
    resimler_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QFileIconProvider turler;
    for (const auto& f : o.silinen) {
        auto* satir = new QTreeWidgetItem(liste_, {q(f.yol), tarih(f.zaman), q(bayt(f.boy)), QString()});
        satir->setData(0, Qt::UserRole, static_cast<int>(f.i));
        satir->setCheckState(3, Qt::Unchecked);
        satir->setToolTip(3, t("Bring this file back to the Mac"));
        QIcon tur = turler.icon(QFileInfo(q(f.yol)));
        if (tur.isNull()) tur = style()->standardIcon(QStyle::SP_FileIcon);
        auto* resim = new QListWidgetItem(tur, q(fs::path(f.yol).filename().string()), resimler_);
        resim->setData(Qt::UserRole, static_cast<int>(f.i));
        resim->setCheckState(Qt::Unchecked);
    }
    liste_->header()->setStretchLastSection(false);
    liste_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int sutun : {1, 2, 3}) liste_->header()->setSectionResizeMode(sutun, QHeaderView::ResizeToContents);
    gorunum_->addWidget(liste_);
    gorunum_->addWidget(resimler_);
    d->addWidget(gorunum_, 1);
    auto* aciklama = yazi(t("Click a picture to mark it for restoring."), s);
    d->addWidget(aciklama);
    auto gorunumSec = [this, aciklama](bool izgara) {
        izgara_ = izgara;
        gorunum_->setCurrentIndex(izgara ? 1 : 0);
        aciklama->setVisible(izgara);
        if (izgara) resimleriYukle();
    };
    (izgara_ ? izgaraDugmesi : listeDugmesi)->setChecked(true);
    gorunumSec(izgara_);
    connect(listeDugmesi, &QToolButton::clicked, this, [gorunumSec] { gorunumSec(false); });
    connect(izgaraDugmesi, &QToolButton::clicked, this, [gorunumSec] { gorunumSec(true); });

    connect(liste_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* satir, int sutun) {
        if (sutun == 3) isaretle(satir->data(0, Qt::UserRole).toInt(), satir->checkState(3) == Qt::Checked);
    });
    connect(resimler_, &QListWidget::itemClicked, this, [this](QListWidgetItem* r) {
        int i = r->data(Qt::UserRole).toInt();
        isaretle(i, !sec_.count(i));
    });
    connect(liste_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* satir) { kopyalariAc({satir->data(0, Qt::UserRole).toInt()}); });
    connect(liste_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& nokta) {
        auto* satir = liste_->itemAt(nokta);
        if (!satir) return;
        int i = satir->data(0, Qt::UserRole).toInt();
        QMenu menu;
        bool isaretli = sec_.count(i);
        menu.addAction(isaretli ? t("Unmark") : t("Mark to Restore"), [this, i, isaretli] { isaretle(i, !isaretli); });
        menu.addAction(t("Open a Copy"), [this] {
            std::vector<int> secili;
            for (auto* s : liste_->selectedItems()) secili.push_back(s->data(0, Qt::UserRole).toInt());
            kopyalariAc(secili);
        });
        menu.exec(liste_->viewport()->mapToGlobal(nokta));
    });

    auto* alt = new QHBoxLayout;
    hepsi_ = new QPushButton(s);
    auto* simdiDegil = new QPushButton(t("Not Now"), s);
    simdiDegil->setToolTip(t("Not Now only postpones: I ask again in an hour, when you reconnect the disk or open "
                             "Brimvale. Back Up Now works any time."));
    ana_ = new QPushButton(s);
    ana_->setDefault(true);
    alt->addWidget(hepsi_);
    alt->addWidget(yazi(t("Double-click opens a copy from the backup."), s), 1);
    alt->addWidget(simdiDegil);
    alt->addWidget(ana_);
    d->addLayout(alt);
    connect(hepsi_, &QPushButton::clicked, this, [this] {
        bool hepsiIsaretli = sec_.size() >= gosterilen_->silinen.size();
        sec_.clear();
        if (!hepsiIsaretli)
            for (const auto& f : gosterilen_->silinen) sec_.insert(static_cast<int>(f.i));
        isaretleriGoster();
    });
    connect(simdiDegil, &QPushButton::clicked, this, [this] { m_.karar("iptal", {}); });
    connect(ana_, &QPushButton::clicked, this, [this] { m_.karar("yedekle", sec_); });
    isaretleriGoster();
    return s;
}

void SoruPenceresi::isaretle(int i, bool isaretli) {
    bool degisti = isaretli ? sec_.insert(i).second : sec_.erase(i) > 0;
    if (degisti) isaretleriGoster();
}

// The list, the pictures and the buttons show the same marks.
void SoruPenceresi::isaretleriGoster() {
    if (!liste_) return;
    QSignalBlocker durdur(liste_);
    for (int r = 0; r < liste_->topLevelItemCount(); ++r) {
        auto* satir = liste_->topLevelItem(r);
        satir->setCheckState(3, sec_.count(satir->data(0, Qt::UserRole).toInt()) ? Qt::Checked : Qt::Unchecked);
    }
    for (int r = 0; r < resimler_->count(); ++r) {
        auto* resim = resimler_->item(r);
        resim->setCheckState(sec_.count(resim->data(Qt::UserRole).toInt()) ? Qt::Checked : Qt::Unchecked);
    }
    hepsi_->setText(sec_.size() < gosterilen_->silinen.size() ? t("Mark All") : t("Unmark All"));
    ana_->setText(sec_.empty() ? t("Back Up") : b("Restore %d and Back Up", {std::to_string(sec_.size())}));
}

// Pictures of the deleted files from the last copy, made off the window's
// thread; a file type's icon stays where no picture can be made.
void SoruPenceresi::resimleriYukle() {
    if (!resimler_ || resimler_->property("yuklendi").toBool()) return;
    resimler_->setProperty("yuklendi", true);
    QPointer<QListWidget> hedef(resimler_);
    for (int r = 0; r < resimler_->count(); ++r) {
        int i = resimler_->item(r)->data(Qt::UserRole).toInt();
        std::string yol;
        for (const auto& f : gosterilen_->silinen)
            if (f.i == i) yol = f.yol;
        QThreadPool::globalInstance()->start([hedef, r, kopya = m_.a.sonYedek, yol] {
            auto kaynak = GeriYukle::kopyaYolu(kopya, yol);
            if (!kaynak) return;
            QImageReader okuyucu(q(*kaynak));
            okuyucu.setAutoTransform(true);
            QSize boy = okuyucu.size();
            if (boy.isValid()) okuyucu.setScaledSize(boy.scaled(kResim, kResim, Qt::KeepAspectRatio));
            QImage resim = okuyucu.read();
            if (resim.isNull()) return;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [hedef, r, resim] {
                    if (hedef && r < hedef->count()) hedef->item(r)->setIcon(QIcon(QPixmap::fromImage(resim)));
                },
                Qt::QueuedConnection);
        });
    }
}

// A copy of each file from the backup, in a fresh temporary folder, opened
// with its default program: the file inside the backup is never opened.
void SoruPenceresi::kopyalariAc(const std::vector<int>& numaralar) {
    std::vector<std::string> yollar;
    for (int i : numaralar)
        for (const auto& f : gosterilen_->silinen)
            if (f.i == i) yollar.push_back(f.yol);
    QThreadPool::globalInstance()->start([kopya = m_.a.sonYedek, yollar] {
        for (const auto& yol : yollar) {
            auto kaynak = GeriYukle::kopyaYolu(kopya, yol);
            if (!kaynak) continue;
            std::string klasor = (fs::temp_directory_path() /
                                  ("Brimvale-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString()))
                                     .string();
            std::error_code ec;
            fs::create_directories(klasor, ec);
            std::string hedef = klasor + "/" + fs::path(yol).filename().string();
            if (komut("/usr/bin/ditto", {*kaynak, hedef}).kod == 0) komut("/usr/bin/open", {hedef});
        }
    });
}
