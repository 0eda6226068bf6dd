#include "batching/production_records.h"

#include <cctype>
#include <cstdio>

#include "data/table_access.h"
#include "platform/runtime/dayclock.h"

namespace mp::production {
namespace {

// Runs `step` with `t` selected, then gives the selection back.
template <class Step>
bool withSelected(xbase::Table* t, Step step) {
    xbase::WorkAreas& areas = workAreas();
    const int before = areas.selected();
    int area = 0;
    for (int a = 1; a <= xbase::WorkAreas::kMaxAreas && !area; ++a)
        if (areas.aliasOf(a).size() && areas.table(areas.aliasOf(a)) == t) area = a;
    if (!area) return false;
    areas.select(area);
    const bool ok = step();
    areas.select(before);
    return ok;
}

bool assign(xbase::Table* t, const FieldValues& values) {
    for (const auto& [name, value] : values)
        if (!t->setValue(name, value)) return false;
    return true;
}

}  // namespace

xbase::Table* table(std::string_view alias) { return workAreas().table(alias); }

std::string text(const xbase::Table* t, std::string_view field) {
    if (!t || t->eof()) return "";
    Value v = t->value(field);
    return v.isText() ? v.text() : "";
}

std::string trimmedText(const xbase::Table* t, std::string_view field) { return trim(text(t, field)); }

double number(const xbase::Table* t, std::string_view field) {
    if (!t || t->eof()) return 0;
    return t->value(field).number();
}

Date date(const xbase::Table* t, std::string_view field) {
    if (!t || t->eof()) return Date();
    return t->value(field).date();
}

std::string slotField(std::string_view name, int slot) { return std::string(name) + std::to_string(slot); }

std::string clockTime() {
    const long secs = static_cast<long>(dayClock().seconds());
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", secs / 3600 % 24, secs / 60 % 60, secs % 60);
    return buf;
}

std::string trim(std::string_view s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return "";
    return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string padded(std::string_view s, size_t width) {
    std::string r(s.substr(0, width));
    r.resize(width, ' ');
    return r;
}

bool writeCurrent(xbase::Table* t, const FieldValues& values) {
    if (!t || t->eof()) return false;
    return withSelected(t, [&] {
        if (!REC_LOCK(0)) return false;
        const bool ok = assign(t, values) && t->commit();
        t->unlockAll();
        return ok;
    });
}

bool appendRecord(xbase::Table* t, const FieldValues& values) {
    if (!t) return false;
    return withSelected(t, [&] {
        if (!ADD_REC(0)) return false;
        const bool ok = assign(t, values) && t->commit();
        t->unlockAll();
        return ok;
    });
}

bool setMark(xbase::Table* t, bool deleted) {
    if (!t || t->eof()) return false;
    return withSelected(t, [&] {
        if (!REC_LOCK(0)) return false;
        const bool ok = t->setDeleted(deleted) && t->commit();
        t->unlockAll();
        return ok;
    });
}

}  // namespace mp::production

namespace mp::production {

bool fits(const xbase::Table* t, std::string_view field, double n) {
    if (!t) return false;
    const int i = t->fieldIndex(field);
    if (i < 0) return false;
    const xbase::FieldDef& f = t->fields()[i];
    if (f.type != 'N') return true;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", f.decimals, n);
    return static_cast<int>(std::string(buf).size()) <= f.width;
}

}  // namespace mp::production
