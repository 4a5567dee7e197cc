#pragma once
// The settings: four tabs, each control one field of the settings, saved as
// soon as it changes (a text when its editing ends). The disk list, the
// agent's state and the program inventory are found off the window's thread.
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Ayarlar.hpp"
#include "disk/Disk.hpp"
#include "recovery/Program.hpp"

class Model;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QTreeWidget;

class AyarlarPenceresi : public QWidget {
    Q_OBJECT
public:
    // The tabs, in their order.
    enum Sekme { genel, klasorler, gecmis, kurtulus };

    explicit AyarlarPenceresi(Model& m, QWidget* ust = nullptr);
    // Shows the window at a tab, in front, with the controls as the settings
    // stand now.
    void ac(int sekme);

    // A disk offered for backups, and whether the image is already on it.
    struct SunulanBirim {
        Birim birim;
        bool imajVar = false;
    };
    // Lists the disks again, off the window's thread.
    void birimleriBul();

    // The disks offered for backups (asked on a worker); the tests offer
    // their own folders in their place.
    std::function<std::vector<Birim>()> birimleriListele;
    // Asks the user for a folder (or a file); nothing when cancelled. The
    // tests answer in the user's place.
    std::function<std::optional<std::string>(const QString& baslik, const std::string& baslangic, bool klasor)>
        yolSor;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* nesne, QEvent* olay) override;

private:
    QWidget* genelSekmesi();
    QWidget* klasorSekmesi();
    QWidget* gecmisSekmesi();
    QWidget* kurtulusSekmesi();

    // Every control from the settings, without saving anything back.
    void doldur();
    // One field changed: into the model's settings and saved.
    void degistir(const std::function<void(Ayarlar&)>& degisiklik);
    // The multi-line texts, when they differ from the settings.
    void metinleriKaydet();

    void birimleriGoster(const std::vector<SunulanBirim>& birimler);
    void diskSatirlari();
    void imajSayfasiniAc();
    void ajaniOlc();
    void ajaniKur();
    void kaynakEkle();
    void oncelikEkle();
    // "+" and "−" under a list of the folders in `alan`: "+" calls `ekle`, "−"
    // takes the selected folder out. Buttons named `ad` + "Ekle" / "Cikar".
    QHBoxLayout* listeDugmeleri(QListWidget* liste, std::vector<std::string> Ayarlar::*alan, void (AyarlarPenceresi::*ekle)(),
                                const QString& cikarIpucu, const QString& ad, QWidget* ust);
    void programlariBul();
    void programlariSec();
    void programlariGoster(const std::vector<Program>& programlar);
    void dosyaSatiri(QLabel* etiket, QPushButton* yok, const std::optional<std::string>& yol);

    Model& m_;
    QTabWidget* sekmeler_;

    // General
    QComboBox* disk_;
    std::optional<std::vector<SunulanBirim>> birimler_;  // nothing until listed once
    bool birimAraniyor_ = false;
    QTimer birimZamani_{this};
    QLabel *imajDurumu_, *imajNotu_;
    QPushButton* imajDugmesi_;
    QCheckBox* otomatikCikar_;
    QLabel* ajanDurumu_;
    QPushButton *ajanDugmesi_, *girisIzni_;

    // Folders
    QListWidget* kaynaklar_;
    QPlainTextEdit* haric_;

    // History
    QCheckBox* seyrelt_;
    std::vector<QSpinBox*> saklama_;

    // Recovery
    QListWidget* oncelik_;
    QLabel* programDurumu_;
    QTreeWidget* programlar_;
    QPushButton *programCikar_, *geriGetir_;
    std::optional<std::vector<Program>> bulunan_;
    int programKusagi_ = 0;  // a late answer for older settings is dropped
    QPlainTextEdit* not_;
    QLabel *oncelikListesi_, *kurulumBetigi_;
    QPushButton *oncelikListesiYok_, *kurulumBetigiYok_;
};
