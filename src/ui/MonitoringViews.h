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

} // namespace korvo::ui
