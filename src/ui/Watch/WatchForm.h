// The watch window: a tool window with the grid of TWatchModel and its Decimal/Hex/Binary pop-up.
// Showing and hiding it (the main window does so with the step mode) switches the model's
// updates on and off; closing it in step mode is refused with a message.
#pragma once

#include "Main/ProjectInterfaces.h"
#include "Watch/WatchModel.h"

#include <QWidget>

class QAction;
class QMenu;
class QTableWidget;

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

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void Refresh();

    TSoftAG& FSoftAG;
    IProjectPrompts& FPrompts;
    TWatchModel FModel;
    QTableWidget* FWatchList = nullptr;
    QMenu* FWatchListMenu = nullptr;
    QAction* FMenuDecimal = nullptr;
    QAction* FMenuHex = nullptr;
    QAction* FMenuBinary = nullptr;
};

} // namespace korvo::ui
