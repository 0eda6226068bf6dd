#include "expr/evaluator.h"

#include <cmath>
#include <cstring>
#include <exception>

#include "expr/functions.h"
#include "platform/runtime/error.h"
#include "platform/runtime/field_resolver.h"
#include "platform/runtime/publics.h"

namespace mp::expr {
namespace {

// How often one operation is evaluated again on the handler's "retry" before
// it is given up, so that a handler that always retries cannot hang a print.
constexpr int kMaxRetries = 100;
// How deeply evaluations may nest through functions that evaluate expressions.
constexpr int kMaxEvaluationNesting = 32;
thread_local int t_nesting = 0;
// How much of a faulty expression's text an error record shows.
constexpr size_t kShownSource = 80;

// A fault of one operation, on its way to the operation's guard.
struct Fault {
    ErrorRecord record;
};
// The handler gave the expression up.
struct GiveUp {};

ErrorRecord baseRecord(int genCode, int subCode, std::string description, std::string operation) {
    ErrorRecord r;
    r.genCode = genCode;
    r.subsystem = "BASE";
    if (subCode != 0) r.subCode = subCode;
    r.description = std::move(description);
    r.operation = std::move(operation);
    r.canRetry = true;
    r.canDefault = true;
    return r;
}

[[noreturn]] void fault(int genCode, int subCode, std::string description, std::string operation,
                        std::optional<std::vector<Value>> args = std::nullopt) {
    ErrorRecord r = baseRecord(genCode, subCode, std::move(description), std::move(operation));
    r.args = std::move(args);
    throw Fault{std::move(r)};
}

[[noreturn]] void noVariable(const std::string& name) {
    fault(gen::kNoVariable, subcode::kNoVariable, "Variable does not exist", name);
}

// The classic subcodes of argument errors, by operator.
int operatorSubCode(Op op) {
    switch (op) {
        case Op::ExactEqual: return 1070;
        case Op::Equal: return 1071;
        case Op::NotEqual: return 1072;
        case Op::Less: return 1073;
        case Op::LessEqual: return 1074;
        case Op::Greater: return 1075;
        case Op::GreaterEqual: return 1076;
        case Op::Negate: return 1080;
        case Op::Add: return 1081;
        case Op::Subtract: return 1082;
        case Op::Multiply: return 1083;
        case Op::Divide: return 1084;
        case Op::Contains: return 1109;
        default: return 0;
    }
}

[[noreturn]] void operandError(Op op, std::vector<Value> operands) {
    fault(gen::kArgument, operatorSubCode(op), "Argument error", opText(op), std::move(operands));
}

std::string joined(const std::string& a, const std::string& b) {
    if (a.size() + b.size() > kMaxText)
        fault(gen::kStringOverflow, subcode::kStringOverflow, "String overflow", "+", std::vector<Value>{a, b});
    return a + b;
}

// The ordering of texts: byte by byte over the shorter length; when that part
// is equal, the left text is the smaller only when it is the shorter one, so
// "ABC" against "AB" counts as equal, as "=" has it.
int compareText(const std::string& l, const std::string& r) {
    size_t n = std::min(l.size(), r.size());
    int c = n ? std::memcmp(l.data(), r.data(), n) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    return r.size() <= l.size() ? 0 : -1;
}

template <class T>
int compareOrdered(const T& l, const T& r) {
    return l < r ? -1 : (r < l ? 1 : 0);
}

// -1, 0 or 1 for operands of one kind; nullopt when they cannot be compared.
std::optional<int> ordering(const Value& l, const Value& r) {
    if (l.type() != r.type()) return std::nullopt;
    switch (l.type()) {
        case Value::Type::Text: return compareText(l.text(), r.text());
        case Value::Type::Number: return compareOrdered(l.number(), r.number());
        case Value::Type::Date: return compareOrdered(l.date().dayNumber(), r.date().dayNumber());
        case Value::Type::Logical: return compareOrdered(l.logical(), r.logical());
        default: return std::nullopt;
    }
}

bool equalValues(Op op, const Value& l, const Value& r) {
    if (l.isNil() || r.isNil()) return l.isNil() && r.isNil();
    if (op == Op::ExactEqual && l.isText() && r.isText()) return l.text() == r.text();
    std::optional<int> c = ordering(l, r);
    if (!c) operandError(op, {l, r});
    return *c == 0;
}

Value compareValues(Op op, const Value& l, const Value& r) {
    switch (op) {
        case Op::Equal:
        case Op::ExactEqual: return equalValues(op, l, r);
        case Op::NotEqual: return !equalValues(op, l, r);
        default: break;
    }
    std::optional<int> c = ordering(l, r);
    if (!c) operandError(op, {l, r});
    switch (op) {
        case Op::Less: return *c < 0;
        case Op::LessEqual: return *c <= 0;
        case Op::Greater: return *c > 0;
        default: return *c >= 0;
    }
}

Value contains(const Value& l, const Value& r) {
    if (!l.isText() || !r.isText()) operandError(Op::Contains, {l, r});
    return !l.text().empty() && r.text().find(l.text()) != std::string::npos;
}

Value add(const Value& l, const Value& r) {
    if (l.isText() && r.isText()) return joined(l.text(), r.text());
    if (l.isNumber() && r.isNumber()) return l.number() + r.number();
    if (l.isDate() && r.isNumber()) return l.date().addDays(wholeNumber(r.number()));
    if (l.isNumber() && r.isDate()) return r.date().addDays(wholeNumber(l.number()));
    operandError(Op::Add, {l, r});
}

Value subtract(const Value& l, const Value& r) {
    if (l.isNumber() && r.isNumber()) return l.number() - r.number();
    if (l.isDate() && r.isDate()) return static_cast<double>(l.date() - r.date());
    if (l.isDate() && r.isNumber()) return l.date().addDays(-wholeNumber(r.number()));
    operandError(Op::Subtract, {l, r});
}

Value arithmetic(Op op, const Value& l, const Value& r) {
    switch (op) {
        case Op::Add: return add(l, r);
        case Op::Subtract: return subtract(l, r);
        case Op::Contains: return contains(l, r);
        case Op::Multiply:
        case Op::Divide: break;
        default: return compareValues(op, l, r);
    }
    if (!l.isNumber() || !r.isNumber()) operandError(op, {l, r});
    if (op == Op::Multiply) return l.number() * r.number();
    if (r.number() == 0) {
        ErrorRecord rec = baseRecord(gen::kZeroDivide, subcode::kZeroDivide, "Zero divide", "/");
        rec.args = std::vector<Value>{l, r};
        rec.canRetry = false;
        throw Fault{std::move(rec)};
    }
    return l.number() / r.number();
}

// One evaluation of a tree: walks it from the root; each operation that can
// fail is guarded, so a fault reaches the handler once and its answer is
// applied where the fault arose.
class Evaluation {
public:
    explicit Evaluation(const Tree& tree) : m_tree(tree) {}
    Value eval(NodeIndex i);

private:
    template <class F>
    Value guarded(F&& operation);
    Value evalNode(const Node& n);
    Value name(const Node& n);
    Value memvar(const Node& n);
    Value field(const Node& n);
    Value element(const Node& n);
    Value unary(const Node& n);
    Value logical(const Node& n);
    Value iif(const Node& n);
    Value call(const Node& n);
    Value assign(const Node& n);
    Value assignElement(const Node& target, const Value& v);
    size_t subscript(const Value& s, size_t size, int subCode);
    static const Value& logicalOperand(const Value& v, const char* op);

