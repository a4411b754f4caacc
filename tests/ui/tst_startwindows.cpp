// The windows around the main one: the splash window's scaling and the about box.
#include "About/Aboutbox.h"
#include "startscr/Splash.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace korvo::ui;

class TestStartWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splashDivisor_data() {
        QTest::addColumn<int>("picture");
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("divisor");
        QTest::newRow("fits at once") << 640 << 1280 << 1;
        QTest::newRow("half") << 1200 << 1280 << 2;
        QTest::newRow("integer divisions") << 641 << 1281 << 2; // 641 > 640
        QTest::newRow("stops at 8") << 100000 << 1280 << 8;
        QTest::newRow("tiny screen") << 640 << 1 << 8;
    }
    void splashDivisor() {
        QFETCH(int, picture);
        QFETCH(int, screen);
        QFETCH(int, divisor);
        QCOMPARE(TSplash::ScaleDivisor(picture, screen), divisor);
    }

    void splashIsBorderlessAndSized() {
        TSplash splash;
        QCOMPARE(splash.windowTitle(), QStringLiteral("Splash"));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        const QPixmap pic = ProductPicture();
        const int d = TSplash::ScaleDivisor(pic.width(), splash.screen()->geometry().width());
        QCOMPARE(splash.size(), QSize(pic.width() / d, pic.height() / d));
    }

    void aboutBoxTextsAndButton() {
        TAboutbox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About Korvo"));
        QStringList texts;
        for (QLabel* l : box.findChildren<QLabel*>())
            texts << l->text();
        QVERIFY(texts.contains(QStringLiteral("User Language(s): English")));
        QVERIFY(texts.contains(QStringLiteral("Programming Language(s): IEC1131-3 Instruction List (IL)")));
        QVERIFY(texts.contains(QStringLiteral("Thank you very much for using our Korvo!")));
        QCOMPARE(box.palette().color(QPalette::Window), QColor(255, 255, 208));
        auto* back = box.findChild<QPushButton*>(QStringLiteral("BackToWork"));
        QVERIFY(back);
        QCOMPARE(back->text(), QStringLiteral("Back to work"));
        QVERIFY(back->isDefault());
        // Escape counts as the button: the result is OK.
        box.show();
        QTest::keyClick(&box, Qt::Key_Escape);
        QCOMPARE(box.result(), int(QDialog::Accepted));
        box.show();
        back->click();
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestStartWindows)
#include "tst_startwindows.moc"
