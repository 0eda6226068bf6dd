#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "expr/scanner.h"
#include "platform/runtime/value.h"

namespace mp::expr {

struct FunctionEntry;

// The compiled form of an expression: a tree of nodes kept in one vector and
// linked by index, so that a deep tree is freed without deep recursion.
enum class NodeKind {
    Literal,   // literal
    Name,      // name: a field of the current table, else a process-wide value
    Field,     // alias->name ("FIELD" alias: the current table)
    Memvar,    // M->name or MEMVAR->name: a process-wide value only
    Element,   // a[b]: element b (from 1) of array a
    Unary,     // op a (Negate, Identity)
    Binary,    // a op b
    Not,       // .NOT. a
    And,       // a .AND. b, b only when a is true
    Or,        // a .OR. b, b only when a is false
    Call,      // name(args...), function resolved when known
    Iif,       // IIF(a, b, c): only the branch taken is evaluated
    Assign,    // a := b, a being a Name, Field, Memvar or Element
};

enum class Op {
    None, Negate, Identity,
    Add, Subtract, Multiply, Divide,
    Equal, ExactEqual, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains,
};

// The operator as written in the error records ("+", "==", ...).
const char* opText(Op op);

using NodeIndex = int32_t;
constexpr NodeIndex kNoNode = -1;

struct Node {
    NodeKind kind = NodeKind::Literal;
    Op op = Op::None;
    size_t position = 0;  // byte offset in the source, for messages
    int depth = 1;        // height of the subtree
    Value literal;
    std::string name;     // upper case: variable, field or function name
    std::string alias;    // upper case, for Field
    const FunctionEntry* function = nullptr;  // Call: nullptr until known
    NodeIndex a = kNoNode, b = kNoNode, c = kNoNode;
    std::vector<NodeIndex> args;  // Call; kNoNode stands for an argument left out
};

struct Tree {
    std::vector<Node> nodes;
    NodeIndex root = kNoNode;
};

// What went wrong in a text that is not an expression.
struct SyntaxError {
    size_t position = 0;  // byte offset, from 0
    std::string message;
    bool tooComplex = false;  // nesting deeper than kMaxDepth
};

// Deepest nesting of operators, parentheses and calls an expression may have.
// It bounds the recursion of parsing and evaluation on any input.
constexpr int kMaxDepth = 200;

// Parses a whole expression with a precedence table (strongest binding first:
// unary sign; * /; + -; comparisons and $; .NOT.; .AND.; .OR.; :=).
// Returns false and fills `error` when the text is not one well-formed
// expression; the tree is then unusable.
bool parse(std::string_view source, Tree& tree, SyntaxError& error);

}  // namespace mp::expr
