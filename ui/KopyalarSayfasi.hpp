#pragma once
// Replaced items: every restore in place with the current item it kept
// aside, to undo the restore or move the kept copies to the Trash.
#include <QWidget>
#include <set>
#include <string>

class Model;
class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

class KopyalarSayfasi : public QWidget {
public:
    explicit KopyalarSayfasi(Model& m, QWidget* ust = nullptr);
    void guncelle();

private:
    std::set<std::string> secili() const;
    void copeAt(const std::set<std::string>& idler);

    Model& m_;
    QCheckBox* hepsi_;
    QTreeWidget* liste_;
    QLabel* bos_;
    QPushButton *geriAl_, *copeAt_;
};
