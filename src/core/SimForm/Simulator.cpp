// Visualization window logic: loading, events, idle action, hit testing, reset.
#include "SimForm/Simulator.h"

#include "Parser/RuleMachine.h"
#include "Parser/Scanner.h"

#include <algorithm>
#include <filesystem>

namespace korvo {

namespace fs = std::filesystem;

TSimulator::TSimulator(IVisHost& Host, const TPictureLibrary* Pictures) : FHost(Host), FPictures(Pictures) {}

bool TSimulator::SetInfoFile(const std::string& AInfoFile) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(AInfoFile), ec);
    FInfoFile = ec ? AInfoFile : p.lexically_normal().string();
    FDesc = TVisDescription{};
    std::vector<std::string> lines;
    if (!fs::is_regular_file(FInfoFile, ec) || !ReadSDFFileLines(FInfoFile, lines)) {
        FHost.ShowMessage(vismsg::FileNotFound(FInfoFile));
        return false;
    }
    TSDFError err;
    bool ok = false;
    try {
        ok = LoadSDFLines(lines, TVisContext{FPictures, &FHost}, FDesc, err);
    } catch (const std::exception&) { // out of memory on an absurd file
        err = {0, "file too large", false};
    }
    if (!ok) {
        FHost.ShowMessage(FormatSDFError(FInfoFile, err));
        FDesc = TVisDescription{};
        return false;
    }
    return true;
}

std::string TSimulator::Caption() const {
    if (FDesc.FWindow && !FDesc.FWindow->FTitle.empty())
        return FDesc.FWindow->FTitle;
    return fs::path(FInfoFile).filename().string();
}

std::vector<TSimulator::TTextLabel> TSimulator::TextLabels() const {
    std::vector<TTextLabel> labels;
    if (!FDesc.FWindow)
        return labels;
    for (const auto& c : FDesc.FWindow->FChildren)
        if (c->FObjType == OTTEXT) {
            const auto* t = static_cast<const TodText*>(c.get());
            labels.push_back({t->FLeft, t->FTop, t->FText});
        }
    return labels;
}

void TSimulator::Paint(IVisCanvas& Canvas) {
    if (FDesc.FWindow)
        FDesc.FWindow->Paint(Canvas, {0, 0, PaintWidth(), PaintHeight()});
}

const TVisImage& TSimulator::Image() {
    static const TVisImage empty;
    if (!FDesc.FWindow)
        return empty;
    if (FDesc.FWindow->FIsInvalid) {
        FDesc.FWindow->FIsInvalid = false;
        TImageCanvas c(FDesc.FWindow->FBitmap);
        FDesc.FWindow->RenderTo(c, {0, 0, PaintWidth(), PaintHeight()});
    }
    return FDesc.FWindow->FBitmap;
}

TodUnknown* TSimulator::FindObject(const std::string& Name) const {
    const std::string u = VisUpper(Name);
    for (TodUnknown* o : FDesc.FAllObjects)
        if (o->FObjName == u)
            return o;
    return nullptr;
}

void TSimulator::Reset() {
    for (TodUnknown* o : FDesc.FAllObjects)
        o->Reset();
}

void TSimulator::ProcessRule(const TRuleCode* RuleCode) {
    ExecuteRuleCode(RuleCode, FDesc.FAllObjects, FSoftAG, &FHost);
}

bool TSimulator::RunFunction(const TodUnknown* Obj, const char* Name) {
    const TFunction* f = Obj ? Obj->GetFunctionByName(Name) : nullptr;
    if (!f)
        return false;
    // A function that keeps changing what notifies it would recurse without end.
    if (FRunDepth >= MaxRunNesting) {
        if (!FNestingReported) {
            FNestingReported = true;
            FHost.ShowMessage(vismsg::NestingTooDeep);
        }
        return true;
    }
    ++FRunDepth;
    ProcessRule(f->FCode.get());
    if (--FRunDepth == 0)
        FNestingReported = false;
    return true;
}

