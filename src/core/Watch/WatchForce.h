// Forcing from the watch window: the target of a grid row and whether a row is forced (marked).
#pragma once

#include "Sim_ag/ForceTarget.h"
#include "Sim_ag/SoftAG.h"
#include "Watch/WatchModel.h"

#include <string>

namespace korvo {

// Grid row (2.. = variable rows) of the model: its absolute address in the current frame. False
// with a reason for the CR row and rows without entry, for the variables of a FUNCTION (its
// frame lasts one call) and for types that cannot be forced (REAL, STRING, ...). The Value and
// the Direct Value column force the same target: a forced input or output holds in the image
// and in the buffer.
bool WatchRowForceTarget(const TSoftAG& ag, const TWatchModel& model, int row, TForceTarget& target,
                         std::string& error);
// Some force covers the row's bits (the row is marked).
bool WatchRowForced(const TSoftAG& ag, const TWatchModel& model, int row);

} // namespace korvo
