#pragma once
// The two pictures of the overview: the speed of the last 120 s and how the
// backup disk is filled.
#include <QWidget>

class Model;

class HizGrafigi : public QWidget {
public:
    explicit HizGrafigi(const Model& m, QWidget* ust = nullptr);
    QSize sizeHint() const override { return {480, 110}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const Model& m_;
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