    const Tree& m_tree;
};

template <class F>
Value Evaluation::guarded(F&& operation) {
    for (int tries = 0;; ++tries) {
        try {
            return operation();
        } catch (Fault& f) {
            ErrorAnswer a = raiseError(f.record);
            if (a.kind == ErrorAnswer::Kind::Substitute) return a.value;
            if (a.kind == ErrorAnswer::Kind::Retry && f.record.canRetry && tries < kMaxRetries) continue;
            throw GiveUp{};
        }
    }
}

Value Evaluation::eval(NodeIndex i) {
    if (i == kNoNode) return Value();
    const Node& n = m_tree.nodes[static_cast<size_t>(i)];
    if (n.kind == NodeKind::Literal) return n.literal;
    return guarded([&] { return evalNode(n); });
}

Value Evaluation::evalNode(const Node& n) {
    switch (n.kind) {
        case NodeKind::Literal: return n.literal;
        case NodeKind::Name: return name(n);
        case NodeKind::Memvar: return memvar(n);
        case NodeKind::Field: return field(n);
        case NodeKind::Element: return element(n);
        case NodeKind::Unary:
        case NodeKind::Not: return unary(n);
        case NodeKind::And:
        case NodeKind::Or: return logical(n);
        case NodeKind::Iif: return iif(n);
        case NodeKind::Call: return call(n);
        case NodeKind::Assign: return assign(n);
        case NodeKind::Binary: break;
    }
    Value l = eval(n.a);
    Value r = eval(n.b);
    return arithmetic(n.op, l, r);
}

// A bare name is a field of the current table when it has one, else a
// process-wide value.
Value Evaluation::name(const Node& n) {
    if (FieldResolver* fields = fieldResolver())
        if (std::optional<Value> v = fields->field("", n.name)) return *v;
    if (std::optional<Value> v = Publics::instance().get(n.name)) return *v;
    noVariable(n.name);
}

Value Evaluation::memvar(const Node& n) {
    if (std::optional<Value> v = Publics::instance().get(n.name)) return *v;
    noVariable(n.name);
}

Value Evaluation::field(const Node& n) {
    FieldResolver* fields = fieldResolver();
    if (fields) {
        if (std::optional<Value> v = fields->field(n.alias, n.name)) return *v;
    }
    if (!n.alias.empty() && (!fields || !fields->hasAlias(n.alias)))
        fault(gen::kNoAlias, subcode::kNoAlias, "Alias does not exist", n.alias);
    noVariable(n.alias.empty() ? n.name : n.alias + "->" + n.name);
}

size_t Evaluation::subscript(const Value& s, size_t size, int subCode) {
    long long k = s.isNumber() ? wholeNumber(s.number()) : 0;
    if (k < 1 || static_cast<unsigned long long>(k) > size)
        fault(gen::kBound, subCode, "Bound error", subCode == subcode::kArrayAccess ? "array access" : "array assign",
              std::vector<Value>{s});
    return static_cast<size_t>(k);
}

Value Evaluation::element(const Node& n) {
    const Node& target = m_tree.nodes[static_cast<size_t>(n.a)];
    Value s = eval(n.b);
    if (target.kind == NodeKind::Name || target.kind == NodeKind::Memvar) {
        Publics& publics = Publics::instance();
        if (!publics.exists(target.name)) noVariable(target.name);
        long long k = s.isNumber() ? wholeNumber(s.number()) : 0;
        if (k >= 1)
            if (std::optional<Value> v = publics.getElement(target.name, static_cast<size_t>(k))) return *v;
        subscript(s, 0, subcode::kArrayAccess);  // raises
    }
    Value array = eval(n.a);
    if (!array.isArray()) subscript(s, 0, subcode::kArrayAccess);
    return array.elements()[subscript(s, array.elements().size(), subcode::kArrayAccess) - 1];
}

Value Evaluation::unary(const Node& n) {
    Value v = eval(n.a);
    if (n.kind == NodeKind::Not) {
        if (!v.isLogical()) fault(gen::kArgument, 1077, "Argument error", ".NOT.", std::vector<Value>{v});
        return !v.logical();
    }
    if (!v.isNumber()) operandError(n.op, {v});
    return n.op == Op::Negate ? -v.number() : v.number();
}

const Value& Evaluation::logicalOperand(const Value& v, const char* op) {
    if (!v.isLogical()) fault(gen::kArgument, op[1] == 'A' ? 1078 : 1079, "Argument error", op, std::vector<Value>{v});
    return v;
}

// .AND. looks at its right operand only when the left is true, .OR. only when it is false.
Value Evaluation::logical(const Node& n) {
    bool isAnd = n.kind == NodeKind::And;
    const char* op = isAnd ? ".AND." : ".OR.";
    bool left = logicalOperand(eval(n.a), op).logical();
    if (left != isAnd) return left;
    return logicalOperand(eval(n.b), op).logical();
}

Value Evaluation::iif(const Node& n) {
    Value c = eval(n.a);
    if (!c.isLogical()) fault(gen::kArgument, 0, "Argument error", "IIF", std::vector<Value>{c});
    return eval(c.logical() ? n.b : n.c);
}

// The called function is a level of the error log's "Stack Calls" while its
// arguments are worked out and while it runs.
Value Evaluation::call(const Node& n) {
    MP_CALL_LEVEL(n.name.c_str());
    const FunctionEntry* f = n.function ? n.function : findFunction(n.name);
    if (!f) fault(gen::kNoFunction, subcode::kUndefinedFunction, "Undefined function", n.name);
    Arguments args;
    args.reserve(n.args.size());
    for (NodeIndex a : n.args) args.push_back(eval(a));
    int count = static_cast<int>(args.size());
    try {
        if (count < f->minArgs || count > f->maxArgs) argumentError();
        return f->function(args);
    } catch (const CallFault& cf) {
        fault(cf.genCode, cf.subCode ? cf.subCode : f->subCode, cf.description, f->name, std::move(args));
    } catch (const std::exception&) {
        fault(gen::kArgument, f->subCode, "Argument error", f->name, std::move(args));
    }
}

Value Evaluation::assignElement(const Node& target, const Value& v) {
    Value s = eval(target.b);
    const Node& array = m_tree.nodes[static_cast<size_t>(target.a)];
    if (array.kind == NodeKind::Name || array.kind == NodeKind::Memvar) {
        long long k = s.isNumber() ? wholeNumber(s.number()) : 0;
        Publics::Result r = k < 1 ? Publics::Result::BadSubscript
                                  : Publics::instance().assignElement(array.name, static_cast<size_t>(k), v);
        if (r == Publics::Result::Ok) return v;
        if (r == Publics::Result::NoSuchName) noVariable(array.name);
        if (r == Publics::Result::WrongKind) fault(gen::kArgument, 0, "Argument error", ":=", std::vector<Value>{v});
        subscript(s, 0, subcode::kArrayAssign);  // raises
    }
    Value a = eval(target.a);
    if (!a.isArray()) subscript(s, 0, subcode::kArrayAssign);
    a.elements()[subscript(s, a.elements().size(), subcode::kArrayAssign) - 1] = v;
    return v;
}

// := sets an existing process-wide value (or, for a name that is none, a
// field of the current table) and yields the value.
Value Evaluation::assign(const Node& n) {
    Value v = eval(n.b);
    const Node& target = m_tree.nodes[static_cast<size_t>(n.a)];
    if (target.kind == NodeKind::Element) return assignElement(target, v);
    if (target.kind != NodeKind::Field) {
        Publics::Result r = Publics::instance().assign(target.name, v);
        if (r == Publics::Result::Ok) return v;
        if (r == Publics::Result::WrongKind || r == Publics::Result::BadSubscript)
            fault(gen::kArgument, 0, "Argument error", ":=", std::vector<Value>{v});
        if (target.kind == NodeKind::Memvar) noVariable(target.name);
    }
    FieldResolver* fields = fieldResolver();
    if (!fields || !fields->field(target.alias, target.name)) {
        if (!target.alias.empty() && (!fields || !fields->hasAlias(target.alias)))
            fault(gen::kNoAlias, subcode::kNoAlias, "Alias does not exist", target.alias);
        noVariable(target.name);
    }
    if (!fields->assignField(target.alias, target.name, v))
        fault(gen::kDataType, 0, "Data type error", ":=", std::vector<Value>{v});
    return v;
}

// Counts the evaluations in progress on this thread.
class NestingGuard {
public:
    NestingGuard() { ++t_nesting; }
    ~NestingGuard() { --t_nesting; }
    bool tooDeep() const { return t_nesting > kMaxEvaluationNesting; }
};

}  // namespace

std::optional<Value> Compiled::tryEvaluate() const {
    if (!m_tree) return m_substitute;
    NestingGuard nesting;
    if (nesting.tooDeep()) {
        ErrorRecord r = baseRecord(gen::kComplexity, 0, "Expression too complex", m_source.substr(0, kShownSource));
        r.canRetry = false;
        ErrorAnswer a = raiseError(r);
        if (a.kind == ErrorAnswer::Kind::Substitute) return a.value;
        return std::nullopt;
    }
    try {
        return Evaluation(*m_tree).eval(m_tree->root);
    } catch (const GiveUp&) {
        return std::nullopt;
    }
}

Value Compiled::evaluate() const {
    std::optional<Value> v = tryEvaluate();
    return v ? std::move(*v) : Value();
}

Compiled compile(std::string_view source, bool raise) {
    Compiled c;
    c.m_source = std::string(source);
    auto tree = std::make_shared<Tree>();
    if (parse(source, *tree, c.m_error)) {
        c.m_tree = std::move(tree);
        return c;
    }
    if (!raise) return c;
    const SyntaxError& e = c.m_error;
    std::string shown = c.m_source.size() > kShownSource ? c.m_source.substr(0, kShownSource) + "..." : c.m_source;
    ErrorRecord r = e.tooComplex
        ? baseRecord(gen::kComplexity, 0, "Expression too complex", shown)
        : baseRecord(gen::kSyntax, subcode::kSyntax,
                     "Syntax error at " + std::to_string(e.position + 1) + ": " + e.message, shown);
    r.args = std::vector<Value>{Value(c.m_source), Value(static_cast<double>(e.position + 1))};
    r.canRetry = false;
    ErrorAnswer a = raiseError(r);
    if (a.kind == ErrorAnswer::Kind::Substitute) c.m_substitute = a.value;
    return c;
}

std::optional<Value> tryEvaluate(std::string_view source) {
    return compile(source).tryEvaluate();
}

Value evaluate(std::string_view source) {
    return compile(source).evaluate();
}

}  // namespace mp::expr
