#include "ui/AnaPencere.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QThreadPool>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QStackedWidget>

#include "core/Komut.hpp"
#include "core/UygulamaBilgisi.hpp"
#include "core/Yerel.hpp"
#include "support/DestekRaporu.hpp"
#include "update/Guncelleyici.hpp"
#include "ui/AyarlarPenceresi.hpp"
#include "ui/GenelBakis.hpp"
#include "ui/GeriYuklemeSayfasi.hpp"
#include "ui/GunlukSayfasi.hpp"
#include "ui/KopyalarSayfasi.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"
#include "ui/Metin.hpp"

using namespace Arayuz;

namespace {

void goster(QPointer<AnaPencere> pencere, const QString& metin) {
    QMetaObject::invokeMethod(
        qApp, [pencere, metin] { if (pencere) QMessageBox::information(pencere, "Ondrak Brimvale", metin); },
        Qt::QueuedConnection);
}

}  // namespace

AnaPencere::AnaPencere(Model& m, QWidget* ust) : QMainWindow(ust), m_(m) {
    setWindowTitle("Ondrak Brimvale");
    resize(1100, 720);
    auto* orta = new QWidget(this);
    auto* yatay = new QHBoxLayout(orta);
    kenar_ = new QListWidget(orta);
    kenar_->setFixedWidth(200);
    kenar_->setIconSize(QSize(20, 20));
    sayfalar_ = new QStackedWidget(orta);
    genel_ = new GenelBakis(m_, sayfalar_);
    gunluk_ = new GunlukSayfasi(m_, sayfalar_);
    kopyalar_ = new KopyalarSayfasi(m_, sayfalar_);
    geri_ = new GeriYuklemeSayfasi(m_, sayfalar_);
    for (const auto& b : Kurallar::bolumler()) {
        // On the selection's colour the symbol is drawn in the selected text's.
        QIcon ikon = Semboller::ikon(b.sembol);
        QPixmap secili = ikon.pixmap(kenar_->iconSize());
        QPainter boya(&secili);
        boya.setCompositionMode(QPainter::CompositionMode_SourceIn);
        boya.fillRect(secili.rect(), kenar_->palette().color(QPalette::HighlightedText));
        boya.end();
        ikon.addPixmap(secili, QIcon::Selected);
        kenar_->addItem(new QListWidgetItem(ikon, t(b.baslik)));
        switch (b.bolum) {
            case Kurallar::Bolum::genel: sayfalar_->addWidget(genel_); break;
            case Kurallar::Bolum::gunluk: sayfalar_->addWidget(gunluk_); break;
            case Kurallar::Bolum::geriYukle:
                sayfalar_->addWidget(geri_);
                break;
            case Kurallar::Bolum::kopyalar: sayfalar_->addWidget(kopyalar_); break;
        }
    }
    yatay->addWidget(kenar_);
    yatay->addWidget(sayfalar_, 1);
    setCentralWidget(orta);
    connect(kenar_, &QListWidget::currentRowChanged, this, [this](int i) {
        sayfalar_->setCurrentIndex(i);
        m_.bolum = Kurallar::bolumler()[static_cast<size_t>(i)].bolum;
        if (m_.bolum == Kurallar::Bolum::geriYukle) geri_->guncelle();
    });
    for (size_t i = 0; i < Kurallar::bolumler().size(); ++i)
        if (Kurallar::bolumler()[i].bolum == m_.bolum) kenar_->setCurrentRow(static_cast<int>(i));
    connect(&m_, &Model::degisti, this, &AnaPencere::guncelle);
    menuleriKur();
}

