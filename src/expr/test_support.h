#pragma once

// Shared by the tests of the expression evaluator: a few tables held in
// memory behind the field resolver, and a handler that records every error.

#include <map>
#include <ostream>
#include <optional>
#include <string>

#include "platform/runtime/error.h"
#include "platform/runtime/field_resolver.h"

namespace mp {
// How the tests show a value in their messages.
inline void PrintTo(const Value& v, std::ostream* os) { *os << v.typeLetter() << ":[" << v.toDisplay() << "]"; }
}  // namespace mp

namespace mp::expr::test {

// Tables by alias, each with one current record; a table can be positioned
// past its end, where every field reads as the blank of its kind.
class MemoryTables : public FieldResolver {
public:
    struct Table {
        std::map<std::string, Value> fields;  // upper-case names
        bool atEnd = false;
    };

    std::optional<Value> field(std::string_view alias, std::string_view name) const override {
        auto t = m_tables.find(std::string(alias.empty() ? std::string_view(current) : alias));
        if (t == m_tables.end()) return std::nullopt;
        auto f = t->second.fields.find(std::string(name));
        if (f == t->second.fields.end()) return std::nullopt;
        return t->second.atEnd ? blankOf(f->second) : f->second;
    }
    bool hasAlias(std::string_view alias) const override { return m_tables.count(std::string(alias)) > 0; }
    bool assignField(std::string_view alias, std::string_view name, const Value& v) override {
        auto t = m_tables.find(std::string(alias.empty() ? std::string_view(current) : alias));
        if (t == m_tables.end() || t->second.atEnd) return false;
        auto f = t->second.fields.find(std::string(name));
        if (f == t->second.fields.end() || f->second.type() != v.type()) return false;
        f->second = v;
        return true;
    }

    Table& operator[](const std::string& alias) { return m_tables[alias]; }
    std::string current;

private:
    static Value blankOf(const Value& v) {
        switch (v.type()) {
            case Value::Type::Text: return std::string(v.text().size(), ' ');
            case Value::Type::Number: return 0.0;
            case Value::Type::Date: return Date();
            case Value::Type::Logical: return false;
            default: return Value();
        }
    }
    std::map<std::string, Table> m_tables;
};

// Installs itself as the field resolver for its lifetime.
class ScopedTables : public MemoryTables {
public:
    ScopedTables() : m_previous(setFieldResolver(this)) {}
    ~ScopedTables() override { setFieldResolver(m_previous); }

private:
    FieldResolver* m_previous;
};

}  // namespace mp::expr::test
