#include "About/Aboutbox.h"

#include "startscr/Splash.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace korvo::ui {

namespace {
constexpr const char* RELEASE_DATE = "2026-12-11";

QPixmap BookPicture() {
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 40, 20), 2));
    p.setBrush(QColor(170, 40, 40));
    p.drawRoundedRect(QRectF(8, 6, 32, 38), 3, 3);
    p.setBrush(QColor(250, 245, 230));
    p.drawRect(QRectF(12, 38, 28, 4));
    p.setPen(QPen(QColor(255, 220, 90), 2));
    p.drawLine(16, 16, 34, 16);
    p.drawLine(16, 22, 30, 22);
    return pm;
}
} // namespace

TAboutbox::TAboutbox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Aboutbox"));
    setWindowTitle(QStringLiteral("About Korvo"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 208));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(ProductPicture().scaledToWidth(320, Qt::SmoothTransformation));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);
    auto line = [&](const QString& text, bool bold = false) {
        auto* l = new QLabel(text, this);
        l->setAlignment(Qt::AlignCenter);
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        layout->addWidget(l);
    };
    line(QStringLiteral("Korvo  Release ") + QStringLiteral(KORVO_VERSION) + QStringLiteral("  (") +
             QString::fromLatin1(RELEASE_DATE) + QLatin1Char(')'),
         true);
    line(QStringLiteral("User Language(s): English"));
    line(QStringLiteral("Programming Language(s): IEC1131-3 Instruction List (IL)"));
    line(QStringLiteral("Thank you very much for using our Korvo!"));
    auto* bottom = new QHBoxLayout;
    auto* book = new QLabel(this);
    book->setPixmap(BookPicture());
    bottom->addWidget(book);
    bottom->addStretch(1);
    auto* back = new QPushButton(QStringLiteral("Back to work"), this);
    back->setObjectName(QStringLiteral("BackToWork"));
    back->setDefault(true);
    back->setAutoDefault(true);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    bottom->addWidget(back);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace korvo::ui
