// The logic analyzer panel: the signal check list, the label column and the trace box painting
// the primitives of TLogicAnalyzer into an off-screen image, "Clear" and "Export...". Docked into
// the main window's bottom panel.
#pragma once

#include "LogicAny/LogicAnalyzer.h"
#include "Main/ProjectInterfaces.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QListWidget;
class QScrollArea;
class QToolBar;

namespace korvo::ui {

class TTraceBox;
class TSignalLabels;
class TQtTextMetrics;

class TLAForm : public QWidget {
    Q_OBJECT
public:
    // Registers the analyzer as a connector of softAG; the destructor removes it.
    TLAForm(TSoftAG& softAG, IProjectPrompts& prompts, QWidget* parent = nullptr);
    ~TLAForm() override;

    TLogicAnalyzer& Analyzer() { return *FAnalyzer; }
    // Draws the samples recorded since the last call (the main window's LAUpdateDisplay).
    void UpdateDisplay();
    // "Clear" (ToolResetClick) and the export button.
    void ToolResetClick();
    void ToolExportClick();

    // The save dialog of the export; replaceable for tests. Empty result: cancelled.
    std::function<std::optional<std::string>()> ChooseExportFile;

    QListWidget* WatchList() const { return FWatchList; }
    QAction* ToolReset() const { return FToolReset; }
    QAction* ToolExport() const { return FToolExport; }
    const QImage& Bitmap() const { return FDBBitmap; }
    QWidget* DrawTo() const;

private:
    void FormCreate();
    void RebuildWatchList();
    void PictureChanged();

    TSoftAG& FSoftAG;
    IProjectPrompts& FPrompts;
    std::unique_ptr<TQtTextMetrics> FMetrics;
    std::unique_ptr<TLogicAnalyzer> FAnalyzer;
    QImage FDBBitmap;
    QToolBar* FToolBar = nullptr;
    QAction* FToolReset = nullptr;
    QAction* FToolExport = nullptr;
    QListWidget* FWatchList = nullptr;
    QScrollArea* FOuterBox = nullptr;
    QScrollArea* FScrollBox = nullptr;
    TSignalLabels* FLabels = nullptr;
    TTraceBox* FDrawTo = nullptr;
    bool FRebuilding = false;
    int FHatchShift = 0;
};

} // namespace korvo::ui