// The menus and their shortcuts (Ctrl where another desktop has Command).
void AnaPencere::menuleriKur() {
    auto* uygulama = menuBar()->addMenu("Ondrak Brimvale");
    uygulama->addAction(t("About Ondrak Brimvale"), this, [this] {
        QMessageBox::about(this, t("About Ondrak Brimvale"),
                           "<b>Ondrak Brimvale</b><br>" + QString::fromStdString(UygulamaBilgisi::tam()));
    });
    auto* guncelle = uygulama->addAction(t("Check for Updates…"), this, [this] { guncellemeDenetle(); });
    guncelle->setEnabled(Guncelleyici::etkin());
    uygulama->addSeparator();
    auto* ayarlar = uygulama->addAction(t("Settings…"), this, [this] { ayarlariAc(AyarlarPenceresi::genel); });
    // Ctrl+, wherever the desktop has no binding of its own for it.
    auto kisayollar = QKeySequence::keyBindings(QKeySequence::Preferences);
    if (!kisayollar.contains(QKeySequence(Qt::CTRL | Qt::Key_Comma))) kisayollar.append(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    ayarlar->setShortcuts(kisayollar);
    ayarlar->setMenuRole(QAction::PreferencesRole);
    uygulama->addSeparator();
    uygulama->addAction(t("Quit"), QKeySequence::Quit, qApp, &QApplication::quit);

    auto* yedek = menuBar()->addMenu(t("Backup"));
    yedek->addAction(t("Back Up Now"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), this,
                     [this] { m_.simdiYedekle(); });
    yedek->addAction(t("Eject Backup Disk"), QKeySequence(Qt::CTRL | Qt::Key_E), this,
                     [this] { m_.diskiCikar(m_.a.calisiyor); });

    auto* yardim = menuBar()->addMenu(t("Help"));
    // The maker's pages, in the default browser.
    auto sayfa = [yardim](const char* baslik, const char* adres) {
        yardim->addAction(t(baslik), yardim, [adres] {
            QThreadPool::globalInstance()->start([adres] { komut("/usr/bin/open", {adres}); });
        });
    };
    sayfa("Ondrak Brimvale Help", "https://ondrak.example/brimvale/help");
    yardim->addAction(t("Create Support Report…"), this, [this] { destekRaporu(); });
    yardim->addSeparator();
    sayfa("Privacy Policy", "https://ondrak.example/privacy");
    sayfa("Imprint", "https://ondrak.example/imprint");
}

// The report is written and handed to the mail program or the file manager
// off the window's thread.
void AnaPencere::destekRaporu() {
    QPointer<AnaPencere> ben(this);
    QThreadPool::globalInstance()->start([ben, izin = DestekRaporu::Izin{m_.izin.tamDisk, m_.izin.arkaPlan}] {
        try {
            (void)DestekRaporu::olustur(izin);
        } catch (const std::exception& e) {
            goster(ben, QString::fromStdString(e.what()));
        }
    });
}

void AnaPencere::guncellemeDenetle() {
    // Told from the update's thread; shown on the window's.
    struct Surucu : Guncelleme::Surucu {
        QPointer<AnaPencere> pencere;
        void bulundu(const Guncelleme::Surum& s) override {
            goster(pencere, QString::fromStdString(Yerel::bicim("Version %@ is being installed.", {s.surum})));
        }
        void yok() override { goster(pencere, t("Ondrak Brimvale is up to date.")); }
        void hata(const std::string& h) override { goster(pencere, QString::fromStdString(h)); }
        // The new version has been opened.
        void kuruldu() override { QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection); }
    };
    static Surucu surucu;
    surucu.pencere = this;
    if (Guncelleyici::ortak().denetlenebilir()) Guncelleyici::ortak().denetle(surucu);
}

void AnaPencere::ayarlariAc(int sekme) {
    if (!ayarlar_) ayarlar_ = new AyarlarPenceresi(m_, this);
    ayarlar_->ac(sekme);
}

void AnaPencere::ayarlariAc(QWidget* icinden, int sekme) {
    for (QWidget* w = icinden; w; w = w->parentWidget())
        if (auto* ana = dynamic_cast<AnaPencere*>(w)) return ana->ayarlariAc(sekme);
}

void AnaPencere::guncelle() {
    genel_->guncelle();
    if (m_.bolum == Kurallar::Bolum::gunluk) gunluk_->guncelle();
    if (m_.bolum == Kurallar::Bolum::kopyalar) kopyalar_->guncelle();
    if (m_.bolum == Kurallar::Bolum::geriYukle) geri_->guncelle();
    // One message at a time; the view clears it.
    if (m_.mesaj && isVisible()) {
        QString metin = QString::fromStdString(*m_.mesaj);
        m_.mesaj.reset();
        QMessageBox::information(this, "Ondrak Brimvale", metin);
    }
}
