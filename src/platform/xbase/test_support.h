#pragma once

// Shared pieces of the engine's tests: a scratch folder, a recording error
// handler that sets the busy indication as the program's handler does, and
// a BATCHING-shaped table.

#include <string>

#include "platform/runtime/error.h"
#include "platform/xbase/table.h"

namespace mp::xbase::testing {

// A fresh folder under the build tree, removed at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    const std::string& dir() const { return m_dir; }

private:
    std::string m_dir;
};

// Records errors; a sharing conflict sets the busy indication.
class BusyHandler : public RecordingErrorHandler {
public:
    ErrorAnswer handle(const ErrorRecord& e) override;
    int count(int genCode) const;
};

FieldList batchingFields();
// INDENT+INDENT2+ITEM of the current record.
std::string batchingKey(const Record& r);
// Appends one BATCHING record (indent/indent2 padded, item as four digits).
bool appendBatch(Table& t, const std::string& indent, const std::string& indent2, int item);

}  // namespace mp::xbase::testing
