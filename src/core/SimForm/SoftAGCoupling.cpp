// Soft PLC coupling of visualizations, windowed and headless.
#include "SimForm/SoftAGCoupling.h"

#include "Parser/Scanner.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace korvo {

TVisSoftAGLink::TVisSoftAGLink(TSimulator& Sim, TSoftAG& SoftAG) : FSim(Sim), FSoftAG(SoftAG) {
    FSim.SetSoftAG(this);
    FSoftAG.AddConnector(this);
}

TVisSoftAGLink::~TVisSoftAGLink() {
    FSoftAG.RemoveConnector(this);
    FSim.SetSoftAG(nullptr);
}

uint8_t TVisSoftAGLink::GetMemory_IQBuf(int32_t Index) {
    return FSoftAG.GetMemory_IQBuf(Index);
}

void TVisSoftAGLink::SetMemory_IQBuf(int32_t Index, uint8_t AValue) {
    FSoftAG.SetMemory_IQBuf(Index, AValue);
}

void TVisSoftAGLink::NotifyMemChange(int32_t Ofs, int32_t Bit, int32_t Len, int32_t Value) {
    FSim.NotifyMemChange(Ofs, Bit, Len, Value);
}

THeadlessVis::THeadlessVis(TSoftAG& SoftAG, const TPictureLibrary* Pictures)
    : FSoftAG(SoftAG), FSim(*this, Pictures) {}

THeadlessVis::~THeadlessVis() = default;

void THeadlessVis::ShowMessage(const std::string& Text) {
    FMessages.push_back(Text);
    if (OnMessage)
        OnMessage(Text);
}

bool THeadlessVis::Open(const std::string& FileName) {
    FLink.reset();
    if (!FSim.SetInfoFile(FileName))
        return false;
    FSim.SetProject(FSoftAG.Data->ProjectDesc);
    FLink = std::make_unique<TVisSoftAGLink>(FSim, FSoftAG);
    FSim.IdleAction();
    return true;
}

TodUnknown* THeadlessVis::FindAnimated(const std::string& ObjectName, std::string& Error) const {
    const std::string name = VisUpper(ObjectName);
    for (TodUnknown* o : FSim.AllObjects())
        if (o->FObjType == OTDYNAMICPIC && o->FObjName == name)
            return o;
    Error = "no animated picture '" + name + "' in the visualization";
    return nullptr;
}

bool THeadlessVis::Press(const std::string& ObjectName, const char* Function, std::string& Error) {
    TodUnknown* target = FindAnimated(ObjectName, Error);
    if (!target)
        return false;
    if (FSim.RunFunction(target, Function))
        FSim.IdleAction();
    return true;
}

bool THeadlessVis::MouseDown(const std::string& ObjectName, std::string& Error) {
    return Press(ObjectName, visfn::OnMouseDown, Error);
}

bool THeadlessVis::MouseUp(const std::string& ObjectName, std::string& Error) {
    return Press(ObjectName, visfn::OnMouseUp, Error);
}

bool THeadlessVis::Click(const std::string& ObjectName, std::string& Error) {
    return MouseDown(ObjectName, Error) && MouseUp(ObjectName, Error);
}

void THeadlessVis::AfterCycle() {
    FSim.IdleAction();
}

bool THeadlessVis::ScheduleClick(const std::string& ObjectName, uint64_t Cycle, std::string& Error) {
    if (!FindAnimated(ObjectName, Error))
        return false;
    FClicks.emplace_back(ObjectName, Cycle);
    return true;
}

void THeadlessVis::BeforeCycle(uint64_t K) {
    std::string err;
    for (const auto& [name, cycle] : FClicks)
        if (cycle == K)
            MouseDown(name, err);
}

void THeadlessVis::AfterCycle(uint64_t K) {
    FSim.IdleAction();
    std::string err;
    for (const auto& [name, cycle] : FClicks)
        if (cycle == K)
            MouseUp(name, err);
}

void THeadlessVis::Reset() {
    FSim.Reset();
    FSim.IdleAction();
}

std::string THeadlessVis::DescribeState() const {
    std::string s;
    auto add = [&](const std::string& item) {
        if (!s.empty())
            s += ' ';
        s += item;
    };
    for (const TodUnknown* o : FSim.AllObjects()) {
        if (o->FObjType == OTDYNAMICPIC)
            add(o->FObjName + ".IMG=" + std::to_string(static_cast<const TodDynamicPic*>(o)->FCurrentPic));
        else if (o->FObjType == OTGROUP)
            add(o->FObjName + ".MOVEPOS=" + std::to_string(static_cast<const TodGroup*>(o)->FMovePos));
        for (const auto& f : o->FFields)
            add(o->FObjName + "." + f->Name + "=" + std::to_string(f->Value));
    }
    return s;
}

bool ParseVisClick(const std::string& Spec, std::string& Object, uint64_t& Cycle) {
    const size_t at = Spec.rfind('@');
    if (at == std::string::npos || at == 0 || at + 1 >= Spec.size() || Spec.size() - at > 19)
        return false;
    uint64_t k = 0;
    for (size_t i = at + 1; i < Spec.size(); ++i) {
        if (Spec[i] < '0' || Spec[i] > '9')
            return false;
        k = k * 10 + static_cast<uint64_t>(Spec[i] - '0');
    }
    Object = Spec.substr(0, at);
    Cycle = k;
    return true;
}

bool SaveVisImageBMP(const TVisImage& Image, const std::string& FileName) {
    const uint32_t rowSize = (static_cast<uint32_t>(Image.Width) * 3 + 3) & ~3u;
    const uint32_t dataSize = rowSize * static_cast<uint32_t>(Image.Height);
    std::string out;
    out.reserve(54 + dataSize);
    auto u16 = [&](uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out += "BM";
    u32(54 + dataSize);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<uint32_t>(Image.Width));
    u32(static_cast<uint32_t>(Image.Height));
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int32_t y = Image.Height - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int32_t x = 0; x < Image.Width; ++x) {
            const uint32_t p = Image.At(x, y);
            out += static_cast<char>(p & 0xFF);
            out += static_cast<char>((p >> 8) & 0xFF);
            out += static_cast<char>((p >> 16) & 0xFF);
        }
        out.resize(start + rowSize, '\0');
    }
    const std::string tmp = FileName + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f)
            return false;
        f.write(out.data(), static_cast<std::streamsize>(out.size()));
        if (!f)
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, FileName, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

} // namespace korvo
