// --vis FILE and --click OBJECT@K of korvo-cli run: a visualization coupled to the soft PLC
// without a window, its timers on the run's virtual clock, mouse presses scheduled per cycle.
#pragma once

#include "SimForm/SoftAGCoupling.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvo::cli {

struct TVisRunOptions {
    std::string File;
    std::vector<std::pair<std::string, uint64_t>> Clicks;

    // One --click: "" when accepted, else the usage error.
    std::string AddClick(const std::string& Spec);
    // "" or the usage error of the options taken together.
    std::string Check() const;
};

class TVisRun {
public:
    explicit TVisRun(TSoftAG& SoftAG) : FSoftAG(SoftAG) {}
    // With a File: loads the picture catalogue (the file's folder when it holds pictures.inf,
    // else the installation's DATA), opens the visualization (the soft PLC's project must be
    // set) and schedules the clicks. False with Error on a missing or broken file or an
    // unknown picture. Without a File nothing is done.
    bool Open(const TVisRunOptions& Options, std::string& Error);
    // Around cycle K (from 1): mouse down on its pictures before, idle action and mouse up after.
    void BeforeCycle(uint64_t K);
    void AfterCycle(uint64_t K);

private:
    TSoftAG& FSoftAG;
    std::unique_ptr<THeadlessVis> FVis;
};

} // namespace korvo::cli
