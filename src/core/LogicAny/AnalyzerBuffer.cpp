// Logic analyzer recording.
#include "LogicAny/AnalyzerBuffer.h"

namespace korvo {

int32_t TAnalyzerRecording::CycleOf(int X) const {
    int32_t no = FFirstCycleNo - 1;
    for (int s = 1; s <= X; ++s)
        if (IsCycleStart(s))
            ++no;
    return no < FFirstCycleNo ? -1 : no;
}

} // namespace korvo
