// The IL compiler's public interface.
#pragma once

#include "Compiler/CompileDriver.h"
#include "Compiler/CompileError.h"
#include "Compiler/HeaderScan.h"
#include "Compiler/Literals.h"
#include "Compiler/POUCompiler.h"
#include "Compiler/Scanner.h"
