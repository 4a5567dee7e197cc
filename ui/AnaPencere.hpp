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

class AnaPencere : public QMainWindow {
public:
    explicit AnaPencere(Model& m, QWidget* ust = nullptr);
    void guncelle();

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
    GeriYuklemeSayfasi* geri_;
};
