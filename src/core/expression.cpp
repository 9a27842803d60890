#include "core/expression.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace ramulet {

namespace {

// Nesting beyond this is refused rather than recursed into (each level costs stack).
constexpr int MaxDepth = 64;

// pi to more digits than an 80-bit real holds, rounded once by the compiler.
constexpr long double Pi = 3.141592653589793238462643383279502884L;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Recursive descent over
//   sum     := product (("+" | "-") product)*
//   product := unary (("*" | "/") unary)*
//   unary   := ("-" | "+") unary | primary
//   primary := number | "pi" | "sqrt" "(" sum ")" | "(" sum ")"
// The first fault found stops the evaluation; every function returns 0 after it.
class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    ExpressionResult Run()
    {
        SkipBlanks();
        if (m_pos == m_text.size()) {
            return Fail(ExpressionError::Empty);
        }
        const long double v = Sum(0);
        if (m_result.ok() && m_pos != m_text.size()) {
            Fail(ExpressionError::UnexpectedText);
        }
        if (m_result.ok()) {
            m_result.value = v;
        }
        return m_result;
    }

private:
    ExpressionResult Fail(ExpressionError e)
    {
        if (m_result.ok()) {
            m_result.error = e;
            m_result.position = static_cast<int>(m_pos);
        }
        return m_result;
    }

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')) {
            ++m_pos;
        }
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    // Every operation's result is checked, so that no infinity or NaN ever reaches a row.
    long double Checked(long double v)
    {
        if (!std::isfinite(v)) {
            Fail(ExpressionError::NotFinite);
            return 0.0L;
        }
        return v;
    }

    long double Sum(int depth)
    {
        long double v = Product(depth);
        while (m_result.ok()) {
            if (Take('+')) {
                v = Checked(v + Product(depth));
            } else if (Take('-')) {
                v = Checked(v - Product(depth));
            } else {
                break;
            }
        }
        return v;
    }

    long double Product(int depth)
    {
        long double v = Unary(depth);
        while (m_result.ok()) {
            if (Take('*')) {
                v = Checked(v * Unary(depth));
            } else if (Take('/')) {
                const size_t at = m_pos;
                const long double d = Unary(depth);
                if (m_result.ok() && d == 0.0L) {
                    m_pos = at;
                    Fail(ExpressionError::DivisionByZero);
                    return 0.0L;
                }
                v = Checked(v / d);
            } else {
                break;
            }
        }
        return v;
    }

    long double Unary(int depth)
    {
        if (depth > MaxDepth) {
            Fail(ExpressionError::TooDeep);
            return 0.0L;
        }
        if (Take('-')) {
            return -Unary(depth + 1);
        }
        if (Take('+')) {
            return Unary(depth + 1);
        }
        return Primary(depth);
    }

    long double Parenthesised(int depth)
    {
        const long double v = Sum(depth + 1);
        if (m_result.ok() && !Take(')')) {
            Fail(ExpressionError::MissingParenthesis);
        }
        return v;
    }

    long double Primary(int depth)
    {
        SkipBlanks();
        if (m_pos == m_text.size()) {
            Fail(ExpressionError::MissingOperand);
            return 0.0L;
        }
        const char c = m_text[m_pos];
        if (IsDigit(c) || c == '.') {
            return Number();
        }
        if (Take('(')) {
            return Parenthesised(depth);
        }
        if (IsLetter(c)) {
            return Name(depth);
        }
        Fail(c == ')' || c == '*' || c == '/' ? ExpressionError::MissingOperand
                                              : ExpressionError::UnexpectedText);
        return 0.0L;
    }

    long double Name(int depth)
    {
        const size_t start = m_pos;
        std::string word;
        while (m_pos < m_text.size() && (IsLetter(m_text[m_pos]) || IsDigit(m_text[m_pos]))) {
            word.push_back(Lower(m_text[m_pos]));
            ++m_pos;
        }
        if (word == "pi") {
            return Pi;
        }
        if (word == "sqrt") {
            if (!Take('(')) {
                Fail(ExpressionError::MissingParenthesis);
                return 0.0L;
            }
            const size_t at = m_pos;
            const long double v = Parenthesised(depth);
            if (m_result.ok() && v < 0.0L) {
                m_pos = at;
                Fail(ExpressionError::NegativeRoot);
                return 0.0L;
            }
            return std::sqrt(v);
        }
        m_pos = start;
        Fail(ExpressionError::UnexpectedText);
        return 0.0L;
    }

    // digits ["." [digits]] [("E" | "e") [sign] digits], or "." digits: the file's reals
    // without their sign (a sign here is the unary operator).
    long double Number()
    {
        const size_t start = m_pos;
        size_t mantissa = 0;
        auto digits = [&] {
            size_t n = 0;
            while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) {
                ++m_pos;
                ++n;
            }
            return n;
        };
        mantissa += digits();
        if (m_pos < m_text.size() && m_text[m_pos] == '.') {
            ++m_pos;
            mantissa += digits();
        }
        if (mantissa == 0) {
            Fail(ExpressionError::UnexpectedText);
            return 0.0L;
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            const size_t e = m_pos++;
            if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-')) {
                ++m_pos;
            }
            if (digits() == 0) {
                m_pos = e;
                Fail(ExpressionError::UnexpectedText);
                return 0.0L;
            }
        }
        long double v = 0.0L;
        const char *first = m_text.data() + start;
        const char *last = m_text.data() + m_pos;
        // Locale-independent and correctly rounded to the 64-bit mantissa.
        const auto [end, ec] = std::from_chars(first, last, v, std::chars_format::general);
        if (ec != std::errc() || end != last || !std::isfinite(v)) {
            m_pos = start;
            Fail(ExpressionError::OutOfRange);
            return 0.0L;
        }
        return v;
    }

    std::string_view m_text;
    size_t m_pos = 0;
    ExpressionResult m_result;
};

} // namespace

ExpressionResult EvaluateExpression(std::string_view text) { return Parser(text).Run(); }

} // namespace ramulet
