#pragma once
// The log: its last 500 lines read from the end of the file, technical lines
// hidden unless asked for, newest at the bottom, following new lines unless
// the reader scrolled up.
#include <QWidget>
#include <string>

class QPlainTextEdit;
class QCheckBox;
class Model;

class GunlukSayfasi : public QWidget {
public:
    explicit GunlukSayfasi(const Model& m, QWidget* ust = nullptr);
    void guncelle();

private:
    const Model& m_;
    QPlainTextEdit* metin_;
    QCheckBox* teknik_;
    std::string gosterilen_;
};
