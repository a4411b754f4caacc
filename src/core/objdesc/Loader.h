// Loading a visualization description (.sdf): the line-by-line state machine that builds the
// window's object tree, the object list and the functions, and the title scan for menus.
#pragma once

#include "objdesc/ObjDesc.h"

#include <memory>
#include <string>
#include <vector>

namespace korvo {

// A loaded description. The window owns every object (the CPU object is its first child);
// FAllObjects is the object list of rule code: CPU first, then file order.
struct TVisDescription {
    std::unique_ptr<TodWindow> FWindow;
    TodCPU* FODCPU = nullptr;
    TObjList FAllObjects;
};

struct TSDFError {
    int32_t Line = 0; // from 1
    std::string Message;
    bool ShortForm = false; // error on a nested object header itself
};

// Objects below the window; deeper nesting is an error (painting and positions recurse).
constexpr int MaxObjectNesting = 64;

// Runs the loading loop. False on the first error (Err filled); the objects read so far
// remain in Desc. A first line that is not an OBJECT WINDOW header is an error of line 1.
bool LoadSDFLines(const std::vector<std::string>& Lines, const TVisContext& Ctx, TVisDescription& Desc,
                  TSDFError& Err);

// "Error reading sdf (file '<name>', line <n>): <msg>" or the short "(Line <n>)" form.
std::string FormatSDFError(const std::string& FileName, const TSDFError& Err);

// Title of a description from its window block, scanned up to the first nested object
// header or the window's END_OBJECT. On an error Err is set and "" returned.
std::string ScanSDFTitle(const std::vector<std::string>& Lines, bool& Failed, TSDFError& Err);

// Reads a text file into lines, CR LF or LF ends. False when it cannot be read.
bool ReadSDFFileLines(const std::string& FileName, std::vector<std::string>& Lines);

} // namespace korvo
