#pragma once
// The copies as ticks on a time axis at the zoom's span, the selected one
// highlighted. A click or the arrow keys choose a copy.
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Kurallar.hpp"

class ZamanCizelgesi : public QWidget {
    Q_OBJECT
public:
    explicit ZamanCizelgesi(QWidget* ust = nullptr);

    // The copies' names, oldest first, and the one selected.
    void kopyalar(const std::vector<std::string>& adlar, const std::optional<std::string>& secili);
    void olcek(Kurallar::Olcek o);
    // Told when the user chooses a copy.
    std::function<void(const std::string&)> secilince;

    // What is drawn: the stretch and where a copy's tick is (for tests).
    Kurallar::Aralik aralik() const;
    double x(size_t i) const;

    QSize sizeHint() const override { return {640, 86}; }
    QSize minimumSizeHint() const override { return {240, 70}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void sec(size_t i);
    double kenar() const;

    std::vector<std::string> adlar_;
    std::vector<double> zamanlar_;
    std::optional<size_t> secili_;
    Kurallar::Olcek olcek_ = Kurallar::Olcek::ay;
};
