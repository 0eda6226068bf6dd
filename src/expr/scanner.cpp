#include "expr/scanner.h"

#include <cctype>

namespace mp::expr {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNamePart(char c) { return isNameStart(c) || isDigit(c); }

bool sameWord(std::string_view a, std::string_view upper) {
    if (a.size() != upper.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != upper[i]) return false;
    return true;
}

}  // namespace

char Scanner::peek(size_t ahead) const {
    size_t at = m_pos + ahead;
    return at < m_source.size() ? m_source[at] : '\0';
}

Token Scanner::make(TokenType type, size_t start, size_t end) const {
    return Token{type, m_source.substr(start, end - start), start, nullptr};
}

Token Scanner::error(size_t start, const char* message) const {
    return Token{TokenType::Error, m_source.substr(start, m_pos - start), start, message};
}

Token Scanner::next() {
    while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n')) ++m_pos;
    if (atEnd()) return Token{TokenType::End, {}, m_source.size(), nullptr};
    char c = peek();
    if (c == '"' || c == '\'') return text(c);
    if (isDigit(c)) return number();
    if (isNameStart(c)) return name();
    if (c == '.') return dotted();
    return sign();
}

Token Scanner::text(char quote) {
    size_t start = m_pos++;
    size_t body = m_pos;
    while (!atEnd() && peek() != quote) ++m_pos;
    if (atEnd()) return error(start, "unterminated text");
    Token t = make(TokenType::Text, body, m_pos);
    t.position = start;
    ++m_pos;  // the closing quote
    return t;
}

Token Scanner::number() {
    size_t start = m_pos;
    while (isDigit(peek())) ++m_pos;
    if (peek() == '.' && isDigit(peek(1))) {
        ++m_pos;
        while (isDigit(peek())) ++m_pos;
    }
    return make(TokenType::Number, start, m_pos);
}

Token Scanner::name() {
    size_t start = m_pos;
    while (isNamePart(peek())) ++m_pos;
    return make(TokenType::Name, start, m_pos);
}

// A point opens a logical constant or operator (.T. .AND. ...) or a number
// written without its integer part (.5).
Token Scanner::dotted() {
    size_t start = m_pos;
    if (isDigit(peek(1))) {
        ++m_pos;
        while (isDigit(peek())) ++m_pos;
        return make(TokenType::Number, start, m_pos);
    }
    size_t end = m_pos + 1;
    while (end < m_source.size() && isNameStart(m_source[end])) ++end;
    if (end >= m_source.size() || m_source[end] != '.') {
        m_pos = end;
        return error(start, "unknown word after '.'");
    }
    std::string_view word = m_source.substr(start + 1, end - start - 1);
    m_pos = end + 1;
    static const struct { const char* word; TokenType type; } kWords[] = {
        {"T", TokenType::True}, {"F", TokenType::False}, {"AND", TokenType::And},
        {"OR", TokenType::Or},  {"NOT", TokenType::Not},
    };
    for (const auto& w : kWords)
        if (sameWord(word, w.word)) return make(w.type, start, m_pos);
    return error(start, "unknown word after '.'");
}

Token Scanner::sign() {
    static const struct { const char* text; TokenType type; } kSigns[] = {
        // two-character signs first, so "==" is not read as "=" "="
        {"==", TokenType::EqualEqual}, {"!=", TokenType::NotEqual}, {"<>", TokenType::NotEqual},
        {"<=", TokenType::LessEqual},  {">=", TokenType::GreaterEqual}, {"->", TokenType::Arrow},
        {":=", TokenType::Assign},     {"(", TokenType::LeftParen},     {")", TokenType::RightParen},
        {"[", TokenType::LeftBracket}, {"]", TokenType::RightBracket},  {",", TokenType::Comma},
        {"+", TokenType::Plus},        {"-", TokenType::Minus},         {"*", TokenType::Star},
        {"/", TokenType::Slash},       {"$", TokenType::Dollar},        {"=", TokenType::Equal},
        {"#", TokenType::NotEqual},    {"<", TokenType::Less},          {">", TokenType::Greater},
        {"!", TokenType::Not},
    };
    std::string_view rest = m_source.substr(m_pos);
    for (const auto& s : kSigns) {
        std::string_view sign(s.text);
        if (rest.substr(0, sign.size()) == sign) {
            size_t start = m_pos;
            m_pos += sign.size();
            return make(s.type, start, m_pos);
        }
    }
    size_t start = m_pos++;
    return error(start, "unexpected character");
}

}  // namespace mp::expr
