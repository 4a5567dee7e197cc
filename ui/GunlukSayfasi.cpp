#include "ui/GunlukSayfasi.hpp"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "core/Gunluk.hpp"
#include "core/Yerel.hpp"
#include "ui/Model.hpp"

GunlukSayfasi::GunlukSayfasi(const Model& m, QWidget* ust) : QWidget(ust), m_(m) {
    auto* d = new QVBoxLayout(this);
    teknik_ = new QCheckBox(QString::fromStdString(Yerel::metin("Show technical lines")), this);
    metin_ = new QPlainTextEdit(this);
    metin_->setReadOnly(true);
    metin_->setLineWrapMode(QPlainTextEdit::NoWrap);
    metin_->setFont(QFont("monospace"));
    d->addWidget(teknik_);
    d->addWidget(metin_, 1);
    connect(teknik_, &QCheckBox::toggled, this, [this] {
        gosterilen_.clear();
        guncelle();
    });
    guncelle();
}

void GunlukSayfasi::guncelle() {
    std::string yeni;
    for (const auto& s : m_.a.gunluk)
        if (teknik_->isChecked() || !Gunluk::teknik(s)) yeni += s + "\n";
    if (yeni == gosterilen_) return;
    gosterilen_ = yeni;
    auto* kaydirma = metin_->verticalScrollBar();
    bool sonda = kaydirma->value() >= kaydirma->maximum() - 2;
    int eski = kaydirma->value();
    metin_->setPlainText(QString::fromStdString(yeni));
    kaydirma->setValue(sonda ? kaydirma->maximum() : eski);
}
