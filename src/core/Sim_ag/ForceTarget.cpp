#include "Sim_ag/ForceTarget.h"

#include "Compiler/CompileError.h"
#include "Compiler/Literals.h"
#include "Sim_ag/SoftAG.h"

#include <cctype>

namespace korvo {

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

} // namespace

bool ResolveForceTarget(const TProjectDesc& project, const std::string& nameIn, TForceTarget& target,
                        std::string& error) {
    const std::string name = Trim(nameIn);
    if (!name.empty() && name[0] == '%') {
        int32_t byte = 0, adrType = 0, type = 0;
        uint8_t bit = 0;
        int16_t bits = 0;
        bool ok = false;
        try {
            ok = GetDirectAdr(std::string_view(name).substr(1), byte, bit, bits, type, adrType);
        } catch (const std::exception&) {
            ok = false;
        }
        if (!ok || byte < 0 || byte + (bits > 8 ? bits / 8 : 1) > DMEMSIZE) {
            error = "invalid address '" + name + "'";
            return false;
        }
        target = TForceTarget{byte, bit, type};
        return true;
    }
    if (project.MainPOU < 0 || size_t(project.MainPOU) >= project.POUList.size() ||
        !project.POUList[size_t(project.MainPOU)]) {
        error = "the project has no PROGRAM";
        return false;
    }
    const TPOUDesc* pou = project.POUList[size_t(project.MainPOU)].get();
    std::string rest = Upper(name);
    int32_t base = 0;
    for (;;) {
        const size_t dot = rest.find('.');
        const std::string part = rest.substr(0, dot);
        const TVarDesc* v = nullptr;
        for (const auto& var : pou->VarList)
            if (var && var->VarName == part)
                v = var.get();
        if (!v) {
            error = "unknown variable '" + name + "'";
            return false;
        }
        base += v->MemAdr;
        if (dot == std::string::npos) {
            if (v->DataType >= 0) {
                error = "'" + name + "' is a function block instance; name one of its members";
                return false;
            }
            target = TForceTarget{base, v->BitAdr, v->DataType};
            return true;
        }
        const TTypeDesc* td = GetTypeDesc(v->DataType, project.TypeList);
        if (v->DataType < 0 || !td || td->FB < 0 || size_t(td->FB) >= project.POUList.size() ||
            !project.POUList[size_t(td->FB)]) {
            error = "'" + part + "' in '" + name + "' is not a function block instance";
            return false;
        }
        pou = project.POUList[size_t(td->FB)].get();
        rest.erase(0, dot + 1);
    }
}

bool ParseForceValue(int32_t DataType, const std::string& textIn, int64_t& value, std::string& error) {
    const std::string text = Trim(textIn);
    int32_t litType = 0;
    TUS64 lit{};
    bool ok = false;
    try {
        ok = !text.empty() && GetLiteralValue(text, litType, lit);
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok) {
        error = "invalid value '" + text + "'";
        return false;
    }
    const bool untyped = litType == TR_SLITERAL;
    if (DataType == TR_BOOL) {
        if (!(litType == TR_BOOL || (untyped && (lit.S64 == 0 || lit.S64 == 1)))) {
            error = "a BOOL is forced to 0, 1, TRUE or FALSE";
            return false;
        }
    } else if (DataType == TR_TIME) {
        if (litType != TR_TIME) {
            error = "a TIME is forced to a duration such as T#1s";
            return false;
        }
    } else if (!untyped && litType != DataType) {
        error = "value '" + text + "' is not of the variable's type";
        return false;
    }
    value = lit.S64;
    return true;
}

} // namespace korvo
