// Description file loading loop and title scan.
#include "objdesc/Loader.h"

#include "Compiler/CompileDriver.h"

#include <fstream>
#include <sstream>

namespace korvo {

namespace {

// Line 1: the window's header. Returns the window or null with Err set.
std::unique_ptr<TodWindow> CreateWindowObject(const std::string& Line, const TVisContext& Ctx,
                                              TSDFError& Err) {
    std::unique_ptr<TodUnknown> obj;
    std::string error;
    if (CreateObject(obj, Line, error, Ctx) == TParseResult::prError) {
        Err = {1, error, false};
        return nullptr;
    }
    if (!obj || obj->FObjType != OTWINDOW) {
        Err = {1, sdfmsg::WindowExpected, false};
        return nullptr;
    }
    return std::unique_ptr<TodWindow>(static_cast<TodWindow*>(obj.release()));
}

} // namespace

bool LoadSDFLines(const std::vector<std::string>& Lines, const TVisContext& Ctx, TVisDescription& Desc,
                  TSDFError& Err) {
    Desc = TVisDescription{};
    if (Lines.empty()) {
        Err = {1, sdfmsg::WindowExpected, false};
        return false;
    }
    Desc.FWindow = CreateWindowObject(Lines[0], Ctx, Err);
    if (!Desc.FWindow)
        return false;
    {
        auto cpu = CreateCPUObject(Ctx);
        Desc.FODCPU = cpu.get();
        Desc.FWindow->AddChild(std::move(cpu));
        Desc.FAllObjects.push_back(Desc.FODCPU);
    }

    TodUnknown* current = Desc.FWindow.get();
    TFunction* function = nullptr;
    int depth = 0; // of current below the window
    for (size_t i = 1; i < Lines.size(); ++i) {
        const int32_t lineNo = static_cast<int32_t>(i + 1);
        const std::string& line = Lines[i];
        std::string error;
        TParseResult r;
        if (current) {
            r = current->ParseLine(line, error);
        } else if (!function) {
            TFunction* f = nullptr;
            r = CreateFunction(f, Desc.FAllObjects, line, error, Ctx);
            if (r == TParseResult::prSuccess && f)
                function = f;
        } else {
            r = function->ParseLine(line, error, Desc.FAllObjects);
        }

        switch (r) {
        case TParseResult::prSuccess:
            break;
        case TParseResult::prError:
            Err = {lineNo, error, false};
            return false;
        case TParseResult::prEndBlock:
            if (current) {
                current = current->FParent;
                --depth;
            }
            function = nullptr;
            break;
        case TParseResult::prChildObject: {
            if (depth >= MaxObjectNesting) {
                Err = {lineNo, sdfmsg::NestedTooDeep, false};
                return false;
            }
            std::unique_ptr<TodUnknown> child;
            if (CreateObject(child, line, error, Ctx) == TParseResult::prError || !child) {
                Err = {lineNo, error.empty() ? sdfmsg::UnknownIdentifier : error, true};
                return false;
            }
            // Only containers report nested headers.
            auto* parent = static_cast<TodContainer*>(current);
            TodUnknown* raw = child.get();
            parent->AddChild(std::move(child));
            Desc.FAllObjects.push_back(raw);
            current = raw;
            ++depth;
            break;
        }
        }
    }
    return true;
}

std::string FormatSDFError(const std::string& FileName, const TSDFError& Err) {
    if (Err.ShortForm)
        return "Error reading sdf (Line " + std::to_string(Err.Line) + "): " + Err.Message;
    return "Error reading sdf (file '" + FileName + "', line " + std::to_string(Err.Line) +
           "): " + Err.Message;
}

std::string ScanSDFTitle(const std::vector<std::string>& Lines, bool& Failed, TSDFError& Err) {
    Failed = false;
    if (Lines.empty())
        return "";
    const TVisContext ctx; // no pictures: the scan stops before any picture object
    auto window = CreateWindowObject(Lines[0], ctx, Err);
    if (!window) {
        Failed = true;
        return "";
    }
    for (size_t i = 1; i < Lines.size(); ++i) {
        std::string error;
        switch (window->ParseLine(Lines[i], error)) {
        case TParseResult::prSuccess:
            if (!window->FTitle.empty())
                return window->FTitle;
            break;
        case TParseResult::prError:
            Err = {static_cast<int32_t>(i + 1), error, false};
            Failed = true;
            return "";
        case TParseResult::prEndBlock:
        case TParseResult::prChildObject:
            return "";
        }
    }
    return "";
}

bool ReadSDFFileLines(const std::string& FileName, std::vector<std::string>& Lines) {
    Lines.clear();
    std::ifstream in(FileName, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        return false;
    Lines = SplitLines(ss.str());
    return true;
}

} // namespace korvo
