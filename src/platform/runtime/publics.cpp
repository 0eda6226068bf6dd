#include "platform/runtime/publics.h"

namespace mp {

namespace {

std::string upperName(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

// Takes a Value into a C++ variable of type T; false when the kind differs.
bool take(const Value& v, std::string& out) { return v.isText() ? (out = v.text(), true) : false; }
bool take(const Value& v, double& out) { return v.isNumber() ? (out = v.number(), true) : false; }
bool take(const Value& v, bool& out) { return v.isLogical() ? (out = v.logical(), true) : false; }
bool take(const Value& v, Date& out) { return v.isDate() ? (out = v.date(), true) : false; }

template <class T>
class ScalarBinding : public Binding {
public:
    explicit ScalarBinding(T& state) : m_state(state) {}
    Value get() const override { return Value(m_state); }
    bool set(const Value& v) override { return take(v, m_state); }

private:
    T& m_state;
};

// A name that holds any value; an array in it is reached by subscript too.
class ValueBinding : public Binding {
public:
    explicit ValueBinding(Value& state) : m_state(state) {}
    Value get() const override { return m_state; }
    bool set(const Value& v) override {
        m_state = v;
        return true;
    }
    bool isArray() const override { return m_state.isArray(); }
    size_t size() const override { return m_state.elements().size(); }
    std::optional<Value> getAt(size_t i) const override {
        if (!isArray() || i < 1 || i > size()) return std::nullopt;
        return m_state.elements()[i - 1];
    }
    bool setAt(size_t i, const Value& v) override {
        if (!isArray() || i < 1 || i > size()) return false;
        m_state.elements()[i - 1] = v;
        return true;
    }

private:
    Value& m_state;
};

// A vector of one kind, seen as an array with subscripts from 1. Assigning a
// whole array requires every element to be of the vector's kind.
template <class T>
class VectorBinding : public Binding {
public:
    explicit VectorBinding(std::vector<T>& state) : m_state(state) {}
    Value get() const override {
        Value::Array a;
        a.reserve(m_state.size());
        for (size_t i = 0; i < m_state.size(); ++i) a.emplace_back(static_cast<T>(m_state[i]));
        return Value::array(std::move(a));
    }
    bool set(const Value& v) override {
        if (!v.isArray()) return false;
        std::vector<T> next;
        for (const Value& e : v.elements()) {
            T item{};
            if (!take(e, item)) return false;
            next.push_back(item);
        }
        m_state = std::move(next);
        return true;
    }
    bool isArray() const override { return true; }
    size_t size() const override { return m_state.size(); }
    std::optional<Value> getAt(size_t i) const override {
        if (i < 1 || i > m_state.size()) return std::nullopt;
        return Value(static_cast<T>(m_state[i - 1]));
    }
    bool setAt(size_t i, const Value& v) override {
        T item{};
        if (i < 1 || i > m_state.size() || !take(v, item)) return false;
        m_state[i - 1] = item;
        return true;
    }

private:
    std::vector<T>& m_state;
};

// A value computed on reading. Elements of an array it yields are assigned
// by handing the changed array to the setter.
class FunctionBinding : public Binding {
public:
    FunctionBinding(std::function<Value()> getter, std::function<bool(const Value&)> setter)
        : m_getter(std::move(getter)), m_setter(std::move(setter)) {}
    Value get() const override { return m_getter ? m_getter() : Value(); }
    bool set(const Value& v) override { return m_setter ? m_setter(v) : false; }
    bool isArray() const override { return get().isArray(); }
    size_t size() const override { return get().elements().size(); }
    std::optional<Value> getAt(size_t i) const override {
        Value v = get();
        if (!v.isArray() || i < 1 || i > v.elements().size()) return std::nullopt;
        return v.elements()[i - 1];
    }
    bool setAt(size_t i, const Value& v) override {
        Value whole = get();
        if (!m_setter || !whole.isArray() || i < 1 || i > whole.elements().size()) return false;
        Value::Array copy = whole.elements();
        copy[i - 1] = v;
        return m_setter(Value::array(std::move(copy)));
    }

private:
    std::function<Value()> m_getter;
    std::function<bool(const Value&)> m_setter;
};

}  // namespace

Publics::Registration::Registration(Publics* owner, std::string key, uint64_t id)
    : m_owner(owner), m_key(std::move(key)), m_id(id) {}

Publics::Registration::Registration(Registration&& o) noexcept
    : m_owner(o.m_owner), m_key(std::move(o.m_key)), m_id(o.m_id) {
    o.m_owner = nullptr;
    o.m_id = 0;
}

Publics::Registration& Publics::Registration::operator=(Registration&& o) noexcept {
    if (this != &o) {
        release();
        m_owner = o.m_owner;
        m_key = std::move(o.m_key);
        m_id = o.m_id;
        o.m_owner = nullptr;
        o.m_id = 0;
    }
    return *this;
}

Publics::Registration::~Registration() { release(); }

void Publics::Registration::release() {
    if (m_owner) m_owner->remove(m_key, m_id);
    m_owner = nullptr;
    m_id = 0;
}

// The registry lives for the whole process and is never destroyed, so a
// registration held by a static object may end after main() safely.
Publics& Publics::instance() {
    static Publics* registry = new Publics;
    return *registry;
}

Publics::Registration Publics::add(std::string_view name, std::unique_ptr<Binding> binding) {
    if (name.empty() || !binding) return Registration();
    std::string key = upperName(name);
    uint64_t id = m_nextId++;
    m_names[key].push_back(Entry{id, std::move(binding)});
    return Registration(this, key, id);
}

Publics::Registration Publics::bind(std::string_view name, std::string& text) {
    return add(name, std::make_unique<ScalarBinding<std::string>>(text));
}
Publics::Registration Publics::bind(std::string_view name, double& number) {
    return add(name, std::make_unique<ScalarBinding<double>>(number));
}
Publics::Registration Publics::bind(std::string_view name, bool& logical) {
    return add(name, std::make_unique<ScalarBinding<bool>>(logical));
}
Publics::Registration Publics::bind(std::string_view name, Date& date) {
    return add(name, std::make_unique<ScalarBinding<Date>>(date));
}
Publics::Registration Publics::bind(std::string_view name, Value& anyValue) {
    return add(name, std::make_unique<ValueBinding>(anyValue));
}
Publics::Registration Publics::bind(std::string_view name, std::vector<std::string>& texts) {
    return add(name, std::make_unique<VectorBinding<std::string>>(texts));
}
Publics::Registration Publics::bind(std::string_view name, std::vector<double>& numbers) {
    return add(name, std::make_unique<VectorBinding<double>>(numbers));
}
Publics::Registration Publics::bind(std::string_view name, std::vector<bool>& logicals) {
    return add(name, std::make_unique<VectorBinding<bool>>(logicals));
}
Publics::Registration Publics::bindFunctions(std::string_view name, std::function<Value()> getter,
                                             std::function<bool(const Value&)> setter) {
    if (!getter) return Registration();
    return add(name, std::make_unique<FunctionBinding>(std::move(getter), std::move(setter)));
}

Binding* Publics::find(std::string_view name) const {
    auto it = m_names.find(upperName(name));
    if (it == m_names.end() || it->second.empty()) return nullptr;
    return it->second.back().binding.get();
}

// Ends one registration wherever it stands in its name's stack, so
// registrations may end in any order.
void Publics::remove(const std::string& key, uint64_t id) {
    auto it = m_names.find(key);
    if (it == m_names.end()) return;
    auto& stack = it->second;
    for (auto e = stack.begin(); e != stack.end(); ++e) {
        if (e->id == id) {
            stack.erase(e);
            break;
        }
    }
    if (stack.empty()) m_names.erase(it);
}

bool Publics::exists(std::string_view name) const { return find(name) != nullptr; }

std::optional<Value> Publics::get(std::string_view name) const {
    Binding* b = find(name);
    if (!b) return std::nullopt;
    return b->get();
}

Publics::Result Publics::assign(std::string_view name, const Value& v) {
    Binding* b = find(name);
    if (!b) return Result::NoSuchName;
    return b->set(v) ? Result::Ok : Result::WrongKind;
}

std::optional<Value> Publics::getElement(std::string_view name, size_t subscript) const {
    Binding* b = find(name);
    if (!b || !b->isArray()) return std::nullopt;
    return b->getAt(subscript);
}

Publics::Result Publics::assignElement(std::string_view name, size_t subscript, const Value& v) {
    Binding* b = find(name);
    if (!b) return Result::NoSuchName;
    if (!b->isArray()) return Result::WrongKind;
    if (subscript < 1 || subscript > b->size()) return Result::BadSubscript;
    return b->setAt(subscript, v) ? Result::Ok : Result::WrongKind;
}

std::vector<std::string> Publics::names() const {
    std::vector<std::string> out;
    out.reserve(m_names.size());
    for (const auto& [key, stack] : m_names)
        if (!stack.empty()) out.push_back(key);
    return out;
}

}  // namespace mp
