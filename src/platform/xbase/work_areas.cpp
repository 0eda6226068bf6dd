#include "platform/xbase/work_areas.h"

#include <cctype>

#include "platform/runtime/error.h"
#include "platform/runtime/files.h"

namespace mp::xbase {
namespace {

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

std::string defaultAlias(const std::string& path) {
    std::string p = nativePath(path);
    size_t slash = p.find_last_of('/');
    std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

WorkAreas::WorkAreas() : m_areas(kMaxAreas + 1) {}

WorkAreas::~WorkAreas() { closeAll(); }

int WorkAreas::freeArea() const {
    for (int i = 1; i <= kMaxAreas; ++i)
        if (!m_areas[i].table) return i;
    return 0;
}

int WorkAreas::areaOf(std::string_view alias) const {
    std::string a = upper(alias);
    for (int i = 1; i <= kMaxAreas; ++i)
        if (m_areas[i].table && m_areas[i].alias == a) return i;
    return 0;
}

int WorkAreas::open(const std::string& path, std::string alias, OpenOptions options) {
    if (alias.empty()) alias = defaultAlias(path);
    close(alias);
    auto table = Table::open(path, options);
    if (!table) return 0;
    return adopt(std::move(table), alias);
}

int WorkAreas::adopt(std::unique_ptr<Table> table, std::string alias) {
    if (areaOf(alias)) {
        raiseUsage(table->path(), gen::kDuplicateAlias, "open", "alias " + alias + " in use");
        return 0;
    }
    int area = freeArea();
    if (area == 0) {
        raiseUsage(table->path(), gen::kLimit, "open", "no free work area");
        return 0;
    }
    m_areas[area].table = std::move(table);
    m_areas[area].alias = upper(alias);
    installListener(area);
    m_selected = area;
    return area;
}

void WorkAreas::installListener(int area) {
    m_areas[area].table->setMoveListener([this, area] { follow(area); });
}

bool WorkAreas::select(std::string_view alias) {
    int area = areaOf(alias);
    if (area == 0) return false;
    m_selected = area;
    return true;
}

bool WorkAreas::select(int area) {
    if (area < 1 || area > kMaxAreas) return false;
    m_selected = area;
    return true;
}

Table* WorkAreas::current() const { return m_areas[m_selected].table.get(); }

Table* WorkAreas::table(std::string_view alias) const {
    int area = areaOf(alias);
    return area ? m_areas[area].table.get() : nullptr;
}

std::string WorkAreas::aliasOf(int area) const {
    if (area < 1 || area > kMaxAreas || !m_areas[area].table) return {};
    return m_areas[area].alias;
}

void WorkAreas::close(std::string_view alias) { closeArea(areaOf(alias)); }

void WorkAreas::closeArea(int area) {
    if (area < 1 || area > kMaxAreas || !m_areas[area].table) return;
    std::vector<Relation> kept;
    for (Relation& r : m_relations)
        if (r.parent != area && r.child != area) kept.push_back(std::move(r));
    m_relations = std::move(kept);
    m_areas[area].table.reset();
    m_areas[area].alias.clear();
}

void WorkAreas::closeAll() {
    m_relations.clear();
    for (int i = 1; i <= kMaxAreas; ++i) closeArea(i);
    m_selected = 1;
}

bool WorkAreas::setRelation(std::string_view parent, std::string_view child, KeyFunction parentKey,
                            std::string expression) {
    int p = areaOf(parent), c = areaOf(child);
    if (!p || !c) return false;
    if (m_areas[c].table->order() == 0) {
        raiseUsage(m_areas[c].table->path(), gen::kNoOrder, "relation", "child table has no index");
        return false;
    }
    m_relations.push_back(Relation{p, c, std::move(parentKey), std::move(expression)});
    follow(p);
    return true;
}

void WorkAreas::clearRelations(std::string_view parent) {
    int p = areaOf(parent);
    std::vector<Relation> kept;
    for (Relation& r : m_relations)
        if (r.parent != p) kept.push_back(std::move(r));
    m_relations = std::move(kept);
}

void WorkAreas::follow(int parent) {
    if (m_following > kMaxAreas) return;
    ++m_following;
    for (size_t i = 0; i < m_relations.size(); ++i) {
        const Relation& r = m_relations[i];
        if (r.parent != parent) continue;
        Table* p = m_areas[r.parent].table.get();
        Table* c = m_areas[r.child].table.get();
        if (p->eof()) {
            c->goTo(0);  // the end of the child table
            continue;
        }
        c->seek(r.key(p->record()));
    }
    --m_following;
}

std::optional<Value> WorkAreas::field(std::string_view alias, std::string_view name) const {
    const Table* t = alias.empty() ? current() : table(alias);
    if (!t) return std::nullopt;
    int i = t->fieldIndex(name);
    if (i < 0) return std::nullopt;
    return t->value(i);
}

bool WorkAreas::hasAlias(std::string_view alias) const { return areaOf(alias) != 0; }

bool WorkAreas::assignField(std::string_view alias, std::string_view name, const Value& v) {
    Table* t = alias.empty() ? current() : table(alias);
    if (!t || t->fieldIndex(name) < 0) return false;
    return t->setValue(name, v);
}

}  // namespace mp::xbase
