// A visualization window: a borderless child of the main window's visualization area showing
// one plant model, coupled to the soft PLC. Dragged by its tool bar (or by the picture's
// background) with magnetic edges; closing frees its objects and unregisters it.
#pragma once

#include "SimForm/SoftAGCoupling.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QToolButton;

namespace korvo {
class IProjectPrompts;
}

namespace korvo::ui {

class TMainForm;

// IVisCanvas on a QPainter.
class TQtVisCanvas final : public IVisCanvas {
public:
    explicit TQtVisCanvas(QPainter& Painter) : FPainter(Painter) {}
    void FillRect(const TVisRect& R, uint32_t Color) override;
    void DrawFrame(const TPicStrip& Strip, int32_t Frame, int32_t X, int32_t Y) override;
    void DrawImage(const TVisImage& Image, int32_t X, int32_t Y) override;

private:
    QPainter& FPainter;
};

class TSimForm final : public QWidget, public IVisHost {
    Q_OBJECT
public:
    // area: the visualization area (parent); messages go to prompts.
    TSimForm(QWidget* area, TSoftAG& softAG, IProjectPrompts& prompts);
    ~TSimForm() override;

    // Loads the description and builds the controls. False (message shown) when the file is
    // missing or broken: the caller deletes the window.
    bool SetInfoFile(const QString& fileName);
    void SetProject(const TProjectDesc* project) { FSim.SetProject(project); }
    // Registers the window with the soft PLC (done once, after loading).
    void Connect();
    // After the soft PLC's ResetAll: reset every object, then the idle action.
    void Reset();
    void IdleAction() { FSim.IdleAction(); }

    TSimulator& Simulator() { return FSim; }
    QWidget* ToolBar() const { return FToolBar; }
    QWidget* PaintBoxPanel() const { return FPaintBoxPanel; }
    QWidget* PaintBox() const { return FPaintBox; }
    QToolButton* CloseButton() const { return FCloseButton; }
    QString Caption() const { return windowTitle(); }

    // IVisHost
    void ShowMessage(const std::string& Text) override;
    void Beep() override;
    uint32_t GetTickCount() override { return FSoftAG.TickCount(); }
    void RepaintNeeded() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void DragWindowStart(QWidget* sender, QPoint p);
    void DragWindowMouseMove(QWidget* sender, QPoint p);
    void PaintBoxPaint();

    TSoftAG& FSoftAG;
    IProjectPrompts& FPrompts;
    TSimulator FSim;
    std::unique_ptr<TVisSoftAGLink> FLink;
    QWidget* FToolBar = nullptr;
    QLabel* FCaptionLabel = nullptr;
    QToolButton* FCloseButton = nullptr;
    QWidget* FPaintBoxPanel = nullptr;
    QWidget* FPaintBox = nullptr;
    std::vector<std::string> FPendingMessages; // run-time messages while the soft PLC runs
};

// Fills the main window's visualization menus (SimFiles, the "Visualization" pop-up and
// "Processes", emptied first) from the data folder's *.sdf files, loads the picture catalogue,
// and installs the reset of the open visualizations. Once, at start.
void SetupVisualizations(TMainForm& mainForm);
// Opens a visualization window in the main window's area at (10, 10); nullptr when the file
// is missing or broken (the message has been shown).
TSimForm* OpenSAG(TMainForm& mainForm, const QString& fileName);
// The open visualization windows, in their stacking order (bottom first).
QList<TSimForm*> OpenVisualizations(TMainForm& mainForm);

} // namespace korvo::ui
