// Splash window shown while the program starts: one picture, scaled to at most half the screen.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace korvo::ui {

// The product picture of splash window and about box, drawn once.
QPixmap ProductPicture();

class TSplash : public QWidget {
    Q_OBJECT
public:
    explicit TSplash(QWidget* parent = nullptr);

    // Smallest divisor d in 1..8 with pictureWidth / d <= screenWidth / 2 (integer divisions).
    static int ScaleDivisor(int pictureWidth, int screenWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap FPicture;
};

} // namespace korvo::ui
