// Visualization objects: the window, pictures, animated pictures, text lines, movable groups,
// timers and the CPU object, with their fields and functions, property-line parsing, painting
// and run-time changes. The window owns the object tree; objects own fields and functions.
#pragma once

#include "Parser/RuleCode.h"
#include "SimForm/VisHost.h"
#include "SimForm/VisTypes.h"
#include "objdesc/ParseResult.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvo {

class TPictureLibrary;
class TodUnknown;
class TFunction;

enum TObjType : uint8_t {
    OTUNKNOWN = 0,
    OTCONTAINER = 1,
    OTVISIBLE = 2,
    OTWINDOW = 3,
    OTCPU = 4,
    OTTIMER = 5,
    OTTEXT = 6,
    OTPICTURE = 7,
    OTDYNAMICPIC = 8,
    OTGROUP = 9,
};

// The object list: the CPU object, then every object of the file in header order (depth
// first); the window is not in it. The position is the object index used by rule code.
using TObjList = std::vector<TodUnknown*>;

// What parsing needs from outside: the picture catalogue (PICALIAS) and the host for the
// rule compiler's message boxes. Either may be null.
struct TVisContext {
    const TPictureLibrary* Pictures = nullptr;
    IVisHost* Host = nullptr;
};

// One user variable of an object.
struct TSOField {
    std::string Name;     // upper case
    int32_t DataType = 0; // 0: LINT
    bool Persistent = false;
    int32_t Value = 0;
};
using PSOField = TSOField*;

class TodUnknown {
public:
    explicit TodUnknown(const TVisContext& Ctx, TObjType Kind = OTUNKNOWN);
    virtual ~TodUnknown();
    TodUnknown(const TodUnknown&) = delete;
    TodUnknown& operator=(const TodUnknown&) = delete;

    // Interprets one property line (leading blanks removed). Ends a recognized line by
    // raising one of the EParse... outcomes; returns normally when it does not know the line.
    virtual void ProcessString(const std::string& S);
    virtual void AfterSuccess() {}
    TParseResult ParseLine(const std::string& Line, std::string& Error);
    // 0..32767 user field position, 32768 the built-in field, 65535 none.
    virtual uint16_t GetFieldID(const std::string& S) const;
    virtual void Reset();
    virtual bool IsVisible() const { return false; }

    // The last function of that name (upper case), or null.
    TFunction* GetFunctionByName(const std::string& Name) const;

    TObjType FObjType;
    std::string FObjName;
    TodUnknown* FParent = nullptr;
    std::vector<std::unique_ptr<TSOField>> FFields;
    std::vector<std::unique_ptr<TFunction>> FFunctions;

protected:
    TVisContext FCtx;
};

class TodContainer : public TodUnknown {
public:
    explicit TodContainer(const TVisContext& Ctx, TObjType Kind = OTCONTAINER) : TodUnknown(Ctx, Kind) {}
    void ProcessString(const std::string& S) override;
    void AddChild(std::unique_ptr<TodUnknown> AChild);

    std::vector<std::unique_ptr<TodUnknown>> FChildren;
};

class TodVisible : public TodContainer {
public:
    explicit TodVisible(const TVisContext& Ctx, TObjType Kind = OTVISIBLE) : TodContainer(Ctx, Kind) {}
    void ProcessString(const std::string& S) override;
    bool IsVisible() const override { return true; }
    // Paints the visible children, Bounds moved by this object's position.
    virtual void Paint(IVisCanvas& Canvas, const TVisRect& Bounds);
    // Moves Bounds by this object's position and passes it to the parent.
    virtual void InvalidateRect(const TVisRect& Bounds);
    // Own rectangle moved by the top-left corner of every visible ancestor's rectangle.
    TVisRect GetAbsPos() const;
    // Own rectangle in the parent's coordinates.
    TVisRect OwnRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }

    int32_t FLeft = 0;
    int32_t FTop = 0;
    int32_t FWidth = 0;
    int32_t FHeight = 0;

protected:
    // Position at which a picture is drawn: one level of parent only.
    TVisPoint DrawOrigin() const;
};

class TodWindow : public TodVisible {
public:
    static constexpr int32_t MaxWindowSize = 4096;

