#include "startscr/Splash.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace korvo::ui {

QPixmap ProductPicture() {
    static QPixmap picture = [] {
        QPixmap pm(640, 360);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient bg(0, 0, 0, 360);
        bg.setColorAt(0, QColor(24, 52, 96));
        bg.setColorAt(1, QColor(8, 20, 40));
        p.fillRect(pm.rect(), bg);
        // A ladder rung motif: two rails, contacts and a coil.
        QPen rail(QColor(120, 200, 255), 6);
        p.setPen(rail);
        p.drawLine(60, 60, 60, 300);
        p.drawLine(580, 60, 580, 300);
        QPen rung(QColor(120, 200, 255), 4);
        p.setPen(rung);
        for (int y : {110, 250}) {
            p.drawLine(60, y, 160, y);
            p.drawLine(160, y - 22, 160, y + 22);
            p.drawLine(184, y - 22, 184, y + 22);
            p.drawLine(184, y, 300, y);
            p.drawLine(300, y - 22, 300, y + 22);
            p.drawLine(324, y - 22, 324, y + 22);
            p.drawLine(324, y, 460, y);
            p.drawArc(QRect(460, y - 22, 44, 44), 100 * 16, 160 * 16);
            p.drawArc(QRect(476, y - 22, 44, 44), -80 * 16, 160 * 16);
            p.drawLine(520, y, 580, y);
        }
        QFont title(QStringLiteral("Sans Serif"));
        title.setPixelSize(72);
        title.setBold(true);
        p.setFont(title);
        p.setPen(QColor(255, 220, 90));
        p.drawText(QRect(0, 130, 640, 90), Qt::AlignCenter, QStringLiteral("Korvo"));
        QFont sub(QStringLiteral("Sans Serif"));
        sub.setPixelSize(20);
        p.setFont(sub);
        p.setPen(QColor(220, 235, 255));
        p.drawText(QRect(0, 300, 640, 40), Qt::AlignCenter,
                   QStringLiteral("IEC 61131-3 Instruction List IDE and soft PLC"));
        return pm;
    }();
    return picture;
}

int TSplash::ScaleDivisor(int pictureWidth, int screenWidth) {
    int d = 1;
    while (d < 8 && pictureWidth / d > screenWidth / 2)
        ++d;
    return d;
}

TSplash::TSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FPicture(ProductPicture()) {
    setObjectName(QStringLiteral("Splash"));
    setWindowTitle(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1280, 800);
    const int d = ScaleDivisor(FPicture.width(), area.width());
    resize(FPicture.width() / d, FPicture.height() / d);
    move(area.center() - rect().center());
}

void TSplash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(rect(), FPicture);
}

} // namespace korvo::ui
