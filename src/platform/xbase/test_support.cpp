#include "platform/xbase/test_support.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace mp::xbase::testing {

ScratchDir::ScratchDir() {
    static int serial = 0;
    m_dir = std::string(MIXPLANT_BINARY_DIR) + "/xbase-scratch-" + std::to_string(getpid()) + "-" +
            std::to_string(++serial);
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

ErrorAnswer BusyHandler::handle(const ErrorRecord& e) {
    if ((e.genCode == gen::kOpen && e.osCode == oscode::kSharingViolation) || e.genCode == gen::kAppendLock)
        setBusy();
    return RecordingErrorHandler::handle(e);
}

int BusyHandler::count(int genCode) const {
    int n = 0;
    for (const ErrorRecord& e : errors) n += e.genCode == genCode;
    return n;
}

FieldList batchingFields() {
    FieldList f = {{"INDENT", 'C', 24, 0}, {"INDENT2", 'C', 24, 0}, {"ITEM", 'C', 4, 0},
                   {"DOC_DATE", 'D', 8, 0}, {"DATE", 'D', 8, 0},    {"TIME", 'C', 8, 0},
                   {"STAFF", 'C', 6, 0},    {"STAT", 'C', 1, 0}};
    for (int i = 1; i <= 8; ++i) f.push_back({"TARGET" + std::to_string(i), 'N', 10, 2});
    for (int i = 1; i <= 8; ++i) f.push_back({"ACTUAL" + std::to_string(i), 'N', 10, 2});
    return f;
}

std::string batchingKey(const Record& r) {
    return r.value("INDENT").text() + r.value("INDENT2").text() + r.value("ITEM").text();
}

bool appendBatch(Table& t, const std::string& indent, const std::string& indent2, int item) {
    if (!t.append()) return false;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04d", item);
    bool ok = t.setValue("INDENT", Value(indent)) && t.setValue("INDENT2", Value(indent2)) &&
              t.setValue("ITEM", Value(std::string(buf))) && t.setValue("STAT", Value("0"));
    return ok;
}

}  // namespace mp::xbase::testing
