#pragma once
// Restore: the timeline of copies, the tree of the selected copy with a name
// search, and for the selected item its versions, a preview and the restore
// buttons. While the image is locked: a sentence, Unlock and the history.
// Every read of the image runs on the section's own workers.
#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "restore/Dugum.hpp"
#include "restore/GeriYukle.hpp"
#include "store/KopyaBilgisi.hpp"

class Model;
class KopyaAgaci;
class QButtonGroup;
class QLabel;
class QLineEdit;
class AramaSonuclari;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTimer;
class QTreeView;
class QTreeWidget;
class ZamanCizelgesi;

class GeriYuklemeSayfasi : public QWidget {
    Q_OBJECT
public:
    explicit GeriYuklemeSayfasi(Model& m, QWidget* ust = nullptr);
    ~GeriYuklemeSayfasi() override;
    void guncelle();

    // The search itself; tests put a slower one in its place.
    using AramaIsi = std::function<DugumListesi(const std::string& kopya, const std::string& metin,
                                                const std::function<bool()>& iptal)>;
    AramaIsi aramaIsi;
    // The section's workers, for a test to wait on.
    QThreadPool& havuz() { return havuz_; }

private:
    void kopyaGoster(const std::string& kopya);
    void ara();
    void aramaSonucu(int nesil, const DugumListesi& sonuc);
    void ogeSec(const std::shared_ptr<Dugum>& d);
    void surumleriGoster(int nesil, const std::vector<Surum>& surumler, bool yerineKonur);
    void surumSecildi();
    void onizle(const Surum& s);
    void kilitliGuncelle();
    void farkliKaydet();
    std::optional<Surum> seciliSurum() const;

    QThreadPool havuz_;
    Model& m_;
    QStackedWidget* sayfalar_;
    QWidget *ustSatir_, *tarayici_;
    ZamanCizelgesi* zaman_;
    QButtonGroup* olcekler_;
    QPushButton* kilitle_;
    // Locked.
    QLabel* kilitMetni_;
    QPushButton* kilidiAc_;
    QTreeWidget* gecmis_;
    QLabel* gecmisBos_;
    // No copies or none selected.
    QLabel* cumle_;
    // The browser.
    QLineEdit* arama_;
    QStackedWidget* solYigin_;
    QTreeView* agac_;
    KopyaAgaci* model_;
    QListView* sonuclar_;
    AramaSonuclari* aramaModeli_;
    QLabel *solCumle_, *aramaDurumu_;
    QStackedWidget* sagYigin_;
    QLabel *sagCumle_, *ogeAdi_;
    QTreeWidget* surumler_;
    QStackedWidget* onizleme_;
    QLabel *onizlemeCumle_, *resim_;
    QScrollArea* resimAlani_;
    QPlainTextEdit* metin_;
    QPushButton *ac_, *yerineKoy_, *farkliKaydet_;

    std::string gosterilenKopya_;
    // Each search, version and preview read carries the number it was asked
    // under; only the latest number's answer is shown.
    std::shared_ptr<std::atomic<int>> aramaNesli_ = std::make_shared<std::atomic<int>>(0);
    int surumNesli_ = 0, onizlemeNesli_ = 0;
    std::shared_ptr<Dugum> seciliOge_;
    std::vector<Surum> surumListesi_;
    bool yerineKonur_ = false;  // the selected item has a place on the computer
    std::vector<KopyaBilgisi> gosterilenGecmis_;
    bool gecmisGosterildi_ = false;
    QTimer* aramaZamani_;
};
