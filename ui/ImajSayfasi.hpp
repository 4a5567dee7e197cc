#pragma once
// The sheet that creates the encrypted image on the chosen disk: the
// password twice, what happens to the disk, and "Create", which stores the
// password in the keyring and then creates the image off the window's thread.
#include <QDialog>

#include "disk/Disk.hpp"

class Model;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class ImajSayfasi : public QDialog {
    Q_OBJECT
public:
    ImajSayfasi(Model& m, Birim birim, QWidget* ust);
    // A sheet that is working is not closed by Esc.
    void reject() override;

signals:
    // The image is on the disk.
    void olusturuldu();

private:
    void denetle();
    void olustur();
    void bitti(const std::optional<std::string>& hata);

    Model& m_;
    Birim birim_;
    QLineEdit *parola_, *tekrar_;
    QLabel *farkli_, *hata_;
    QProgressBar* mesgul_;
    QPushButton *olustur_, *vazgec_;
    bool calisiyor_ = false;
};
