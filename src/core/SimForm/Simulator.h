// The non-widget part of a visualization window: loads a description, runs its functions on
// mouse events, timers and soft PLC memory changes, resets it, finds the object under the
// mouse, and tells the widget what to show. The Qt window owns one TSimulator, implements
// IVisHost and IVisCanvas, and forwards the soft PLC's notifications.
#pragma once

#include "PLCTypes/PLCTypes.h"
#include "SimForm/Magnetic.h"
#include "SimForm/PictureLibrary.h"
#include "SimForm/VisHost.h"
#include "objdesc/Loader.h"

#include <string>
#include <vector>

namespace korvo {

// Event function names, compared in upper case.
namespace visfn {
inline constexpr const char* OnMouseDown = "ONMOUSEDOWN";
inline constexpr const char* OnMouseUp = "ONMOUSEUP";
inline constexpr const char* OnChange = "ONCHANGE";
inline constexpr const char* OnTimer = "ONTIMER";
inline constexpr const char* OnInputChange = "ONINPUTCHANGE";
inline constexpr const char* OnOutputChange = "ONOUTPUTCHANGE";
inline constexpr const char* OnMemChange = "ONMEMCHANGE";
} // namespace visfn

namespace vismsg {
inline std::string FileNotFound(const std::string& Path) {
    return "Datei '" + Path + "' nicht gefunden!";
}
inline constexpr const char* NestingTooDeep = "SDL-error: functions nested too deeply (max. 64)";
} // namespace vismsg

class TSimulator {
public:
    static constexpr int MaxRunNesting = 64;

    explicit TSimulator(IVisHost& Host, const TPictureLibrary* Pictures = &PictureLibrary());

    // Loads the description. On a missing file or an error in it the message is shown, the
    // objects are freed and false is returned: the caller discards the window.
    bool SetInfoFile(const std::string& AInfoFile);
    void SetProject(const TProjectDesc* AProject) {
        if (AProject != FProject)
            FProject = AProject;
    }
    void SetSoftAG(IVisPLC* PLC) { FSoftAG = PLC; }
    bool IsLoaded() const { return FDesc.FWindow != nullptr; }

    // Resets every object (fields, frames, timers); the caller runs IdleAction afterwards.
    void Reset();
    // Picture change detection (onChange), timers (onTimer), then RepaintNeeded when marked.
    void IdleAction();
    // Runs one function's code with this window's objects and soft PLC.
    void ProcessRule(const TRuleCode* RuleCode);
    // Runs the function Name of Obj if it has one; true when it ran.
    bool RunFunction(const TodUnknown* Obj, const char* Name);

    // Soft PLC memory notification: onInputChange / onOutputChange / onMemChange, idle action.
    void NotifyMemChange(int32_t Ofs, int32_t Bit, int32_t Len, int32_t Value);

    // Mouse in paint box coordinates. True when a function ran (the idle action has run);
    // false for MouseDown means: start dragging the window.
    bool MouseDown(int32_t X, int32_t Y);
    bool MouseUp(int32_t X, int32_t Y);
    // The animated picture under (X, Y) that has function Name, searching from the last object.
    TodDynamicPic* HitTest(int32_t X, int32_t Y, const char* Name) const;

    // Window caption: the title, or the file name with extension when there is none.
    std::string Caption() const;
    // Size of the picture (the window's POSITION size; 0 when not given).
    int32_t PaintWidth() const { return FDesc.FWindow ? FDesc.FWindow->FBitmap.Width : 0; }
    int32_t PaintHeight() const { return FDesc.FWindow ? FDesc.FWindow->FBitmap.Height : 0; }
    // Text labels of the TEXT objects directly in the window, in paint box coordinates.
    struct TTextLabel {
        int32_t Left = 0;
        int32_t Top = 0;
        std::string Text;
    };
    std::vector<TTextLabel> TextLabels() const;
    // Full repaint of the paint box (the widget's paint event).
    void Paint(IVisCanvas& Canvas);
    // The current picture; redrawn first when marked.
    const TVisImage& Image();

    // First object of the object list with that name (upper case), or null.
    TodUnknown* FindObject(const std::string& Name) const;

    const std::string& InfoFile() const { return FInfoFile; }
    const TVisDescription& Description() const { return FDesc; }
    TodWindow* Window() const { return FDesc.FWindow.get(); }
    const TObjList& AllObjects() const { return FDesc.FAllObjects; }

    TWindowDrag FDrag;

private:
    void CheckPicture(TodUnknown* Obj);

    IVisHost& FHost;
    const TPictureLibrary* FPictures;
    std::string FInfoFile;
    TVisDescription FDesc;
    const TProjectDesc* FProject = nullptr;
    IVisPLC* FSoftAG = nullptr;
    int FRunDepth = 0;
    bool FNestingReported = false;
};

// Full paths of the *.sdf files (extension in any case) of DataDir, sorted ignoring case.
std::vector<std::string> CollectSimFiles(const std::string& DataDir);
// Title of a description for the menus; an error is shown through Host (may be null) and
// gives "". A missing file gives "".
std::string ReadSDFTitle(const std::string& AInfoFile, IVisHost* Host);

} // namespace korvo
