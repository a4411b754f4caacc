// Creation of the monitoring views.
#include "MonitoringViews.h"

#include "LogicAny/LAForm.h"
#include "Main/MainForm.h"
#include "StatForm/StatisticsForm.h"
#include "Watch/WatchForm.h"

#include <QLayout>

namespace korvo::ui {

TMonitoringViews CreateMonitoringViews(TMainForm& mainForm) {
    TMonitoringViews v;
    v.Statistics = new TStatisticsForm(mainForm.SoftAG(), mainForm.RunTimer(), &mainForm);
    mainForm.SetStatisticsForm(v.Statistics);
    v.Watch = new TWatchForm(mainForm.SoftAG(), mainForm.Prompts(), &mainForm);
    mainForm.SetWatchForm(v.Watch);
    QWidget* panel = mainForm.LogicAnyPanel();
    v.LogicAnalyzer = new TLAForm(mainForm.SoftAG(), mainForm.Prompts(), panel);
    if (panel->layout())
        panel->layout()->addWidget(v.LogicAnalyzer);
    TLAForm* la = v.LogicAnalyzer;
    mainForm.LAUpdateDisplay = [la] { la->UpdateDisplay(); };
    return v;
}

void DestroyMonitoringViews(TMainForm& mainForm, TMonitoringViews& views) {
    mainForm.LAUpdateDisplay = nullptr;
    mainForm.SetWatchForm(nullptr);
    mainForm.SetStatisticsForm(nullptr);
    delete views.LogicAnalyzer;
    delete views.Watch;
    delete views.Statistics;
    views = {};
}

void DestroyMonitoringViews(TMainForm& mainForm) {
    TMonitoringViews views;
    views.Statistics = mainForm.findChild<TStatisticsForm*>();
    views.Watch = mainForm.findChild<TWatchForm*>();
    views.LogicAnalyzer = mainForm.findChild<TLAForm*>();
    DestroyMonitoringViews(mainForm, views);
}

} // namespace korvo::ui
