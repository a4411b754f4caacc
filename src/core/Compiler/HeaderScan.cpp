// POU discovery: header scan, library cutter, editor name/kind readers.
#include "Compiler/HeaderScan.h"

#include "Compiler/Scanner.h"

namespace korvo {

namespace {

void ResetCode(TPOUDesc& P) {
    if (P.CodeSize == 0)
        P.CodeAt(CODE_GROWTH - 1);
    for (TAWLCommand& cmd : P.Code)
        cmd = TAWLCommand{};
    P.CmdCount = 0;
}

// ID of the keyword in row kw if it opens a POU (PROGRAM, FUNCTION, FUNCTION_BLOCK), else 0.
uint16_t HeaderKeywordID(int kw) {
    return kw > 0 && KEYWORDS[size_t(kw)].Group == KG_PROGFB ? KEYWORDS[size_t(kw)].ID : 0;
}

std::string ReadPOUName(TCompileContext& C, const TProjectDesc& Project, std::string& line) {
    SkipWhitespace(C, line);
    if (line.empty())
        C.Fail(msg::PouNameExpected);
    std::string name = GetNextElement(C, line);
    if (!IsIdent(C, name))
        C.Fail(msg::InvalidIdentifier);
    if (AlreadyDefined(Project.Identifiers, nullptr, name))
        C.Fail(msg::PouAlreadyDefined);
    return name;
}

} // namespace

void RegisterFBType(TProjectDesc& Project, int32_t POUIndex, const std::string& Name, int32_t DataSize) {
    auto t = std::make_unique<TTypeDesc>();
    t->TypeName = Name;
    t->DataSize = DataSize;
    t->DT_Type = TDT_Type::STRUCT;
    t->FB = POUIndex;
    t->Initial.assign(DataSize > 0 ? size_t(DataSize / 8) : 0, 0);
    if (t->Initial.size() < 8)
        t->Initial.resize(8, 0);
    Project.TypeList.push_back(std::move(t));
}

void UpdatePOUDesc(TCompileContext& C, TProjectDesc& Project, int32_t POUIndex, TPOUDesc& P) {
    C.APOUINDEX = POUIndex;
    if (P.Compiled) {
        RegisterFBType(Project, POUIndex, P.POUName, P.LocalMemSize * 8);
        return;
    }
    for (size_t i = 0; i < P.POUText.size(); ++i) {
        C.ALINDEX = int32_t(i);
        C.ACHINDEX = 0;
        std::string line(StripLineEnd(P.POUText[i]));
        SkipBlanksAndComment(C, line);
        if (line.empty())
            continue;
        std::string s1 = GetNextElement(C, line);
        int kw = FindKeyword(s1);
        if (kw == 0)
            continue;
        if (!KEYWORDS[size_t(kw)].Supported)
            C.Fail(msg::KeywordNotSupported);
        uint16_t id = HeaderKeywordID(kw);
        if (id == 0)
            C.Fail(msg::PouHeaderExpected);

        std::string name = ReadPOUName(C, Project, line);
        Project.Identifiers.push_back(UpperCase(name));

        int32_t returnType = 0;
        if (id == KW_FUNCTION) {
            SkipWhitespace(C, line);
            if (GetNextElement(C, line) != ":")
                C.Fail(msg::ColonExpected);
            SkipWhitespace(C, line);
            if (line.empty())
                C.Fail("Type identifier expected");
            std::string type = GetNextElement(C, line);
            int32_t iec = FindIECType(type);
            if (iec >= 0) {
                returnType = TypeRef(iec);
            } else {
                int32_t found = -1;
                for (size_t t = 0; t < Project.TypeList.size(); ++t)
                    if (SameText(Project.TypeList[t]->TypeName, type)) {
                        found = int32_t(t);
                        break;
                    }
                if (found < 0)
                    C.Fail(msg::UnknownTypeIdentifier);
                returnType = found;
            }
            SkipWhitespace(C, line);
        }
        ExpectEndOfLine(C, line);

        P.POUName = name;
        P.FBCompiled = false;
        P.VarList.clear();
        switch (id) {
        case KW_FUNCTION:
            P.POUType = PTFUNCTION;
            P.VarGroups = VARGROUPS_FUNCTION;
            P.LocalMemSize = 0;
            P.ReturnType = returnType;
            break;
        case KW_FUNCTION_BLOCK:
            P.POUType = PTFUNCTION_BLOCK;
            P.VarGroups = VARGROUPS_FUNCTION_BLOCK;
            P.LocalMemSize = 0;
            RegisterFBType(Project, POUIndex, name, -1);
            break;
        default: // PROGRAM
            P.POUType = PTPROGRAM;
            P.VarGroups = VARGROUPS_PROGRAM;
            P.LocalMemSize = FIRSTFREE;
            if (Project.MainPOU != -1)
                C.Fail("More than one PROGRAM");
            Project.MainPOU = POUIndex;
            Project.MainPOUStartLine = int32_t(i);
            break;
        }

        P.Labels.clear();
        ResetCode(P);
        if (P.POUType == PTPROGRAM) {
            TAWLCommand& frame = P.CodeAt(0);
            frame.MicroCmd = OP_PUSHFRAME;
            frame.OpdLong = uint32_t(P.LocalMemSize);
            frame.SourceLine = int32_t(i);
            P.CmdCount = 1;
        }
        P.ConstMemSize = 0;
        P.ConstMem.clear();
        P.Identifiers.clear();
        return;
    }
    // No header: the POU is nothing that can be compiled or called; drop what an earlier
    // compilation left so no stale name or code is used.
    P.POUName.clear();
    P.POUType = PTUNKNOWN;
    P.FBCompiled = false;
    P.VarList.clear();
    P.Labels.clear();
    P.CmdCount = 0;
    P.LocalMemSize = 0;
    P.ConstMemSize = 0;
    P.ConstMem.clear();
    P.Identifiers.clear();
}

void CreatePOUDescs(TCompileContext& C, TProjectDesc& Project, const std::vector<std::string>& ASource) {
    enum { CTROOT, CTPROGFB } context = CTROOT;
    TPOUDesc* current = nullptr;
    for (size_t i = 0; i < ASource.size(); ++i) {
        C.ALINDEX = int32_t(i);
        C.ACHINDEX = 0;
        std::string_view raw = StripLineEnd(ASource[i]);
        std::string line(raw);
        SkipBlanksAndComment(C, line);
        if (line.empty())
            continue;
        std::string s1 = GetNextElement(C, line);
        int kw = FindKeyword(s1);
        bool appended = false;
        if (kw > 0) {
            const TKeyword& k = KEYWORDS[size_t(kw)];
            if (context == CTROOT && k.Group == KG_PROGFB) {
                std::string name = ReadPOUName(C, Project, line);
                ExpectEndOfLine(C, line);
                auto p = std::make_unique<TPOUDesc>();
                p->Compiled = true;
                p->POUName = name;
                p->CodeAt(CODE_GROWTH - 1);
                p->CmdCount = 0;
                int32_t index = int32_t(Project.POUList.size());
                if (k.ID == KW_FUNCTION_BLOCK) {
                    p->POUType = PTFUNCTION_BLOCK;
                    p->VarGroups = VARGROUPS_FUNCTION_BLOCK;
                    p->LocalMemSize = 0;
                    RegisterFBType(Project, index, name, -1);
                }
                current = p.get();
                Project.POUList.push_back(std::move(p));
                context = CTPROGFB;
            } else if (context == CTPROGFB && k.Group == KG_ENDPROGFB) {
                current->POUText.emplace_back(raw);
                appended = true;
                if (k.ID == KW_END_FUNCTION && current->POUType != PTFUNCTION)
                    C.Fail(msg::OnlyInFunction);
                if (k.ID == KW_END_FUNCTION_BLOCK && current->POUType != PTFUNCTION_BLOCK)
                    C.Fail(msg::OnlyInFunctionBlock);
                ExpectEndOfLine(C, line);
                context = CTROOT;
            }
        }
        if (context == CTPROGFB && !appended)
            current->POUText.emplace_back(raw);
    }
}

namespace {

bool IsEditorSeparator(char c) {
    return c == '%' || c == '(' || c == ')' || c == '.' || c == ':';
}

// Element reader of the editor routines: word characters, or a run of % ( ) . :
std::string EditorElement(std::string_view& s) {
    size_t n = 0;
    if (!s.empty() && IsWordChar(s[0])) {
        while (n < s.size() && IsWordChar(s[n]))
            ++n;
    } else {
        while (n < s.size() && IsEditorSeparator(s[n]))
            ++n;
    }
    std::string r(s.substr(0, n));
    s.remove_prefix(n);
    return r;
}

void SkipBlanks(std::string_view& s) {
    while (!s.empty() && IsWhitespace(s.front()))
        s.remove_prefix(1);
}

// Row of the first keyword line, with the rest of that line in rest; 0 if none.
int FirstKeywordLine(const std::vector<std::string>& ASource, std::string_view& rest) {
    for (const std::string& text : ASource) {
        std::string_view s = StripLineEnd(text);
        SkipBlanks(s);
        if (s.empty())
            continue;
        int kw = FindKeyword(EditorElement(s));
        if (kw == 0)
            continue;
        rest = s;
        return kw;
    }
    return 0;
}

} // namespace

std::string GetPOUName(const std::vector<std::string>& ASource) {
    std::string_view rest;
    int kw = FirstKeywordLine(ASource, rest);
    if (kw == 0 || KEYWORDS[size_t(kw)].Group != KG_PROGFB)
        return {};
    SkipBlanks(rest);
    if (rest.empty())
        return {};
    std::string name = EditorElement(rest);
    TCompileContext plain;
    return IsIdent(plain, name) ? name : std::string();
}

TPOUType GetPOUType(const std::vector<std::string>& ASource) {
    std::string_view rest;
    int kw = FirstKeywordLine(ASource, rest);
    if (kw == 0)
        return PTUNKNOWN;
    switch (KEYWORDS[size_t(kw)].ID) {
    case KW_PROGRAM:
        return PTPROGRAM;
    case KW_FUNCTION_BLOCK:
        return PTFUNCTION_BLOCK;
    case KW_FUNCTION:
        return PTFUNCTION;
    default:
        return PTUNKNOWN;
    }
}

} // namespace korvo
