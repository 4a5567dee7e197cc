#pragma once
// The question when the agent has looked at what changed and waits: back up
// (bringing marked deleted files back first), eject, or not now. Every
// answer is written as the decision file through the model.
#include <QWidget>
#include <optional>
#include <set>

#include "backup/Ozet.hpp"

class Model;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

class SoruPenceresi : public QWidget {
public:
    explicit SoruPenceresi(Model& m, QWidget* ust = nullptr);
    // Builds the page anew when the summary changed.
    void guncelle();
    const std::set<int>& secilenler() const { return sec_; }

private:
    void kur();
    QWidget* duzSayfa(const Ozet& o);
    QWidget* silinenlerSayfasi(const Ozet& o);
    void isaretle(int i, bool isaretli);
    void isaretleriGoster();
    void kopyalariAc(const std::vector<int>& numaralar);
    void resimleriYukle();

    Model& m_;
    std::optional<Ozet> gosterilen_;
    std::set<int> sec_;
    bool izgara_;
    QWidget* icerik_ = nullptr;
    QStackedWidget* gorunum_ = nullptr;
    QTreeWidget* liste_ = nullptr;
    QListWidget* resimler_ = nullptr;
    QPushButton *hepsi_ = nullptr, *ana_ = nullptr;
};
