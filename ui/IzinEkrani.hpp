#pragma once
// The permissions the program needs, a row each with the action that grants
// it; a row turns to "On" as soon as the model's refresh sees the grant.
#include <QWidget>
#include <vector>

class Model;
class QLabel;
class QPushButton;

class IzinEkrani : public QWidget {
public:
    explicit IzinEkrani(Model& m, QWidget* ust = nullptr);
    void guncelle();

private:
    struct Satir {
        QPushButton* dugme;
        QWidget* acik;
    };
    Model& m_;
    std::vector<Satir> satirlar_;
    QLabel *durumIkonu_, *durum_;
};
