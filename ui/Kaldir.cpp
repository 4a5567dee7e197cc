#include "ui/Kaldir.hpp"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "agent/Kurulum.hpp"
#include "backup/Durum.hpp"
#include "core/Yerel.hpp"
#include "support/Kaldirma.hpp"
#include "ui/Model.hpp"

void kaldirmayiSor(Model& m, QWidget* ust) {
    auto t = [](const char* s) { return QString::fromStdString(Yerel::metin(s)); };
    QMessageBox soru(QMessageBox::Warning, "Ondrak Brimvale", t("Uninstall Ondrak Brimvale?"), QMessageBox::NoButton,
                     ust);
    soru.setInformativeText(
        t("The background agent and Brimvale's settings and log are removed, and the app is moved to the Trash. "
          "Your backups on the disk stay. The backup password stays in the Keychain (“Ondrak Brimvale”) so you can "
          "still open your backups."));
    auto* kaldir = soru.addButton(t("Uninstall"), QMessageBox::DestructiveRole);
    soru.addButton(t("Cancel"), QMessageBox::RejectRole);
    soru.exec();
    if (soru.clickedButton() != kaldir) return;
    Kaldirma::Isler isler{[] { return Yedekleme::calisanPid().has_value(); }, [] { Kurulum::ajaniKaldir(); }};
    if (auto hata = Kaldirma::kaldir(true, isler)) {
        m.mesaj = *hata;
        emit m.degisti();
        return;
    }
    QApplication::quit();
}
