// The performance window.
#include "StatForm/StatisticsForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

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
      FModel(std::make_unique<TStatisticsModel>(softAG, *FRunTimer)), FSoftAG(softAG),
      FCycleStats(std::make_unique<TCycleStatistics>(softAG)) {
    FormCreate();
    FSoftAG.AddConnector(FCycleStats.get());
}

TStatisticsForm::~TStatisticsForm() {
    FSoftAG.RemoveConnector(FCycleStats.get());
}

namespace {

// Numbers right-aligned in a field wide enough for ten digits (the largest cycle time or
// command count the soft PLC reports).
void SizeNumberEdit(QLineEdit* edit) {
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 16);
}

} // namespace

void TStatisticsForm::FormCreate() {
    setObjectName(QStringLiteral("StatisticsForm"));
    setWindowTitle(QStringLiteral("Performance"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);

    FedCycleTime = new QLineEdit(this);
    FedCycleTime->setObjectName(QStringLiteral("edCycleTime"));
    FedCycleTime->setReadOnly(true);
    SizeNumberEdit(FedCycleTime);
    grid->addWidget(new QLabel(QStringLiteral("Cycle exec. time:"), this), 0, 0);
    grid->addWidget(FedCycleTime, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("ms"), this), 0, 2);

    FedCmdPSec = new QLineEdit(this);
    FedCmdPSec->setObjectName(QStringLiteral("edCmdPSec"));
    FedCmdPSec->setReadOnly(true);
    SizeNumberEdit(FedCmdPSec);
    grid->addWidget(new QLabel(QStringLiteral("Commands per sec:"), this), 1, 0);
    grid->addWidget(FedCmdPSec, 1, 1);

    // Cycle time statistics since the last "Reset statistics".
    auto addStat = [&](int row, const char* caption, const char* name) {
        auto* edit = new QLineEdit(QStringLiteral("-"), this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        SizeNumberEdit(edit);
        grid->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    FedMinCycle = addStat(2, "Min. cycle time:", "edMinCycle");
    FedMaxCycle = addStat(3, "Max. cycle time:", "edMaxCycle");
    FedMeanCycle = addStat(4, "Mean cycle time:", "edMeanCycle");
    FbtResetStats = new QPushButton(QStringLiteral("Reset statistics"), this);
    FbtResetStats->setObjectName(QStringLiteral("btResetStats"));
    grid->addWidget(FbtResetStats, 5, 0, 1, 2);
    connect(FbtResetStats, &QPushButton::clicked, this, [this] {
        FCycleStats->Reset();
        ShowCycleStatistics();
    });

    FcbPLCClock = new QCheckBox(QStringLiteral("Specify Execution Clock:"), this);
    FcbPLCClock->setObjectName(QStringLiteral("cbPLCClock"));
    FedPLCClock = new QLineEdit(QStringLiteral("5"), this);
    FedPLCClock->setObjectName(QStringLiteral("edPLCClock"));
    FedPLCClock->setEnabled(false);
    SizeNumberEdit(FedPLCClock);
    grid->addWidget(FcbPLCClock, 6, 0);
    grid->addWidget(FedPLCClock, 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("ms"), this), 6, 2);
    FClockHint = new QLabel(this);
    FClockHint->setObjectName(QStringLiteral("ClockHint"));
    FClockHint->setWordWrap(true);
    FClockHint->setStyleSheet(QStringLiteral("color: #b00000;"));
    FClockHint->hide();
    grid->addWidget(FClockHint, 7, 0, 1, 3);
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

    resize(std::max(260, sizeHint().width()), 520);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() + 1 - width() - 20, area.top() + 80);
    }
}

void TStatisticsForm::StatUpdTimerTimer() {
    ShowCycleStatistics();
    if (!FModel->StatUpdTimerTimer())
        return;
    FedCycleTime->setText(QString::fromStdString(FModel->CycleTimeText()));
    FedCmdPSec->setText(QString::fromStdString(FModel->CmdPSecText()));
}

void TStatisticsForm::ShowCycleStatistics() {
    FedMinCycle->setText(QString::fromStdString(FCycleStats->MinText()));
    FedMaxCycle->setText(QString::fromStdString(FCycleStats->MaxText()));
    FedMeanCycle->setText(QString::fromStdString(FCycleStats->MeanText()));
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
