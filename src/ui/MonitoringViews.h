// Creation of the monitoring views for the main window, in the order of the start sequence:
// performance window, watch window (second connector), logic analyzer (third connector, docked
// into the bottom panel). The views hold the soft PLC by reference: destroy them (DestroyMonitoringViews)
// before the main window releases its soft PLC.
#pragma once

namespace korvo::ui {

class TMainForm;
class TStatisticsForm;
class TWatchForm;
class TLAForm;

struct TMonitoringViews {
    TStatisticsForm* Statistics = nullptr;
    TWatchForm* Watch = nullptr;
    TLAForm* LogicAnalyzer = nullptr;
};

TMonitoringViews CreateMonitoringViews(TMainForm& mainForm);
// Removes the views from the main window and the soft PLC and deletes them.
void DestroyMonitoringViews(TMainForm& mainForm, TMonitoringViews& views);
// The same for the views found among the main window's children: one call at the top of the
// main window's destructor, while its soft PLC still exists.
void DestroyMonitoringViews(TMainForm& mainForm);

} // namespace korvo::ui
