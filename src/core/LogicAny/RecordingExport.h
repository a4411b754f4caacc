// Export of the logic analyzer recording: VCD (value change dump, readable by GTKWave and other
// waveform viewers) and CSV. One VCD time unit is one soft PLC step (one recorded sample).
#pragma once

#include "LogicAny/AnalyzerBuffer.h"

#include <ostream>
#include <string>
#include <vector>

namespace korvo {

// names[y] names signal y (bit y of a sample); at most LA_MAX_SIGNALS are written. Dotted names
// become nested scopes. Scopes: "plc" (phase, pou_change, cycle), "program" (program view) and
// "outside" (the input/output buffers' view).
void WriteVcd(std::ostream& out, const TAnalyzerRecording& rec, const std::vector<std::string>& names);

// Header "sample,cycle,phase,pou_change,<name>...,<name> (outside)..."; one line per sample,
// the cycle column empty before the first cycle start.
void WriteCsv(std::ostream& out, const TAnalyzerRecording& rec, const std::vector<std::string>& names);

enum class TExportFormat { Vcd, Csv };
// Format from the file name: ".csv" (any case) is CSV, everything else VCD.
TExportFormat ExportFormatFor(const std::string& path);

// Writes the recording to path through a temporary file that replaces the target when complete.
// Returns an empty string on success, otherwise the message to show.
std::string ExportRecording(const std::string& path, TExportFormat format, const TAnalyzerRecording& rec,
                            const std::vector<std::string>& names);

} // namespace korvo
