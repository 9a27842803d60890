#pragma once

// A small arithmetic expression in extended precision, for values the user types: numbers as
// the template file writes them, + - * / and parentheses, unary minus and plus, sqrt(...) and
// pi. Our own parser, so that every step runs in `long double` (0.7 stays the 80-bit 0.7).

#include <string_view>

namespace ramulet {

// Why an expression was refused. The window words the message; the position says where.
enum class ExpressionError {
    None,
    Empty,              // nothing but blanks
    UnexpectedText,     // a character or word that has no place here
    MissingOperand,     // an operator or "(" with nothing after it
    MissingParenthesis, // a "(" not closed
    TooDeep,            // parentheses nested beyond any sensible value
    OutOfRange,         // a number too large (or too small) for an extended real
    DivisionByZero,
    NegativeRoot,       // sqrt of a value below zero
    NotFinite,          // an intermediate value overflowed
};

struct ExpressionResult {
    long double value = 0.0L;
    ExpressionError error = ExpressionError::None;
    int position = 0; // byte offset in the text where the fault was found
    bool ok() const { return error == ExpressionError::None; }
};

// Evaluates `text` (ASCII; any other byte is refused). Blanks may stand between tokens.
// Names are taken in any case ("pi", "PI", "Sqrt").
ExpressionResult EvaluateExpression(std::string_view text);

} // namespace ramulet
