// The performance window: cycle time and commands per second (refreshed every second in run
// mode), the execution clock (the main window's run timer) and the direct input/output switches.
#pragma once

#include "StatForm/CycleStatistics.h"
#include "StatForm/Statistics.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace korvo::ui {

class TStatisticsForm : public QWidget {
    Q_OBJECT
public:
    // runTimer: the main window's RunTimer; its interval is the execution clock.
    TStatisticsForm(TSoftAG& softAG, QTimer& runTimer, QWidget* parent = nullptr);
    ~TStatisticsForm() override;

    TStatisticsModel& Model() { return *FModel; }
    QLineEdit* edCycleTime() const { return FedCycleTime; }
    QLineEdit* edCmdPSec() const { return FedCmdPSec; }
    QCheckBox* cbPLCClock() const { return FcbPLCClock; }
    QLineEdit* edPLCClock() const { return FedPLCClock; }
    QLabel* ClockHint() const { return FClockHint; }
    QListWidget* clbDirectIQ() const { return FclbDirectIQ; }
    QTimer* StatUpdTimer() const { return FStatUpdTimer; }
    TCycleStatistics& CycleStatistics() { return *FCycleStats; }
    QLineEdit* edMinCycle() const { return FedMinCycle; }
    QLineEdit* edMaxCycle() const { return FedMaxCycle; }
    QLineEdit* edMeanCycle() const { return FedMeanCycle; }
    QPushButton* btResetStats() const { return FbtResetStats; }

    void StatUpdTimerTimer();

private:
    void FormCreate();
    void ShowClockState();
    void ShowCycleStatistics();

    class TQtRunTimer;
    std::unique_ptr<TQtRunTimer> FRunTimer;
    std::unique_ptr<TStatisticsModel> FModel;
    TSoftAG& FSoftAG;
    std::unique_ptr<TCycleStatistics> FCycleStats;
    QLineEdit* FedMinCycle = nullptr;
    QLineEdit* FedMaxCycle = nullptr;
    QLineEdit* FedMeanCycle = nullptr;
    QPushButton* FbtResetStats = nullptr;
    QLineEdit* FedCycleTime = nullptr;
    QLineEdit* FedCmdPSec = nullptr;
    QCheckBox* FcbPLCClock = nullptr;
    QLineEdit* FedPLCClock = nullptr;
    QLabel* FClockHint = nullptr;
    QListWidget* FclbDirectIQ = nullptr;
    QTimer* FStatUpdTimer = nullptr;
    bool FUpdating = false;
};

} // namespace korvo::ui
