// The rule compiler plus ProcessRule against a soft PLC. Input: rule statements, one a line
// (SET, IF, ELSE, ENDIF, BELL), compiled into one code block against a fixed visualization,
// then run through the window's ProcessRule with the soft PLC's outside view, followed by
// cycles of the soft PLC so the visualization's own functions react.
#include "FuzzVis.h"
#include "Parser/RuleCompiler.h"

using namespace korvo;

namespace {

constexpr const char* Description = "OBJECT WINDOW W\n"
                                    "TITLE = Rig\n"
                                    "POSITION = 0,0,120,80\n"
                                    "OBJECT PICTURE BACK\nPOSITION = 0,0\nPICALIAS = BG\nEND_OBJECT\n"
                                    "OBJECT DYNAMICPIC LAMP\nPOSITION = 40,0\nPICALIAS = LAMP\n"
                                    "FIELD LINT X\nEND_OBJECT\n"
                                    "OBJECT DYNAMICPIC SW\nPOSITION = 0,40\nPICALIAS = BTN\nEND_OBJECT\n"
                                    "OBJECT TIMER T\nTIMEOUT = 100\nFIELD LINT N\nFIELD LINT M\nEND_OBJECT\n"
                                    "OBJECT GROUP DOOR\nPOSITION = 60,10\nPOSITION_2 = 60,70\n"
                                    "OBJECT DYNAMICPIC D\nPOSITION = 0,0\nPICALIAS = DIGIT\nEND_OBJECT\n"
                                    "END_OBJECT\n"
                                    "OBJECT TEXT L\nPOSITION = 2,70\nTEXT = hello\nEND_OBJECT\n"
                                    "END_OBJECT\n"
                                    "FUNCTION VOID SW.onMouseDown()\nSET $SW.IMG = !$SW.IMG\n"
                                    "SET %IX0.0 = $SW.IMG\nEND_FUNCTION\n"
                                    "FUNCTION VOID CPU.onOutputChange()\nSET $LAMP.IMG = %QB0 & #3\n"
                                    "SET $DOOR.MOVEPOS = %QW2\nEND_FUNCTION\n"
                                    "FUNCTION VOID T.onTimer()\nSET $T.N = $T.N + #1\n"
                                    "SET %IB1 = $T.N\nEND_FUNCTION\n"
                                    "FUNCTION VOID LAMP.onChange()\nSET $D.IMG = $LAMP.IMG\nEND_FUNCTION\n";

const std::string& DescriptionFile() {
    static const std::string file = [] {
        const std::filesystem::path dir = fuzz::ScratchDir("rules");
        const std::string f = (dir / "rig.sdf").string();
        fuzz::WriteFile(f, Description);
        return f;
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024)
        return 0;
    static fuzz::TVisRig* rig = [] {
        auto* r = new fuzz::TVisRig;
        if (!r->Vis->Open(DescriptionFile())) {
            std::fprintf(stderr, "fuzz: rig description does not load\n");
            std::abort();
        }
        return r;
    }();
    rig->AG.ResetAll();
    rig->AG.SetMode(MM_RUN);
    rig->Vis->Reset();

    TSimulator& sim = rig->Vis->Simulator();
    fuzz::TQuietHost host;
    PRuleCode code;
    for (std::string line : SplitLines(std::string_view(reinterpret_cast<const char*>(data), size))) {
        try {
            // A line may hold several statements; stop when one is not consumed.
            for (int n = 0; n < 64 && !line.empty(); ++n) {
                const std::string before = line;
                CompileSDLExpression(line, code, sim.AllObjects(), &host);
                size_t i = 0;
                while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                    ++i;
                line.erase(0, i);
                if (line == before)
                    break;
            }
        } catch (const EParseError&) {
        }
    }
    if (!code)
        return 0;
    bool ended = false;
    for (const TRuleCommand& c : code->Commands)
        if (c.Cmd == RCEND) {
            ended = true;
            break;
        }
    if (!ended) {
        std::fprintf(stderr, "fuzz: rule code without RCEND\n");
        std::abort();
    }
    sim.ProcessRule(code.get());
    for (int k = 0; k < 3; ++k) {
        rig->Cycle(60);
        sim.ProcessRule(code.get());
    }
    (void)rig->Vis->DescribeState();
    return 0;
}
