#include "expr/parser.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "expr/functions.h"

namespace mp::expr {
namespace {

enum Precedence {
    kNone, kAssign, kOr, kAnd, kNot, kComparison, kTerm, kFactor, kUnary, kPostfix, kPrimary
};

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// Digits with an optional point, read without regard to the C locale.
double numberLiteral(std::string_view digits) {
    double n = 0;
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (result.ec != std::errc::result_out_of_range) return n;
    // Too large, or too small to tell from zero.
    std::string_view whole = digits.substr(0, digits.find('.'));
    return whole.find_first_not_of('0') == std::string_view::npos ? 0.0 : HUGE_VAL;
}

// Thrown inside the parser to unwind to parse() with the first error.
struct Abort {};

class Parser;
using PrefixFn = NodeIndex (Parser::*)(const Token&);
using InfixFn = NodeIndex (Parser::*)(const Token&, NodeIndex left);

struct Rule {
    PrefixFn prefix;
    InfixFn infix;
    Precedence precedence;
    Op op;
};

class Parser {
public:
    Parser(std::string_view source, Tree& tree, SyntaxError& error)
        : m_scanner(source), m_tree(tree), m_error(error) {}

    bool run() {
        try {
            advance();
            m_tree.root = expression(kAssign);
            if (m_current.type != TokenType::End) fail(m_current, "unexpected text after the expression");
            return true;
        } catch (const Abort&) {
            return false;
        }
    }

    NodeIndex grouping(const Token& t);
    NodeIndex unary(const Token& t);
    NodeIndex notOp(const Token& t);
    NodeIndex literal(const Token& t);
    NodeIndex name(const Token& t);
    NodeIndex binary(const Token& t, NodeIndex left);
    NodeIndex logical(const Token& t, NodeIndex left);
    NodeIndex subscript(const Token& t, NodeIndex left);
    NodeIndex assign(const Token& t, NodeIndex left);

private:
    static const Rule& rule(TokenType type);
    NodeIndex expression(Precedence minimum);
    NodeIndex call(const Token& nameToken);
    NodeIndex field(const Token& aliasToken);
    void advance();
    void consume(TokenType type, const char* message);
    [[noreturn]] void fail(const Token& at, const std::string& message, bool tooComplex = false);
    NodeIndex add(Node node);

