#pragma once

#include <cstddef>
#include <string_view>

namespace mp::expr {

// The words and signs of a form expression. A token is a slice of the source
// text; it owns nothing and lives as long as the text it was cut from.
enum class TokenType {
    // signs
    LeftParen, RightParen, LeftBracket, RightBracket, Comma,
    Plus, Minus, Star, Slash, Dollar,
    Equal, EqualEqual, NotEqual,  // "=", "==", "!=" "<>" "#"
    Less, LessEqual, Greater, GreaterEqual,
    Not,     // "!" or ".NOT."
    And,     // ".AND."
    Or,      // ".OR."
    Arrow,   // "->"
    Assign,  // ":="
    // literals and names
    Text, Number, True, False, Name,
    End,
    Error,   // text holds what could not be read; message() tells why
};

struct Token {
    TokenType type = TokenType::End;
    std::string_view text;  // the slice of the source (a text literal without its quotes)
    size_t position = 0;    // byte offset of the token in the source, from 0
    const char* message = nullptr;  // for Error tokens
};

// Cuts an expression into tokens, one at a time, left to right. Blanks and
// tabs separate tokens. Never reads outside the source.
class Scanner {
public:
    explicit Scanner(std::string_view source) : m_source(source) {}
    Token next();

private:
    Token make(TokenType type, size_t start, size_t end) const;
    Token error(size_t start, const char* message) const;
    Token text(char quote);
    Token number();
    Token name();
    Token dotted();  // .T. .F. .AND. .OR. .NOT. or a number like .5
    Token sign();
    bool atEnd() const { return m_pos >= m_source.size(); }
    char peek(size_t ahead = 0) const;

    std::string_view m_source;
    size_t m_pos = 0;
};

}  // namespace mp::expr