    explicit TodWindow(const TVisContext& Ctx) : TodVisible(Ctx, OTWINDOW) {}
    void ProcessString(const std::string& S) override;
    void AfterSuccess() override;
    // Redraws the off-screen image when marked or when Bounds is not empty, then copies it
    // onto Canvas at (0, 0).
    void Paint(IVisCanvas& Canvas, const TVisRect& Bounds) override;
    void InvalidateRect(const TVisRect& Bounds) override;
    // Background and children drawn onto Canvas directly, in painting order.
    void RenderTo(IVisCanvas& Canvas, const TVisRect& Bounds);

    TVisImage FBitmap;
    std::string FTitle;
    bool FIsInvalid = true;
};

class TodText : public TodVisible {
public:
    explicit TodText(const TVisContext& Ctx) : TodVisible(Ctx, OTTEXT) {}
    void ProcessString(const std::string& S) override;

    std::string FText; // the label's text; the label itself is a control of the window
};

class TodPicture : public TodVisible {
public:
    explicit TodPicture(const TVisContext& Ctx) : TodVisible(Ctx, OTPICTURE) {}
    void ProcessString(const std::string& S) override;
    void AfterSuccess() override;
    void Paint(IVisCanvas& Canvas, const TVisRect& Bounds) override;

    int32_t FPicAlias = -1;
    int32_t FPicIndex = 0;
};

class TodDynamicPic : public TodVisible {
public:
    explicit TodDynamicPic(const TVisContext& Ctx) : TodVisible(Ctx, OTDYNAMICPIC) {}
    void ProcessString(const std::string& S) override;
    void AfterSuccess() override;
    uint16_t GetFieldID(const std::string& S) const override;
    void Reset() override;
    void Paint(IVisCanvas& Canvas, const TVisRect& Bounds) override;
    void SetCurrentPic(int32_t AValue);

    int32_t FPicAlias = -1;
    int32_t FDefaultPic = 0;
    int32_t FCurrentPic = 0; // built-in field IMG
    int32_t FOnScreen = -1;
    bool FPersistent = false;
};

class TodGroup : public TodVisible {
public:
    explicit TodGroup(const TVisContext& Ctx) : TodVisible(Ctx, OTGROUP) {}
    void ProcessString(const std::string& S) override;
    void AfterSuccess() override;
    uint16_t GetFieldID(const std::string& S) const override;
    void SetMovePos(int32_t AValue);

    int32_t FMovePos = -1; // built-in field MOVEPOS, thousandths from position 1 to 2
    int32_t FLeft1 = 0;
    int32_t FTop1 = 0;
    int32_t FLeft2 = 0;
    int32_t FTop2 = 0;
};

class TodTimer : public TodUnknown {
public:
    explicit TodTimer(const TVisContext& Ctx) : TodUnknown(Ctx, OTTIMER) {}
    void ProcessString(const std::string& S) override;
    void Reset() override;

    int32_t FTimeOut = -1; // ms; negative: off
    uint32_t FLastCount = 0;
};

class TodCPU : public TodUnknown {
public:
    explicit TodCPU(const TVisContext& Ctx) : TodUnknown(Ctx, OTCPU) { FObjName = "CPU"; }
};

class TFunction {
public:
    TFunction(TodUnknown* Owner, std::string Name, const TVisContext& Ctx);
    virtual ~TFunction();
    virtual void ProcessString(const std::string& S, const TObjList& AllObjects);
    virtual TParseResult ParseLine(const std::string& Line, std::string& Error, const TObjList& AllObjects);

    std::string FFunName; // upper case
    TodUnknown* FOwner;
    int32_t FReturnType = 0;
    PRuleCode FCode;

private:
    TVisContext FCtx;
};

// Loader functions: object header, CPU object, function header. A comment or blank line gives
// prSuccess and no object.
TParseResult CreateObject(std::unique_ptr<TodUnknown>& ObjDesc, const std::string& Line, std::string& Error,
                          const TVisContext& Ctx);
std::unique_ptr<TodCPU> CreateCPUObject(const TVisContext& Ctx);
TParseResult CreateFunction(TFunction*& Fun, const TObjList& AllObjects, const std::string& Line,
                            std::string& Error, const TVisContext& Ctx);

// Reads a comma-separated position value: spaces deleted, each field a decimal or -1.
void ReadPositionFields(std::string Value, int32_t* Out, int Count);

} // namespace korvo
