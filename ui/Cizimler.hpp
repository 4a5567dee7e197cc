#pragma once
// The two pictures of the overview: the speed of the last 120 s and how the
// backup disk is filled.
#include <QWidget>
#include <deque>

#include "ui/Kurallar.hpp"

class Model;

// Draws the points it is given (the model's) with the speed now as text.
class HizGrafigi : public QWidget {
public:
    HizGrafigi(const std::deque<Kurallar::HizNoktasi>& noktalar, const double& hiz, QWidget* ust = nullptr);
    QSize sizeHint() const override { return {480, 110}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const std::deque<Kurallar::HizNoktasi>& noktalar_;
    const double& hiz_;
};

class DiskCubugu : public QWidget {
public:
    explicit DiskCubugu(const Model& m, QWidget* ust = nullptr);
    QSize sizeHint() const override { return {480, 54}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const Model& m_;
};
