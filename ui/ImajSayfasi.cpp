#include "ui/ImajSayfasi.hpp"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "agent/Kurulum.hpp"
#include "core/Ayarlar.hpp"
#include "ui/Arkada.hpp"
#include "ui/Kurallar.hpp"
#include "ui/Metin.hpp"
#include "ui/Model.hpp"
#include "ui/Semboller.hpp"

using namespace Arayuz;

ImajSayfasi::ImajSayfasi(Model& m, Birim birim, QWidget* ust) : QDialog(ust), m_(m), birim_(std::move(birim)) {
    setWindowTitle(t("Create Encrypted Backup"));
    setWindowModality(Qt::WindowModal);
    auto* d = new QVBoxLayout(this);
    d->addWidget(yazi(t("Create Encrypted Backup"), this, 3, true));
    d->addWidget(yazi(b("An encrypted backup file (AES-256) is created on “%@”. It grows as needed, up to 95%% of the "
                        "disk.",
                        {birim_.ad}),
                      this));

    auto* form = new QFormLayout;
    parola_ = new QLineEdit(this);
    tekrar_ = new QLineEdit(this);
    for (auto* alan : {parola_, tekrar_}) {
        alan->setEchoMode(QLineEdit::Password);
        alan->setMinimumWidth(260);
        connect(alan, &QLineEdit::textChanged, this, &ImajSayfasi::denetle);
    }
    form->addRow(t("Password"), parola_);
    form->addRow(t("Repeat password"), tekrar_);
    // The hint, and under it whether the two fields differ.
    auto* ipuclari = new QWidget(this);
    auto* iy = new QVBoxLayout(ipuclari);
    iy->setContentsMargins(0, 0, 0, 0);
    iy->setSpacing(2);
    // Short lines: unwrapped, so the form gives them only their own height.
    auto* ipucu = new QLabel(t("At least 8 characters."), ipuclari);
    ipucu->setEnabled(false);
    farkli_ = new QLabel(t("The two passwords are not the same."), ipuclari);
    farkli_->setStyleSheet("color: #d35400");
    farkli_->hide();
    iy->addWidget(ipucu);
    iy->addWidget(farkli_);
    form->addRow(QString(), ipuclari);
    d->addLayout(form);

    // What would be lost without the password, beside its warning sign.
    d->addLayout(Semboller::yaninda("exclamationmark.triangle.fill", 24,
                                    yazi(t("Write the password down or keep it in a password manager. If this Mac "
                                           "is lost, only this password opens the backup on another Mac."),
                                         this, 0, true)));
    auto* disk = yazi(t("Only an encrypted file is created on the disk; the disk itself is not erased or reformatted. "
                        "Other files on it (for example a Ventoy boot disk) stay as they are."),
                      this);
    disk->setEnabled(false);
    d->addWidget(disk);

    hata_ = yazi("", this);
    hata_->setStyleSheet("color: #c0392b");
    hata_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hata_->hide();
    d->addWidget(hata_);
    d->addStretch(1);

    auto* alt = new QHBoxLayout;
    mesgul_ = new QProgressBar(this);
    mesgul_->setRange(0, 0);  // moving: no fraction to show
    mesgul_->setMaximumWidth(140);
    mesgul_->setTextVisible(false);
    mesgul_->hide();
    alt->addWidget(mesgul_);
    alt->addStretch(1);
    vazgec_ = new QPushButton(t("Cancel"), this);
    olustur_ = new QPushButton(t("Create"), this);
    olustur_->setDefault(true);
    alt->addWidget(vazgec_);
    alt->addWidget(olustur_);
    d->addLayout(alt);
    connect(vazgec_, &QPushButton::clicked, this, &ImajSayfasi::reject);
    connect(olustur_, &QPushButton::clicked, this, &ImajSayfasi::olustur);
    denetle();
    // Room for the mismatch line and an error, so nothing jumps when they show.
    resize(520, sizeHint().height() + 2 * fontMetrics().lineSpacing());
}

void ImajSayfasi::reject() {
    if (!calisiyor_) QDialog::reject();
}

void ImajSayfasi::denetle() {
    // Said once the second field is as long as the first.
    farkli_->setVisible(tekrar_->text().size() >= parola_->text().size() && parola_->text() != tekrar_->text());
    olustur_->setEnabled(!calisiyor_ &&
                         Kurallar::parolaUygun(parola_->text().toStdString(), tekrar_->text().toStdString()));
}

// The keyring first: an image whose password was not kept could never be
// opened again, so without it nothing is created.
void ImajSayfasi::olustur() {
    std::string parola = parola_->text().toStdString();
    if (calisiyor_ || !Kurallar::parolaUygun(parola, tekrar_->text().toStdString())) return;
    calisiyor_ = true;
    hata_->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{parola_, tekrar_, vazgec_}) w->setEnabled(false);
    mesgul_->show();
    denetle();
    arkada(
        this,
        [birim = birim_, ayar = m_.ayarlar, parola = std::move(parola)]() -> std::optional<std::string> {
            if (!Kurulum::parolaKaydet(parola, ayar))
                return Yerel::metin("The password could not be saved in the Keychain.");
            return Kurulum::imajOlustur(birim, ayar, parola);
        },
        [this](const std::optional<std::string>& hata) { bitti(hata); });
}

void ImajSayfasi::bitti(const std::optional<std::string>& hata) {
    calisiyor_ = false;
    mesgul_->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{parola_, tekrar_, vazgec_}) w->setEnabled(true);
    if (!hata) {
        parola_->clear();
        tekrar_->clear();
        emit olusturuldu();
        m_.yenile();
        accept();
        return;
    }
    // A tool that failed without a word still gets a sentence.
    hata_->setText(hata->empty() ? t("The encrypted backup could not be created.") : q(*hata));
    hata_->show();
    denetle();
}
