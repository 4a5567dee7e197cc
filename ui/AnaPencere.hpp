#pragma once
// The main window: the sections in a sidebar, each section a page.
#include <QMainWindow>

class Model;
class QListWidget;
class QStackedWidget;
class GenelBakis;
class GunlukSayfasi;
class KopyalarSayfasi;
class GeriYuklemeSayfasi;

class AyarlarPenceresi;

class AnaPencere : public QMainWindow {
public:
    explicit AnaPencere(Model& m, QWidget* ust = nullptr);
    void guncelle();
    // The one settings window, shown at a tab (AyarlarPenceresi::Sekme).
    void ayarlariAc(int sekme = 0);
    // The same from any widget inside the main window (the overview's
    // guidance): nothing when it is not inside one.
    static void ayarlariAc(QWidget* icinden, int sekme);

private:
    void menuleriKur();
    void destekRaporu();
    void guncellemeDenetle();
    Model& m_;
    QListWidget* kenar_;
    QStackedWidget* sayfalar_;
    GenelBakis* genel_;
    GunlukSayfasi* gunluk_;
    KopyalarSayfasi* kopyalar_;
    AyarlarPenceresi* ayarlar_ = nullptr;
    GeriYuklemeSayfasi* geri_;
};
