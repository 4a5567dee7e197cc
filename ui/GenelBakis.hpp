#pragma once
// The overview: where things stand, a running backup's progress and speed,
// how full the disk is, the last result, reminders, and the actions the
// state allows.
#include <QWidget>
#include <vector>

class Model;
class QLabel;
class QProgressBar;
class QPushButton;
class QFrame;
class HizGrafigi;
class DiskCubugu;

class GenelBakis : public QWidget {
public:
    explicit GenelBakis(Model& m, QWidget* ust = nullptr);
    void guncelle();

private:
    QFrame* ilkAdimKarti();
    void ilkAdimlariGuncelle();

    Model& m_;
    // The first start's card: one row per step, each with its mark, text and button.
    QFrame* ilkKart_;
    struct AdimSatiri {
        QLabel *isaret, *metin, *not_;
        QPushButton* dugme;
    };
    std::vector<AdimSatiri> adimlar_;
    QFrame* diskKarti_;
    QLabel *ikon_, *baslik_, *ayrinti_;
    QFrame* ilerleme_;
    QProgressBar* cubuk_;
    QLabel* ilerlemeMetni_;
    QPushButton *duraklat_, *durdur_;
    HizGrafigi* grafik_;
    DiskCubugu* disk_;
    QFrame* sonucKarti_;
    QLabel *sonucBaslik_, *sonucMetni_, *sonucTeknik_;
    QPushButton* ayrintilar_;
    QLabel* hatirlatma_;
    QPushButton *yedekle_, *cikar_, *yenidenBagla_;
};
