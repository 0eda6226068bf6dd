#pragma once

#include <optional>
#include <string_view>

#include "platform/runtime/value.h"

namespace mp {

// How form and key expressions reach table fields: `alias->field` and a bare
// field name of the current table. The table engine's work areas implement it.
// A field of a table positioned past its end yields the blank of its kind.
class FieldResolver {
public:
    virtual ~FieldResolver() = default;
    // nullopt when there is no such table or field. `alias` empty means the current table.
    virtual std::optional<Value> field(std::string_view alias, std::string_view name) const = 0;
    virtual bool hasAlias(std::string_view alias) const = 0;
    // Assignment to a field of the current record (forms may do it); false when impossible.
    virtual bool assignField(std::string_view alias, std::string_view name, const Value& v) { return false; }
};

// The resolver in force (work areas of the process), or nullptr when no table layer is up.
FieldResolver* fieldResolver();
FieldResolver* setFieldResolver(FieldResolver* r);  // returns the previous one

}  // namespace mp
