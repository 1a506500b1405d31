// The code line language: one line of integer arithmetic over statuses, variables and system values,
// with at most one assignment. Groups and rand calls are replaced by their values as text, then the
// flat text is tokenised on blanks and reduced by operator level.
#pragma once
#include <array>
#include <string>
#include <string_view>

class cCharaBase;

extern const std::array<std::string_view, 1> g_CodeFuncNames;
extern const std::array<std::string_view, 6> g_CodeOpNames;
extern const std::array<int, 6> g_CodeOpPrecedence;
extern const std::array<std::string_view, 8> g_CodeObjNames;
extern const std::array<std::string_view, 2> g_CodeVarScopes;
extern const std::array<std::string_view, 28> g_CodePropNames;
extern const std::array<std::string_view, 5> g_CodeSysVarNames;

// Set by every error of the last line run.
extern int g_bCodeError;

// Runs the line on the subject: 1 when it ran, 0 after an error (assignments made before the error
// stay). A change of the subject's HP or SP animates its gauge.
int RunCode(const std::string& code, cCharaBase* subject);
// The value of a line: groups and calls replaced, then evaluated.
int ParseCode(const std::string& code, cCharaBase* subject);
// The value of a text without parentheses.
int EvalCode(const std::string& text, cCharaBase* subject);
