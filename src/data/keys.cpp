#include "data/keys.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <unistd.h>

#include "data/catalogue.h"
#include "data/table_access.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/field_resolver.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

// While a key is computed, bare names (and the table's own alias) are the
// fields of the record the engine hands over; other aliases go on to the
// resolver in force before.
class RecordFields : public FieldResolver {
public:
    RecordFields(const xbase::Record& r, const std::string& alias, FieldResolver* outer)
        : m_record(r), m_alias(alias), m_outer(outer) {}
    std::optional<Value> field(std::string_view alias, std::string_view name) const override {
        if (own(alias)) {
            Value v = m_record.value(name);
            if (!v.isNil()) return v;
            if (!alias.empty()) return std::nullopt;
        }
        return m_outer ? m_outer->field(alias, name) : std::nullopt;
    }
    bool hasAlias(std::string_view alias) const override {
        return own(alias) || (m_outer && m_outer->hasAlias(alias));
    }

private:
    bool own(std::string_view alias) const { return alias.empty() || sameName(alias, m_alias); }
    const xbase::Record& m_record;
    const std::string& m_alias;
    FieldResolver* m_outer;
};

std::string keyText(const Value& v) {
    switch (v.type()) {
        case Value::Type::Text: return v.text();
        case Value::Type::Date: return v.date().dtos();
        case Value::Type::Number: return expr::formatStrDefault(v.number());
        case Value::Type::Logical: return v.logical() ? "T" : "F";
        default: return "";
    }
}

RandomSource& installedSource() {
    static RandomSource source;
    return source;
}

uint16_t defaultDraw() {
    static std::mt19937 engine([] {
        std::random_device device;
        auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        std::seed_seq seq{device(), static_cast<unsigned>(now), static_cast<unsigned>(getpid())};
        return std::mt19937(seq);
    }());
    return static_cast<uint16_t>(engine() & 0xFFFF);
}

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Seeks candidates in `table` until one (after `prefix`) is not there; the
// table's position is kept.
std::string uniqueCandidate(const char* alias, const std::string& prefix) {
    xbase::Table* t = workAreas().table(alias);
    if (!t || t->indexCount() == 0) return keyCandidate();
    const bool wasEnd = t->eof();
    const uint32_t noted = t->recNo();
    std::string candidate;
    do {
        candidate = keyCandidate();
    } while (t->seek(prefix + candidate));
    if (wasEnd) {
        t->goBottom();
        t->skip(1);
    } else {
        t->goTo(noted);
    }
    return candidate;
}

}  // namespace

xbase::KeyFunction keyFunction(const std::string& expression, const std::string& alias) {
    expr::Compiled compiled = expr::compile(expression);
    if (!compiled.valid()) return {};
    return [compiled, alias](const xbase::Record& r) {
        RecordFields fields(r, alias, fieldResolver());
        FieldResolver* outer = setFieldResolver(&fields);
        std::string key = keyText(compiled.evaluate());
        setFieldResolver(outer);
        return key;
    };
}

RandomSource setRandomSource(RandomSource source) {
    RandomSource previous = std::move(installedSource());
    installedSource() = std::move(source);
    return previous;
}

uint16_t randomDraw() { return installedSource() ? installedSource()() : defaultDraw(); }

std::string keyCandidate() {
    DayClock& clock = dayClock();
    const long secs = static_cast<long>(clock.seconds());
    char time[8];
    std::snprintf(time, sizeof time, "%02ld%02ld%02ld", secs / 3600 % 24, secs / 60 % 60, secs % 60);
    uint64_t product = uint64_t{randomDraw()} * randomDraw() * randomDraw();
    std::string tail = std::to_string(product).substr(0, 10);
    tail.resize(10, ' ');
    return clock.today().dtos() + time + tail;
}

std::string INDENT() {
    std::string key = uniqueCandidate("DETAIL", "");
    workAreas().select("WDATA");
    return key;
}

std::string INDENT2(const std::string& orderKey) {
    std::string order = orderKey;
    order.resize(kIndentWidth, ' ');
    std::string key = uniqueCandidate("BATCHING", order);
    workAreas().select("DETAIL");
    return key;
}

bool searchTable(int action, const std::string& text, const std::string& expression) {
    xbase::Table* t = currentTable();
    if (!t) return false;
    if (action == 1) return t->goTop(), true;
    if (action == 2) return t->goBottom(), true;
    if (action != 3) return true;
    const std::string wanted = upperAscii(trimmed(text));
    expr::Compiled compiled = expr::compile(expression);
    const bool wasEnd = t->eof();
    const uint32_t noted = t->recNo();
    if (!wanted.empty() && compiled.valid()) {
        while (t->skip(1) && !t->eof()) {
            Value v = compiled.evaluate();
            std::string hay = upperAscii(v.isText() ? v.text() : v.toDisplay());
            if (hay.find(wanted) != std::string::npos) return true;
        }
    }
    if (wasEnd) {
        t->goBottom();
        t->skip(1);
    } else {
        t->goTo(noted);
    }
    operatorUi().message(T("ไม่พบข้อความที่ระบุ"), T("  ส่วนค้นหาข้อมูล"));
    return false;
}

}  // namespace mp
