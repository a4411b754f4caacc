// The watch window: a tool window with the grid of TWatchModel and its Decimal/Hex/Binary pop-up.
// Showing and hiding it (the main window does so with the step mode) switches the model's
// updates on and off; closing it in step mode is refused with a message.
#pragma once

#include "Main/ProjectInterfaces.h"
#include "Watch/WatchModel.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QTableWidget;

namespace korvo {
struct TForceTarget;
}

namespace korvo::ui {

class TWatchForm : public QWidget {
    Q_OBJECT
public:
    // Registers the model as a connector of softAG; the destructor removes it.
    TWatchForm(TSoftAG& softAG, IProjectPrompts& prompts, QWidget* parent = nullptr);
    ~TWatchForm() override;

    TWatchModel& Model() { return FModel; }
    QTableWidget* WatchList() const { return FWatchList; }
    QMenu* WatchListMenu() const { return FWatchListMenu; }
    QAction* MenuDecimal() const { return FMenuDecimal; }
    QAction* MenuHex() const { return FMenuHex; }
    QAction* MenuBinary() const { return FMenuBinary; }

    // The pop-up request for a grid cell (column, model row: 1 = CR); shows the menu at
    // globalPos when the rules allow it and returns whether it did.
    bool WatchListContextPopup(int col, int row, const QPoint& globalPos);
    // Where the display pop-up does not show: the forcing items alone, for a forceable variable
    // row or when something is forced. Returns whether it showed.
    bool ForcePopup(int row, const QPoint& globalPos);

    // Forcing by model row (2 = first variable); the text is an IL literal (42, 16#2A, 2#1, TRUE,
    // T#1s). False after a message when the row cannot be forced or the value is bad.
    bool ForceRow(int row, const std::string& value);
    bool ReleaseRow(int row);
    void ReleaseAllForces();
    bool RowForced(int row) const;
    // Asks for the value of a force (label, initial text); nullopt when cancelled. Defaults to
    // an input dialog; tests replace it.
    std::function<std::optional<std::string>(const QString&, const QString&)> AskValue;
    QMenu* ForceMenu() const { return FForceMenu; }
    QAction* MenuForce() const { return FMenuForce; }
    QAction* MenuReleaseForce() const { return FMenuReleaseForce; }
    QAction* MenuReleaseAllForces() const { return FMenuReleaseAllForces; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void Refresh();
    // The force target of a model row: a variable of the current list (not of a FUNCTION).
    bool RowTarget(int row, TForceTarget& target, std::string& error) const;
    void PrepareForceItems(int row);
    void ForceClicked();

    TSoftAG& FSoftAG;
    IProjectPrompts& FPrompts;
    TWatchModel FModel;
    QTableWidget* FWatchList = nullptr;
    QMenu* FWatchListMenu = nullptr;
    QAction* FMenuDecimal = nullptr;
    QAction* FMenuHex = nullptr;
    QAction* FMenuBinary = nullptr;
    QMenu* FForceMenu = nullptr;
    QAction* FMenuForce = nullptr;
    QAction* FMenuReleaseForce = nullptr;
    QAction* FMenuReleaseAllForces = nullptr;
    int FForceRow = -1;
};

} // namespace korvo::ui
