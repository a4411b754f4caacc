// Compiling one POU: the line loop with its contexts, declarations and memory allocation
// (Declarations.cpp) and the instruction part (Instructions.cpp).
#pragma once

#include "Compiler/CompileError.h"
#include "PLCTypes/PLCTypes.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace korvo {

constexpr size_t MAXPOULINES = 65536;
constexpr size_t MAXPOUCOMMANDS = 65535;

namespace msg {
inline constexpr const char* RecursiveInstance = "FUNCTION_BLOCK contains an instance of itself";
inline constexpr const char* RecursiveCall = "Recursive call not allowed";
inline constexpr const char* CallOfProgram = "A PROGRAM cannot be called";
inline constexpr const char* CallOfFunctionBlock = "A FUNCTION_BLOCK is called with CAL and an instance";
inline constexpr const char* TooManyLines = "Too many lines in POU (at most 65536)";
inline constexpr const char* TooManyCommands = "Too many instructions in POU (at most 65535)";
inline constexpr const char* OutOfMemory = "Variables do not fit into the PLC memory of 2001 bytes";
} // namespace msg

// Compiles POU POUIndex, whose header has been scanned. May compile other POUs on demand.
void CompilePOU(TCompileContext& C, TProjectDesc& Project, int32_t POUIndex);

class TPOUCompiler {
public:
    TPOUCompiler(TCompileContext& C, TProjectDesc& Project, int32_t POUIndex);
    void Run();

private:
    enum TContext { CTROOT = 0, CTPROGFB = 1, CTVAR = 2, CTAWL = 3 };

    struct TPendingJump {
        uint16_t CmdNo;
        std::string LabelName;
        int32_t Line, Column;
    };

    // Declarations.cpp
    void CompileLine(std::string& line);
    void DeclarationLine(std::string s1, std::string& line);
    int32_t LookupDeclType(const std::string& name);
    void PrepareILProcessing();
    void CompileOnDemand(int32_t pouIndex, bool isCall);

    // Instructions.cpp
    void InstructionPart(const std::string& s1, int kw, std::string& line);
    void EndLine(const TKeyword& k, std::string& line);
    void InstructionLine(const TKeyword& k, std::string& line);
    void FunctionCall(int32_t fIndex, std::string& line);
    void LabelLine(const std::string& s1, std::string& line);
    void ResolveJumps();
    TAWLCommand& NewCmd(size_t n);

    // Operand candidates of an instruction or argument.
    struct TOperand {
        TOpdTypes kinds = 0;
        int count = 0;
        TOpdType last = OTVAR;
        int32_t literalType = 0;
        TUS64 literal{};
        const TVarDesc* var = nullptr;    // variable, or instance of a member
        const TVarDesc* member = nullptr; // member of the instance var
    };
    void ReadOperand(const std::string& text, std::string& line, TOpdTypes allowed, TOperand& opd);
    void FillOperand(TAWLCommand& cmd, const TOperand& opd);
    const TVarDesc* FindVar(const TPOUDesc& pou, std::string_view name);
    const TLabelDesc* FindLabel(std::string_view name) const;

    TCompileContext& C;
    TProjectDesc& Project;
    int32_t POUIndex;
    TPOUDesc& POU;
    TContext Context = CTROOT;
    TVarType BlockType = VTVAR;
    bool Allocated = false;
    std::vector<TPendingJump> Pending;
    std::vector<int32_t> DeclLines; // declaration line of VarList[i]

    // Hash indexes beside the name lists, so long sources stay linear.
    std::unordered_set<std::string> ProjectNames;       // Project.Identifiers
    std::unordered_set<std::string> DeclaredNames;      // POU.Identifiers
    std::unordered_map<std::string, size_t> LabelIndex; // first label of each upper-case name
    std::unordered_map<const TPOUDesc*, std::unordered_map<std::string, const TVarDesc*>> VarIndex;
};

} // namespace korvo
