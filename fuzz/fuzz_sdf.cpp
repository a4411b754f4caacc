// The .sdf loader. Input: a visualization description. It is scanned for its title, loaded,
// and when it loads, run headless against a soft PLC: clicks on every object, cycles with
// timers, a reset, and a full repaint.
#include "FuzzVis.h"

using namespace korvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 128 * 1024)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitLines(text);

    bool failed = false;
    TSDFError err;
    (void)ScanSDFTitle(lines, failed, err);
    if (failed)
        (void)FormatSDFError("x.sdf", err);

    {
        fuzz::TQuietHost host;
        TVisDescription desc;
        TSDFError lerr;
        if (!LoadSDFLines(lines, TVisContext{&fuzz::Pictures(), &host}, desc, lerr)) {
            if (lerr.Message.empty()) {
                std::fprintf(stderr, "fuzz: load failed without a message\n");
                std::abort();
            }
            (void)FormatSDFError("x.sdf", lerr);
            return 0;
        }
    }

    const std::filesystem::path dir = fuzz::ScratchDir("sdf");
    const std::string file = (dir / "x.sdf").string();
    fuzz::WriteFile(file, text);
    fuzz::TVisRig rig;
    if (!rig.Vis->Open(file))
        return 0;
    TSimulator& sim = rig.Vis->Simulator();
    std::vector<std::string> names;
    for (const TodUnknown* o : sim.AllObjects())
        if (o)
            names.push_back(o->FObjName);
    std::string e;
    for (size_t i = 0; i < names.size() && i < 32; ++i) {
        rig.Vis->Click(names[i], e);
        rig.Cycle(37);
    }
    for (int k = 0; k < 8; ++k)
        rig.Cycle(250);
    rig.AG.ResetAll();
    rig.AG.SetMode(MM_RUN);
    rig.Vis->Reset();
    (void)rig.Vis->DescribeState();
    (void)sim.Caption();
    (void)sim.TextLabels();
    for (int32_t y = 0; y < sim.PaintHeight() && y < 2000; y += 97)
        for (int32_t x = 0; x < sim.PaintWidth() && x < 2000; x += 89) {
            sim.MouseDown(x, y);
            sim.MouseUp(x, y);
        }
    (void)sim.Image();
    return 0;
}
