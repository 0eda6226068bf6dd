#include "expr/parser.h"

#include <gtest/gtest.h>

#include <string>

namespace mp::expr {
namespace {

// Writes a tree back in full parentheses, so the grouping the parser chose shows.
std::string show(const Tree& t, NodeIndex i) {
    if (i == kNoNode) return "_";
    const Node& n = t.nodes[static_cast<size_t>(i)];
    switch (n.kind) {
        case NodeKind::Literal: return n.literal.toDisplay();
        case NodeKind::Name: return n.name;
        case NodeKind::Memvar: return "M->" + n.name;
        case NodeKind::Field: return (n.alias.empty() ? std::string("FIELD") : n.alias) + "->" + n.name;
        case NodeKind::Element: return show(t, n.a) + "[" + show(t, n.b) + "]";
        case NodeKind::Unary: return std::string("(") + opText(n.op) + show(t, n.a) + ")";
        case NodeKind::Not: return "(!" + show(t, n.a) + ")";
        case NodeKind::Binary: return "(" + show(t, n.a) + opText(n.op) + show(t, n.b) + ")";
        case NodeKind::And: return "(" + show(t, n.a) + " AND " + show(t, n.b) + ")";
        case NodeKind::Or: return "(" + show(t, n.a) + " OR " + show(t, n.b) + ")";
        case NodeKind::Assign: return "(" + show(t, n.a) + ":=" + show(t, n.b) + ")";
        case NodeKind::Iif: return "IIF(" + show(t, n.a) + "," + show(t, n.b) + "," + show(t, n.c) + ")";
        case NodeKind::Call: {
            std::string s = n.name + "(";
            for (size_t k = 0; k < n.args.size(); ++k) s += (k ? "," : "") + show(t, n.args[k]);
            return s + ")";
        }
    }
    return "?";
}

std::string parsed(const std::string& source) {
    Tree t;
    SyntaxError e;
    if (!parse(source, t, e)) return "error at " + std::to_string(e.position) + ": " + e.message;
    return show(t, t.root);
}

TEST(Parser, BindsByTheOperatorTableAndLeftToRight) {
    const struct { const char* source; const char* tree; } cases[] = {
        {"1+2*3", "(1+(2*3))"},
        {"1-2-3", "((1-2)-3)"},
        {"8/4/2", "((8/4)/2)"},
        {"-2*3", "((-2)*3)"},
        {"- -2", "(-(-2))"},
        {"+a-b", "((+A)-B)"},
        {"(1+2)*3", "((1+2)*3)"},
        {"a+b=c", "((A+B)=C)"},
        {"a = b == c", "((A=B)==C)"},
        {"'x' $ a + b", "(x$(A+B))"},
        {"!a = b", "(!(A=B))"},
        {".NOT. a .AND. b", "((!A) AND B)"},
        {"a .OR. b .AND. c", "(A OR (B AND C))"},
        {"a .AND. b .OR. c .AND. d", "((A AND B) OR (C AND D))"},
        {"x := y := 1+1", "(X:=(Y:=(1+1)))"},
        {"cuser", "CUSER"},
        {"wdata->number + m->cx + field->qty", "((WDATA->NUMBER+M->CX)+FIELD->QTY)"},
        {"psum[1+1]", "PSUM[(1+1)]"},
        {"psum[2] := 0", "(PSUM[2]:=0)"},
        {"str(n,,2)", "STR(N,_,2)"},
        {"f()", "F()"},
        {"iif(a>1, 'x', 'y')", "IIF((A>1),x,y)"},
        {"if(a, 1, )", "IIF(A,1,_)"},
        {"a <> b # c != d", "(((A<>B)<>C)<>D)"},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.source), c.tree) << c.source;
}

TEST(Parser, RejectsWhatIsNotOneExpressionWithThePosition) {
    const struct { const char* source; size_t position; } cases[] = {
        {"", 0},
        {"1 +", 3},
        {"(1", 2},
        {"1)", 1},
        {"1 2", 2},
        {"* 2", 0},
        {"f(1,2", 5},
        {"a->", 3},
        {"a->1", 3},
        {"1 := 2", 2},
        {"a+b := 2", 4},
        {"f() := 1", 4},
        {"iif(.t., 1)", 0},
        {"iif(, 1, 2)", 0},
        {"'x'[1]", 3},
        {"a[1", 3},
        {"a .and.", 7},
        {"1 + 'open", 4},
    };
    for (const auto& c : cases) {
        Tree t;
        SyntaxError e;
        EXPECT_FALSE(parse(c.source, t, e)) << c.source;
        EXPECT_EQ(e.position, c.position) << c.source;
        EXPECT_FALSE(e.message.empty()) << c.source;
        EXPECT_FALSE(e.tooComplex) << c.source;
    }
}

TEST(Parser, RefusesNestingBeyondTheLimitWithoutExhaustingTheStack) {
    const std::string deepParens = std::string(100000, '(') + "1" + std::string(100000, ')');
    const std::string longChain = [] {
        std::string s = "1";
        for (int i = 0; i < 100000; ++i) s += "+1";
        return s;
    }();
    const std::string manySigns = std::string(100000, '-') + "1";
    const std::string manyNots = [] {
        std::string s;
        for (int i = 0; i < 50000; ++i) s += "!";
        return s + ".T.";
    }();
    for (const std::string& s : {deepParens, longChain, manySigns, manyNots}) {
        Tree t;
        SyntaxError e;
        EXPECT_FALSE(parse(s, t, e));
        EXPECT_TRUE(e.tooComplex);
    }
    // Just inside the limit still parses.
    std::string chain = "1";
    for (int i = 1; i < kMaxDepth; ++i) chain += "+1";
    Tree t;
    SyntaxError e;
    EXPECT_TRUE(parse(chain, t, e)) << e.message;
}

}  // namespace
}  // namespace mp::expr
