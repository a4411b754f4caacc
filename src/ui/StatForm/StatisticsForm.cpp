// The performance window.
#include "StatForm/StatisticsForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace korvo::ui {

class TStatisticsForm::TQtRunTimer final : public IRunTimer {
public:
    explicit TQtRunTimer(QTimer& t) : FTimer(t) {}
    void SetInterval(int ms) override { FTimer.setInterval(ms); }
    int Interval() const override { return FTimer.interval(); }

private:
    QTimer& FTimer;
};

TStatisticsForm::TStatisticsForm(TSoftAG& softAG, QTimer& runTimer, QWidget* parent)
    : QWidget(parent, Qt::Tool), FRunTimer(std::make_unique<TQtRunTimer>(runTimer)),
      FModel(std::make_unique<TStatisticsModel>(softAG, *FRunTimer)) {
    FormCreate();
}

TStatisticsForm::~TStatisticsForm() = default;

void TStatisticsForm::FormCreate() {
    setObjectName(QStringLiteral("StatisticsForm"));
    setWindowTitle(QStringLiteral("Performance"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);

    FedCycleTime = new QLineEdit(this);
    FedCycleTime->setObjectName(QStringLiteral("edCycleTime"));
    FedCycleTime->setReadOnly(true);
    grid->addWidget(new QLabel(QStringLiteral("Cycle exec. time:"), this), 0, 0);
    grid->addWidget(FedCycleTime, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("ms"), this), 0, 2);

    FedCmdPSec = new QLineEdit(this);
    FedCmdPSec->setObjectName(QStringLiteral("edCmdPSec"));
    FedCmdPSec->setReadOnly(true);
    grid->addWidget(new QLabel(QStringLiteral("Commands per sec:"), this), 1, 0);
    grid->addWidget(FedCmdPSec, 1, 1);

    FcbPLCClock = new QCheckBox(QStringLiteral("Specify Execution Clock:"), this);
    FcbPLCClock->setObjectName(QStringLiteral("cbPLCClock"));
    FedPLCClock = new QLineEdit(QStringLiteral("5"), this);
    FedPLCClock->setObjectName(QStringLiteral("edPLCClock"));
    FedPLCClock->setEnabled(false);
    grid->addWidget(FcbPLCClock, 2, 0);
    grid->addWidget(FedPLCClock, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("ms"), this), 2, 2);
    FClockHint = new QLabel(this);
    FClockHint->setObjectName(QStringLiteral("ClockHint"));
    FClockHint->setWordWrap(true);
    FClockHint->setStyleSheet(QStringLiteral("color: #b00000;"));
    FClockHint->hide();
    grid->addWidget(FClockHint, 3, 0, 1, 3);
    connect(FcbPLCClock, &QCheckBox::clicked, this, [this](bool on) {
        FModel->SetClockChecked(on);
        ShowClockState();
    });
    connect(FedPLCClock, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (FUpdating)
            return;
        FModel->SetClockText(text.toStdString());
        ShowClockState();
    });

    layout->addWidget(new QLabel(QStringLiteral("Use direct input/output:"), this));
    FclbDirectIQ = new QListWidget(this);
    FclbDirectIQ->setObjectName(QStringLiteral("clbDirectIQ"));
    for (int i = 0; i < DIRECT_IQ_COUNT; ++i) {
        auto* item =
            new QListWidgetItem(QString::fromStdString(TStatisticsModel::DirectIQCaption(i)), FclbDirectIQ);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(FclbDirectIQ, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        FModel->SetDirectIQChecked(FclbDirectIQ->row(item), item->checkState() == Qt::Checked);
    });
    layout->addWidget(FclbDirectIQ, 1);

    FStatUpdTimer = new QTimer(this);
    FStatUpdTimer->setObjectName(QStringLiteral("StatUpdTimer"));
    FStatUpdTimer->setInterval(STAT_UPDATE_INTERVAL_MS);
    connect(FStatUpdTimer, &QTimer::timeout, this, &TStatisticsForm::StatUpdTimerTimer);
    FStatUpdTimer->start();

    resize(260, 420);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() + 1 - width() - 20, area.top() + 80);
    }
}

void TStatisticsForm::StatUpdTimerTimer() {
    if (!FModel->StatUpdTimerTimer())
        return;
    FedCycleTime->setText(QString::fromStdString(FModel->CycleTimeText()));
    FedCmdPSec->setText(QString::fromStdString(FModel->CmdPSecText()));
}

void TStatisticsForm::ShowClockState() {
    FedPLCClock->setEnabled(FModel->ClockEditEnabled());
    const QString text = QString::fromStdString(FModel->ClockText());
    if (FedPLCClock->text() != text) {
        FUpdating = true;
        FedPLCClock->setText(text);
        FUpdating = false;
    }
    const QString hint = QString::fromStdString(FModel->ClockHint());
    FClockHint->setText(hint);
    FClockHint->setVisible(!hint.isEmpty());
}

} // namespace korvo::ui
