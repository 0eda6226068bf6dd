#include "platform/runtime/field_resolver.h"

namespace mp {

namespace {
FieldResolver* g_resolver = nullptr;
}  // namespace

FieldResolver* fieldResolver() { return g_resolver; }

FieldResolver* setFieldResolver(FieldResolver* r) {
    FieldResolver* prev = g_resolver;
    g_resolver = r;
    return prev;
}

}  // namespace mp
