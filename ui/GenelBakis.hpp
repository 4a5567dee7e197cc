#pragma once
// The overview: where things stand, a running backup's progress and speed,
// how full the disk is, the last result, reminders, and the actions the
// state allows.
#include <QWidget>

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
    Model& m_;
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
