// Logic analyzer recording: three ring buffers of 16-bit samples (program view, outside view,
// POU-change marks) with cycle numbering that stays right after the ring wraps.
#pragma once

#include <array>
#include <cstdint>

namespace korvo {

constexpr int LA_BUFFER_LENGTH = 500;            // samples kept
constexpr int LA_MAX_SIGNALS = 15;               // bits 0..14 of a sample
constexpr uint16_t LA_PHASE_FLAG = 0x8000;       // Buffer: sample taken by a DATAREAD/DATAWRITE Clock
constexpr uint16_t LA_CYCLE_START_FLAG = 0x8000; // BufferIQ: sample taken by a DATAREAD Clock

struct TAnalyzerBuffer {
    uint16_t Size = 2 * LA_BUFFER_LENGTH + 2; // bytes
    std::array<uint16_t, LA_BUFFER_LENGTH> Data{};
};

class TAnalyzerRecording {
public:
    // One sample; the hot path of sampling (no allocation, no branches beyond the ring).
    // progBits/iqBits carry signals in bits 0..14; phase = the Clock began in DATAREAD or
    // DATAWRITE, cycleStart = it began in DATAREAD.
    void Store(uint16_t progBits, uint16_t iqBits, bool phase, bool cycleStart) {
        const int i = FBufferWritePtr;
        const bool full = ValidBufferLength == LA_BUFFER_LENGTH;
        if (full && (BufferIQ.Data[i] & LA_CYCLE_START_FLAG))
            ++FFirstCycleNo; // the oldest cycle start leaves the buffer
        Buffer.Data[i] = uint16_t((progBits & 0x7FFF) | (phase ? LA_PHASE_FLAG : 0));
        BufferIQ.Data[i] = uint16_t((iqBits & 0x7FFF) | (cycleStart ? LA_CYCLE_START_FLAG : 0));
        BufFlags.Data[i] = FPendingPOUMark;
        FPendingPOUMark = 0;
        FBufferWritePtr = (i + 1) % LA_BUFFER_LENGTH;
        if (!full)
            ++ValidBufferLength;
        else
            ++FOverwritten;
    }
    // The running POU changed: the next sample carries the mark.
    void MarkPOUChange() { FPendingPOUMark = 1; }
    // Forget all samples and restart the numbering at 0; recording goes on at the write position.
    void Clear() {
        ValidBufferLength = 0;
        FFirstCycleNo = 0;
        FOverwritten = 0;
    }

    int ValidLength() const { return ValidBufferLength; }
    int WritePtr() const { return FBufferWritePtr; }
    int32_t FirstCycleNo() const { return FFirstCycleNo; }
    // Samples dropped off the old end since the last Clear.
    uint32_t Overwritten() const { return FOverwritten; }

    // Ring index of sample X (1 = oldest valid sample .. ValidLength()).
    int Index(int X) const {
        return (LA_BUFFER_LENGTH + FBufferWritePtr - ValidBufferLength + X - 1) % LA_BUFFER_LENGTH;
    }
    uint16_t Prog(int X) const { return uint16_t(Buffer.Data[Index(X)] & 0x7FFF); }
    uint16_t IQ(int X) const { return uint16_t(BufferIQ.Data[Index(X)] & 0x7FFF); }
    bool IsPhase(int X) const { return (Buffer.Data[Index(X)] & LA_PHASE_FLAG) != 0; }
    bool IsCycleStart(int X) const { return (BufferIQ.Data[Index(X)] & LA_CYCLE_START_FLAG) != 0; }
    bool POUChanged(int X) const { return BufFlags.Data[Index(X)] != 0; }
    bool ProgBit(int X, int signal) const { return (Prog(X) >> signal) & 1; }
    bool IQBit(int X, int signal) const { return (IQ(X) >> signal) & 1; }
    // Cycle number of the cycle that sample X belongs to: FirstCycleNo() at the first cycle start,
    // +1 for every later one; -1 for samples before the first cycle start in the buffer.
    int32_t CycleOf(int X) const;

    TAnalyzerBuffer Buffer;   // program view + phase flag
    TAnalyzerBuffer BufferIQ; // outside view + cycle start flag
    TAnalyzerBuffer BufFlags; // 1 when the running POU changed before the sample

private:
    int32_t FBufferWritePtr = 0;
    uint16_t ValidBufferLength = 0;
    int32_t FFirstCycleNo = 0;
    uint16_t FPendingPOUMark = 0;
    uint32_t FOverwritten = 0;
};

} // namespace korvo
