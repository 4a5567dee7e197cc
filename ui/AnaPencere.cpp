#include "ui/AnaPencere.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QStackedWidget>

#include "core/Yerel.hpp"
#include "ui/GenelBakis.hpp"
#include "ui/GunlukSayfasi.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"

namespace {

QString t(const char* s) { return QString::fromStdString(Yerel::metin(s)); }

// A section that is not built yet says so in a sentence.
QWidget* yakinda(const char* metin, QWidget* ust) {
    auto* l = new QLabel(t(metin), ust);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    return l;
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
    for (const auto& b : Kurallar::bolumler()) {
        kenar_->addItem(new QListWidgetItem(Semboller::ikon(b.sembol), t(b.baslik)));
        switch (b.bolum) {
            case Kurallar::Bolum::genel: sayfalar_->addWidget(genel_); break;
            case Kurallar::Bolum::gunluk: sayfalar_->addWidget(gunluk_); break;
            case Kurallar::Bolum::geriYukle:
                sayfalar_->addWidget(yakinda("Browsing and restoring copies comes in a later version.", sayfalar_));
                break;
            case Kurallar::Bolum::kopyalar:
                sayfalar_->addWidget(yakinda("Replaced items are listed in a later version.", sayfalar_));
                break;
        }
    }
    yatay->addWidget(kenar_);
    yatay->addWidget(sayfalar_, 1);
    setCentralWidget(orta);
    connect(kenar_, &QListWidget::currentRowChanged, this, [this](int i) {
        sayfalar_->setCurrentIndex(i);
        m_.bolum = Kurallar::bolumler()[static_cast<size_t>(i)].bolum;
    });
    for (size_t i = 0; i < Kurallar::bolumler().size(); ++i)
        if (Kurallar::bolumler()[i].bolum == m_.bolum) kenar_->setCurrentRow(static_cast<int>(i));
    connect(&m_, &Model::degisti, this, &AnaPencere::guncelle);
}

void AnaPencere::guncelle() {
    genel_->guncelle();
    if (m_.bolum == Kurallar::Bolum::gunluk) gunluk_->guncelle();
    // One message at a time; the view clears it.
    if (m_.mesaj && isVisible()) {
        QString metin = QString::fromStdString(*m_.mesaj);
        m_.mesaj.reset();
        QMessageBox::information(this, "Ondrak Brimvale", metin);
    }
}