void TSimulator::CheckPicture(TodUnknown* Obj) {
    auto* d = static_cast<TodDynamicPic*>(Obj);
    if (d->FOnScreen == d->FCurrentPic)
        return;
    d->FOnScreen = d->FCurrentPic;
    RunFunction(d, visfn::OnChange);
}

void TSimulator::IdleAction() {
    if (!FProject || !FDesc.FWindow)
        return;
    TodWindow* w = FDesc.FWindow.get();
    // Functions run here may not add or remove objects, so indexes stay valid.
    for (size_t i = 0; i < w->FChildren.size(); ++i) {
        TodUnknown* c = w->FChildren[i].get();
        switch (c->FObjType) {
        case OTDYNAMICPIC:
            CheckPicture(c);
            break;
        case OTGROUP: {
            auto* g = static_cast<TodGroup*>(c);
            for (size_t k = 0; k < g->FChildren.size(); ++k)
                if (g->FChildren[k]->FObjType == OTDYNAMICPIC)
                    CheckPicture(g->FChildren[k].get());
            break;
        }
        case OTTIMER: {
            auto* t = static_cast<TodTimer*>(c);
            if (t->FTimeOut >= 0) {
                const uint32_t now = FHost.GetTickCount();
                if (uint64_t(now) >= uint64_t(t->FLastCount) + uint64_t(t->FTimeOut)) {
                    t->FLastCount = now;
                    RunFunction(t, visfn::OnTimer);
                }
            }
            break;
        }
        default:
            break;
        }
    }
    if (w->FIsInvalid)
        FHost.RepaintNeeded();
}

void TSimulator::NotifyMemChange(int32_t Ofs, int32_t, int32_t, int32_t) {
    if (!FDesc.FWindow)
        return;
    if (Ofs >= 0 && Ofs <= 15)
        RunFunction(FDesc.FODCPU, visfn::OnInputChange);
    else if (Ofs >= 16 && Ofs <= 31)
        RunFunction(FDesc.FODCPU, visfn::OnOutputChange);
    else if (Ofs >= 32 && Ofs <= 47)
        RunFunction(FDesc.FODCPU, visfn::OnMemChange);
    IdleAction();
}

TodDynamicPic* TSimulator::HitTest(int32_t X, int32_t Y, const char* Name) const {
    const TObjList& all = FDesc.FAllObjects;
    for (size_t i = all.size(); i-- > 0;) {
        if (all[i]->FObjType != OTDYNAMICPIC)
            continue;
        auto* d = static_cast<TodDynamicPic*>(all[i]);
        if (d->GetAbsPos().Contains(X, Y) && d->GetFunctionByName(Name))
            return d;
    }
    return nullptr;
}

bool TSimulator::MouseDown(int32_t X, int32_t Y) {
    TodDynamicPic* d = HitTest(X, Y, visfn::OnMouseDown);
    if (!d)
        return false;
    RunFunction(d, visfn::OnMouseDown);
    IdleAction();
    return true;
}

bool TSimulator::MouseUp(int32_t X, int32_t Y) {
    TodDynamicPic* d = HitTest(X, Y, visfn::OnMouseUp);
    if (d) {
        RunFunction(d, visfn::OnMouseUp);
        IdleAction();
    }
    FDrag.End();
    return d != nullptr;
}

std::vector<std::string> CollectSimFiles(const std::string& DataDir) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(DataDir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        if (VisUpper(it->path().extension().string()) == ".SDF")
            files.push_back(fs::absolute(it->path(), ec).lexically_normal().string());
    }
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        const std::string ua = VisUpper(a), ub = VisUpper(b);
        return ua != ub ? ua < ub : a < b;
    });
    return files;
}

std::string ReadSDFTitle(const std::string& AInfoFile, IVisHost* Host) {
    std::vector<std::string> lines;
    if (!ReadSDFFileLines(AInfoFile, lines))
        return "";
    bool failed = false;
    TSDFError err;
    std::string title = ScanSDFTitle(lines, failed, err);
    if (failed && Host)
        Host->ShowMessage(FormatSDFError(AInfoFile, err));
    return title;
}

} // namespace korvo
