#pragma once

// The numbered work areas of a process: each holds one open table under an
// alias (matched without regard to case); one area is selected, and its
// table is the current table. Relations make a child table follow its
// parent: whenever the parent moves, the child seeks the parent's key
// (computed by a key function) in its controlling index, and stands at the
// end of the table when nothing matches or the parent is at its end.
// WorkAreas is also the evaluator's field resolver: `alias->field` and bare
// fields of the current table.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/field_resolver.h"
#include "platform/xbase/table.h"

namespace mp::xbase {

class WorkAreas : public FieldResolver {
public:
    static constexpr int kMaxAreas = 250;

    WorkAreas();
    ~WorkAreas() override;
    WorkAreas(const WorkAreas&) = delete;
    WorkAreas& operator=(const WorkAreas&) = delete;

    // Opens `path` in a free area under `alias` (default: the file name
    // without folder and extension), first closing a table already open under
    // that alias, and selects it. Returns the area number, 0 on failure (the
    // open raised its error; see Table::open for the busy indication).
    int open(const std::string& path, std::string alias = {}, OpenOptions options = {});
    // Puts an already open table in a free area; returns the area or 0.
    int adopt(std::unique_ptr<Table> table, std::string alias);

    bool select(std::string_view alias);  // false (selection unchanged) for an unknown alias
    bool select(int area);
    int selected() const { return m_selected; }
    int freeArea() const;                 // lowest empty area, 0 when all are taken
    Table* current() const;               // nullptr when the selected area is empty
    Table* table(std::string_view alias) const;
    int areaOf(std::string_view alias) const;  // 0 when not open
    std::string aliasOf(int area) const;

    void close(std::string_view alias);
    void closeArea(int area);
    void closeAll();

    // The child follows the parent from now on (and is positioned at once).
    // The child needs a controlling index; false otherwise.
    bool setRelation(std::string_view parent, std::string_view child, KeyFunction parentKey,
                     std::string expression = {});
    void clearRelations(std::string_view parent);

    // FieldResolver.
    std::optional<Value> field(std::string_view alias, std::string_view name) const override;
    bool hasAlias(std::string_view alias) const override;
    bool assignField(std::string_view alias, std::string_view name, const Value& v) override;

private:
    struct Area {
        std::unique_ptr<Table> table;
        std::string alias;  // upper case
    };
    struct Relation {
        int parent;
        int child;
        KeyFunction key;
        std::string expression;
    };
    void follow(int parent);
    void installListener(int area);

    std::vector<Area> m_areas;  // index 0 unused: areas are numbered from 1
    std::vector<Relation> m_relations;
    int m_selected = 1;
    int m_following = 0;  // depth of relation updates under way (stops cycles)
};

}  // namespace mp::xbase
