// The stack machine that runs one function's rule code: registers WR1 (last value) and WR2
// (the one before), a five-entry stack, PLC operands through the outside view, object fields
// through the object list. Allocates nothing.
#pragma once

#include "Parser/RuleCode.h"
#include "objdesc/ObjDesc.h"

namespace korvo {

class IVisHost;
class IVisPLC;

namespace rulemsg {
inline constexpr const char* BadFieldId = "Fehler in Feld-ID";
inline constexpr const char* IfWithoutEndif = "SDL-error: IF without an ENDIF";
inline constexpr const char* ElseWithoutEndif = "SDL-error: ELSE without an ENDIF";
} // namespace rulemsg

// Runs Code once from command 0. Null Code does nothing; a null PLC reads 0 and takes no
// writes; a null Host shows nothing and does not beep.
void ExecuteRuleCode(const TRuleCode* Code, const TObjList& AllObjects, IVisPLC* PLC, IVisHost* Host);

} // namespace korvo
