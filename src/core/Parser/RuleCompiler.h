// Compiler of rule statements (SET, IF, ELSE, ENDIF, BELL) into rule code. Operands are
// literals (#n), PLC operands (%IX0.0, %QB1, %MW4...) and object fields ($OBJ.FIELD);
// operators apply strictly left to right, parentheses group.
#pragma once

#include "Parser/RuleCode.h"
#include "objdesc/ObjDesc.h"

#include <string>

namespace korvo {

class IVisHost;

enum class TValueType : uint8_t { vtLiteral = 0, vtCPUReg = 1, vtObjField = 2 };

namespace rulemsg {
inline constexpr const char* InvalidTarget = "invalid expression target";
inline constexpr const char* EqualExpected = "'=' expected";
inline constexpr const char* TooManyParens = "too many nested '(' (max. 5)";
inline constexpr const char* ErrorInExpression = "error in expression";
inline constexpr const char* UnknownOperation = "unknown operation";
inline constexpr const char* ValueExpected = "value expected";
inline constexpr const char* RParenExpected = "')' expected";
inline constexpr const char* UnexpectedRParen = "')' without '('";
inline constexpr const char* TooManyCommands = "too many commands in function (max. 624)";
inline constexpr const char* DotExpectedBox = "error in expression: '.' expected!";
inline std::string UnknownObjectBox(const std::string& Name) {
    return "unknown object: '" + Name + "'!";
}
} // namespace rulemsg

// Compiles the statement at the start of Expression and appends its code to RuleCode
// (created when null). Expression keeps what was not consumed; an unknown statement leaves it
// untouched. Errors raise EParseError; the code block is then left as it was.
void CompileSDLExpression(std::string& Expression, PRuleCode& RuleCode, const TObjList& AllObjects,
                          IVisHost* Host);

// Decodes a direct address without its "%" (IX0.3, QB1, MW4, I13...): byte address 0..47 in
// the outside view, bit 0..7, size 1/8/16/32/64.
bool GetDirectAdr(const std::string& AStr, int32_t& ByteAdr, uint8_t& BitAdr, uint16_t& DataSize);

// Reads one value off the start of Expression. Value is the literal or the operand encoding.
// Returns false when there is none; a "$" naming no object raises EParseError.
bool GetValue(std::string& Expression, int32_t& Value, TValueType& ValueType, const TObjList& AllObjects,
              IVisHost* Host);

} // namespace korvo
