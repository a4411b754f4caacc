// CompilePOU: the line loop with its contexts, declaration blocks, declaration lines,
// on-demand compiling of used POUs and the memory allocation of the frame.
#include "Compiler/POUCompiler.h"

#include "Compiler/Literals.h"
#include "Compiler/Scanner.h"

namespace korvo {

void CompilePOU(TCompileContext& C, TProjectDesc& Project, int32_t POUIndex) {
    TPOUCompiler(C, Project, POUIndex).Run();
}

TPOUCompiler::TPOUCompiler(TCompileContext& ctx, TProjectDesc& project, int32_t pouIndex)
    : C(ctx), Project(project), POUIndex(pouIndex), POU(*project.POUList[size_t(pouIndex)]),
      ProjectNames(project.Identifiers.begin(), project.Identifiers.end()),
      DeclaredNames(POU.Identifiers.begin(), POU.Identifiers.end()) {
    for (size_t i = 0; i < POU.Labels.size(); ++i)
        LabelIndex.emplace(UpperCase(POU.Labels[i]->LabelName), i);
}

void TPOUCompiler::Run() {
    C.APOUINDEX = POUIndex;
    if (POU.POUText.size() > MAXPOULINES) {
        C.ALINDEX = int32_t(MAXPOULINES);
        C.ACHINDEX = 0;
        C.Fail(msg::TooManyLines);
    }
    C.ActivePOUs.push_back(POUIndex);
    struct Pop {
        TCompileContext& c;
        ~Pop() { c.ActivePOUs.pop_back(); }
    } pop{C};

    for (size_t i = 0; i < POU.POUText.size(); ++i) {
        C.APOUINDEX = POUIndex;
        C.ALINDEX = int32_t(i);
        C.ACHINDEX = 0;
        std::string line(StripLineEnd(POU.POUText[i]));
        SkipBlanksAndComment(C, line);
        if (line.empty())
            continue;
        CompileLine(line);
    }
    ResolveJumps();
    if (Context != CTROOT)
        C.Fail("Unexpected end of file");
}

void TPOUCompiler::CompileLine(std::string& line) {
    std::string s1 = GetNextElement(C, line);
    int kw = FindKeyword(s1);
    if (kw > 0 && !KEYWORDS[size_t(kw)].Supported)
        C.Fail(msg::KeywordNotSupported);
    const TKeyword* k = kw > 0 ? &KEYWORDS[size_t(kw)] : nullptr;

    switch (Context) {
    case CTROOT:
        if (!k)
            C.Fail(msg::PouHeaderExpected);
        Context = CTPROGFB; // the header scan has read the rest
        return;

    case CTPROGFB:
        if (k && k->Group == KG_VARDEC) {
            TVarType block = k->ID == KW_VAR_INPUT    ? VTVAR_INPUT
                             : k->ID == KW_VAR_OUTPUT ? VTVAR_OUTPUT
                                                      : VTVAR;
            if (!(POU.VarGroups & (1u << block)))
                C.Fail("VAR-type not allowed in this POU");
            BlockType = block;
            Context = CTVAR;
            ExpectEndOfLine(C, line);
        } else if (!k || k->Group == KG_AWLCMD || k->Group == KG_PREDEF_FUNCS) {
            if (!Allocated)
                PrepareILProcessing();
            Context = CTAWL;
            InstructionPart(s1, kw, line);
        }
        return; // keywords of other groups: the line is skipped

    case CTVAR:
        if (k && k->ID == KW_END_VAR) {
            ExpectEndOfLine(C, line);
            Context = CTPROGFB;
        } else if (k && !C.COMPILINGSTANDARDIL) {
            C.Fail(msg::InvalidIdentifier);
        } else {
            DeclarationLine(s1, line);
        }
        return;

    case CTAWL:
        InstructionPart(s1, kw, line);
        return;
    }
}

void TPOUCompiler::DeclarationLine(std::string name, std::string& line) {
    struct TDeclared {
        std::string name;
        bool at = false;
        int32_t byteAdr = 0;
        uint8_t bitAdr = 0;
    };
    std::vector<TDeclared> names;
    std::string s2;
    for (;;) {
        if (!IsIdent(C, name))
            C.Fail(msg::InvalidIdentifier);
        TDeclared d;
        d.name = UpperCase(name);
        if (ProjectNames.count(d.name) || DeclaredNames.count(d.name)) // AlreadyDefined, hashed
            C.Fail("Identifier already defined");
        POU.Identifiers.push_back(d.name);
        DeclaredNames.insert(d.name);
        SkipWhitespace(C, line);
        s2 = GetNextElement(C, line);
        if (SameText(s2, "AT")) {
            if (POU.POUType != PTPROGRAM)
                C.Fail(msg::OnlyInProgram);
            SkipWhitespace(C, line);
            if (GetNextElement(C, line) != "%")
                C.Fail("Direct address expected (%xxx)");
            std::string adr = GetNextElementX(C, line, ".");
            int16_t size;
            int32_t type, adrType;
            if (!GetDirectAdr(adr, d.byteAdr, d.bitAdr, size, type, adrType))
                C.Fail("Direct address expected (%xxx)");
            d.at = true;
            SkipWhitespace(C, line);
            s2 = GetNextElement(C, line);
        }
        names.push_back(std::move(d));
        if (s2 != ",")
            break;
        SkipWhitespace(C, line);
        name = GetNextElement(C, line);
    }
    if (s2 != ":")
        C.Fail(msg::ColonExpected);
    SkipWhitespace(C, line);
    std::string typeName = GetNextElement(C, line);
    int32_t typeRef = LookupDeclType(typeName);
    const TTypeDesc* td = GetTypeDesc(typeRef, Project.TypeList);
    ExpectEndOfLine(C, line);

    for (const TDeclared& d : names) {
        auto v = std::make_unique<TVarDesc>();
        v->VarName = d.name;
        v->VarType = BlockType;
        v->MemAdr = d.at ? d.byteAdr : -1;
        v->BitAdr = d.at ? d.bitAdr : 0;
        v->DataType = typeRef;
        v->DataSize = td ? td->DataSize : 0;
        POU.VarList.push_back(std::move(v));
        DeclLines.push_back(C.ALINDEX);
    }
}

int32_t TPOUCompiler::LookupDeclType(const std::string& name) {
    int32_t iec = FindIECType(name);
    if (iec >= 0)
        return TypeRef(iec);
    for (size_t t = 0; t < Project.TypeList.size(); ++t) {
        const TTypeDesc& td = *Project.TypeList[t];
        if (!SameText(td.TypeName, name))
            continue;
        if (td.FB >= 0 && size_t(td.FB) < Project.POUList.size() &&
            !Project.POUList[size_t(td.FB)]->FBCompiled)
            CompileOnDemand(td.FB, false);
        return int32_t(t);
    }
    C.Fail(msg::UnknownTypeIdentifier);
}

void TPOUCompiler::CompileOnDemand(int32_t pouIndex, bool isCall) {
    for (int32_t active : C.ActivePOUs)
        if (active == pouIndex)
            C.Fail(isCall ? msg::RecursiveCall : msg::RecursiveInstance);
    int32_t line = C.ALINDEX, column = C.ACHINDEX;
    CompilePOU(C, Project, pouIndex);
    C.APOUINDEX = POUIndex;
    C.ALINDEX = line;
    C.ACHINDEX = column;
}

namespace {
int32_t BytesOf(int32_t dataSize) {
    return dataSize <= 0 ? 0 : dataSize / 8 + (dataSize % 8 != 0 ? 1 : 0);
}
} // namespace

void TPOUCompiler::PrepareILProcessing() {
    Allocated = true;
    // A PROGRAM's frame starts at byte 0 of the data memory; every other frame lies on top
    // of it (function) or inside it (instance).
    const int32_t limit = POU.POUType == PTPROGRAM ? DMEMSIZE : DMEMSIZE - FIRSTFREE;
    int32_t size = POU.LocalMemSize;
    for (int g = VGVAR; g <= VGVAR_ACCESS; ++g) {
        if (!(POU.VarGroups & (1u << g)))
            continue;
        for (size_t i = 0; i < POU.VarList.size(); ++i) {
            TVarDesc& v = *POU.VarList[i];
            if (v.VarType != g || v.MemAdr != -1)
                continue;
            v.MemAdr = size;
            size += BytesOf(v.DataSize);
            if (size > limit) {
                C.ALINDEX = DeclLines[i];
                C.ACHINDEX = 0;
                C.Fail(msg::OutOfMemory);
            }
        }
    }
    POU.LocalMemSize = size;
    if (POU.POUType == PTPROGRAM)
        POU.CodeAt(0).OpdLong = uint32_t(size);
    if (POU.POUType == PTFUNCTION) {
        if (POU.ReturnType >= 0 && size_t(POU.ReturnType) < Project.TypeList.size()) {
            int32_t fb = Project.TypeList[size_t(POU.ReturnType)]->FB;
            if (fb >= 0 && size_t(fb) < Project.POUList.size() && !Project.POUList[size_t(fb)]->FBCompiled)
                CompileOnDemand(fb, false);
        }
        const TTypeDesc* rt = GetTypeDesc(POU.ReturnType, Project.TypeList);
        int32_t rtSize = rt ? rt->DataSize : 0;
        POU.ReturnAdr = size;
        POU.LocalMemSize = size + BytesOf(rtSize);
        if (POU.LocalMemSize > limit)
            C.Fail(msg::OutOfMemory);
        auto v = std::make_unique<TVarDesc>();
        v->VarName = UpperCase(POU.POUName);
        v->VarType = VTVAR_OUTPUT;
        v->MemAdr = POU.ReturnAdr;
        v->DataType = POU.ReturnType;
        v->DataSize = rtSize;
        POU.VarList.push_back(std::move(v));
        DeclLines.push_back(C.ALINDEX);
    }
}

} // namespace korvo