    Scanner m_scanner;
    Tree& m_tree;
    SyntaxError& m_error;
    Token m_current;
    int m_nesting = 0;
};

const Rule& Parser::rule(TokenType type) {
    using P = Parser;
    static const Rule kNoRule{nullptr, nullptr, kNone, Op::None};
    // One row per token that can begin or continue an expression.
    static const struct { TokenType type; Rule rule; } kRules[] = {
        {TokenType::LeftParen, {&P::grouping, nullptr, kNone, Op::None}},
        {TokenType::LeftBracket, {nullptr, &P::subscript, kPostfix, Op::None}},
        {TokenType::Minus, {&P::unary, &P::binary, kTerm, Op::Subtract}},
        {TokenType::Plus, {&P::unary, &P::binary, kTerm, Op::Add}},
        {TokenType::Star, {nullptr, &P::binary, kFactor, Op::Multiply}},
        {TokenType::Slash, {nullptr, &P::binary, kFactor, Op::Divide}},
        {TokenType::Equal, {nullptr, &P::binary, kComparison, Op::Equal}},
        {TokenType::EqualEqual, {nullptr, &P::binary, kComparison, Op::ExactEqual}},
        {TokenType::NotEqual, {nullptr, &P::binary, kComparison, Op::NotEqual}},
        {TokenType::Less, {nullptr, &P::binary, kComparison, Op::Less}},
        {TokenType::LessEqual, {nullptr, &P::binary, kComparison, Op::LessEqual}},
        {TokenType::Greater, {nullptr, &P::binary, kComparison, Op::Greater}},
        {TokenType::GreaterEqual, {nullptr, &P::binary, kComparison, Op::GreaterEqual}},
        {TokenType::Dollar, {nullptr, &P::binary, kComparison, Op::Contains}},
        {TokenType::Not, {&P::notOp, nullptr, kNone, Op::None}},
        {TokenType::And, {nullptr, &P::logical, kAnd, Op::None}},
        {TokenType::Or, {nullptr, &P::logical, kOr, Op::None}},
        {TokenType::Assign, {nullptr, &P::assign, kAssign, Op::None}},
        {TokenType::Text, {&P::literal, nullptr, kNone, Op::None}},
        {TokenType::Number, {&P::literal, nullptr, kNone, Op::None}},
        {TokenType::True, {&P::literal, nullptr, kNone, Op::None}},
        {TokenType::False, {&P::literal, nullptr, kNone, Op::None}},
        {TokenType::Name, {&P::name, nullptr, kNone, Op::None}},
    };
    for (const auto& r : kRules)
        if (r.type == type) return r.rule;
    return kNoRule;
}

void Parser::advance() {
    m_current = m_scanner.next();
    if (m_current.type == TokenType::Error) fail(m_current, m_current.message);
}

void Parser::consume(TokenType type, const char* message) {
    if (m_current.type != type) fail(m_current, message);
    advance();
}

void Parser::fail(const Token& at, const std::string& message, bool tooComplex) {
    m_error.position = at.position;
    m_error.message = message;
    m_error.tooComplex = tooComplex;
    throw Abort{};
}

NodeIndex Parser::add(Node node) {
    for (NodeIndex child : {node.a, node.b, node.c})
        if (child != kNoNode) node.depth = std::max(node.depth, m_tree.nodes[child].depth + 1);
    for (NodeIndex child : node.args)
        if (child != kNoNode) node.depth = std::max(node.depth, m_tree.nodes[child].depth + 1);
    if (node.depth > kMaxDepth) {
        Token at;
        at.position = node.position;
        fail(at, "expression too complex", true);
    }
    m_tree.nodes.push_back(std::move(node));
    return static_cast<NodeIndex>(m_tree.nodes.size() - 1);
}

// Pratt's loop: a prefix part, then every infix operator that binds at least
// as strongly as `minimum`, left to right.
NodeIndex Parser::expression(Precedence minimum) {
    if (++m_nesting > kMaxDepth) fail(m_current, "expression too complex", true);
    Token token = m_current;
    PrefixFn prefix = rule(token.type).prefix;
    if (!prefix) fail(token, token.type == TokenType::End ? "expression expected" : "unexpected text");
    advance();
    NodeIndex left = (this->*prefix)(token);
    while (rule(m_current.type).infix && rule(m_current.type).precedence >= minimum) {
        token = m_current;
        advance();
        left = (this->*rule(token.type).infix)(token, left);
    }
    --m_nesting;
    return left;
}

NodeIndex Parser::grouping(const Token&) {
    NodeIndex inner = expression(kAssign);
    consume(TokenType::RightParen, "')' expected");
    return inner;
}

NodeIndex Parser::unary(const Token& t) {
    Node n;
    n.kind = NodeKind::Unary;
    n.op = t.type == TokenType::Minus ? Op::Negate : Op::Identity;
    n.position = t.position;
    n.a = expression(kUnary);
    return add(std::move(n));
}

NodeIndex Parser::notOp(const Token& t) {
    Node n;
    n.kind = NodeKind::Not;
    n.position = t.position;
    n.a = expression(kNot);
    return add(std::move(n));
}

NodeIndex Parser::literal(const Token& t) {
    Node n;
    n.position = t.position;
    switch (t.type) {
        case TokenType::Text: n.literal = Value(std::string(t.text)); break;
        case TokenType::Number: n.literal = Value(numberLiteral(t.text)); break;
        case TokenType::True: n.literal = Value(true); break;
        default: n.literal = Value(false); break;
    }
    return add(std::move(n));
}

NodeIndex Parser::name(const Token& t) {
    if (m_current.type == TokenType::LeftParen) return call(t);
    if (m_current.type == TokenType::Arrow) return field(t);
    Node n;
    n.kind = NodeKind::Name;
    n.position = t.position;
    n.name = upper(t.text);
    return add(std::move(n));
}

NodeIndex Parser::field(const Token& aliasToken) {
    advance();  // the arrow
    Token fieldToken = m_current;
    if (fieldToken.type != TokenType::Name) fail(fieldToken, "field name expected after '->'");
    advance();
    Node n;
    n.position = aliasToken.position;
    n.alias = upper(aliasToken.text);
    n.name = upper(fieldToken.text);
    n.kind = (n.alias == "M" || n.alias == "MEMVAR") ? NodeKind::Memvar : NodeKind::Field;
    if (n.alias == "FIELD") n.alias.clear();
    return add(std::move(n));
}

// Arguments separated by commas; an empty place stands for an argument left out.
NodeIndex Parser::call(const Token& nameToken) {
    advance();  // the opening parenthesis
    Node n;
    n.kind = NodeKind::Call;
    n.position = nameToken.position;
    n.name = upper(nameToken.text);
    if (m_current.type != TokenType::RightParen) {
        for (;;) {
            bool empty = m_current.type == TokenType::Comma || m_current.type == TokenType::RightParen;
            n.args.push_back(empty ? kNoNode : expression(kAssign));
            if (m_current.type != TokenType::Comma) break;
            advance();
        }
    }
    consume(TokenType::RightParen, "')' or ',' expected in the argument list");
    if (n.name == "IIF" || n.name == "IF") {
        if (n.args.size() != 3 || n.args[0] == kNoNode)
            fail(nameToken, "IIF needs a condition and two values");
        n.kind = NodeKind::Iif;
        n.a = n.args[0];
        n.b = n.args[1];
        n.c = n.args[2];
        n.args.clear();
    } else {
        n.function = findFunction(n.name);
    }
    return add(std::move(n));
}

NodeIndex Parser::binary(const Token& t, NodeIndex left) {
    const Rule& r = rule(t.type);
    Node n;
    n.kind = NodeKind::Binary;
    n.op = r.op;
    n.position = t.position;
    n.a = left;
    n.b = expression(static_cast<Precedence>(r.precedence + 1));  // left to right
    return add(std::move(n));
}

NodeIndex Parser::logical(const Token& t, NodeIndex left) {
    Node n;
    n.kind = t.type == TokenType::And ? NodeKind::And : NodeKind::Or;
    n.position = t.position;
    n.a = left;
    n.b = expression(static_cast<Precedence>(rule(t.type).precedence + 1));
    return add(std::move(n));
}

NodeIndex Parser::subscript(const Token& t, NodeIndex left) {
    NodeKind k = m_tree.nodes[left].kind;
    if (k != NodeKind::Name && k != NodeKind::Memvar && k != NodeKind::Element && k != NodeKind::Call)
        fail(t, "only a name can take a subscript");
    Node n;
    n.kind = NodeKind::Element;
    n.position = t.position;
    n.a = left;
    n.b = expression(kAssign);
    consume(TokenType::RightBracket, "']' expected");
    return add(std::move(n));
}

// Right to left: A := B := 1 sets both.
NodeIndex Parser::assign(const Token& t, NodeIndex left) {
    NodeKind k = m_tree.nodes[left].kind;
    if (k != NodeKind::Name && k != NodeKind::Memvar && k != NodeKind::Field && k != NodeKind::Element)
        fail(t, "only a name can be assigned");
    Node n;
    n.kind = NodeKind::Assign;
    n.position = t.position;
    n.a = left;
    n.b = expression(kAssign);
    return add(std::move(n));
}

}  // namespace

const char* opText(Op op) {
    switch (op) {
        case Op::Negate: return "-";
        case Op::Identity: return "+";
        case Op::Add: return "+";
        case Op::Subtract: return "-";
        case Op::Multiply: return "*";
        case Op::Divide: return "/";
        case Op::Equal: return "=";
        case Op::ExactEqual: return "==";
        case Op::NotEqual: return "<>";
        case Op::Less: return "<";
        case Op::LessEqual: return "<=";
        case Op::Greater: return ">";
        case Op::GreaterEqual: return ">=";
        case Op::Contains: return "$";
        case Op::None: break;
    }
    return "";
}

bool parse(std::string_view source, Tree& tree, SyntaxError& error) {
    tree.nodes.clear();
    tree.root = kNoNode;
    return Parser(source, tree, error).run();
}

}  // namespace mp::expr
