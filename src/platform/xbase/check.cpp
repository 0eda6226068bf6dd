// The check routine of maintenance.h: reports, changes nothing.

#include "platform/xbase/maintenance.h"

#include <map>

namespace mp::xbase {
namespace {

void checkRecords(Table& t, std::vector<std::string>& problems) {
    const uint32_t count = t.recordCount();
    const uint64_t hl = t.layout().header.headerLength, rl = t.layout().header.recordLength;
    uint64_t size = 0;
    if (!t.file().size(size).ok()) {
        problems.push_back("table size unreadable");
        return;
    }
    uint64_t whole = size < hl ? 0 : (size - hl) / rl;
    if (whole < count)
        problems.push_back("header counts " + std::to_string(count) + " records, the file holds " +
                           std::to_string(whole));
    else if (whole > count)
        problems.push_back("file holds " + std::to_string(whole - count) + " records beyond the header's count");
    std::string data;
    t.file().read(hl, std::min<uint64_t>(count, whole) * rl, data);
    for (size_t p = 0; p + rl <= data.size(); p += rl)
        if (data[p] != kLiveMark && data[p] != kDeletedMark)
            problems.push_back("record " + std::to_string(p / rl + 1) + " has a bad deleted flag");
}

void checkIndex(Table& t, int n, std::vector<std::string>& problems) {
    NtxIndex* ix = t.index(n);
    const std::string name = ix->path() + ": ";
    const uint32_t count = t.recordCount();
    std::vector<std::string> keys(count + 1);
    std::vector<int> seen(count + 1, 0);
    std::vector<KeyFunction> fns = t.keyFunctions();
    for (uint32_t r = 1; r <= count; ++r) {
        std::string bytes;
        if (!t.readRaw(r, bytes)) break;
        t.loadScratch(r, bytes);
        keys[r] = ix->padKey(fns[n - 1](t.record()));
    }
    auto walkProblems = ix->walk([&](const IndexEntry& e) {
        if (e.recNo < 1 || e.recNo > count) {
            problems.push_back(name + "entry for record " + std::to_string(e.recNo) + " past the table's end");
            return;
        }
        if (++seen[e.recNo] == 2) problems.push_back(name + "record " + std::to_string(e.recNo) + " held twice");
        if (e.key != keys[e.recNo])
            problems.push_back(name + "record " + std::to_string(e.recNo) + " filed under \"" + e.key +
                               "\", its key is \"" + keys[e.recNo] + "\"");
    });
    for (const std::string& p : walkProblems) problems.push_back(name + p);
    for (uint32_t r = 1; r <= count; ++r)
        if (seen[r] == 0) problems.push_back(name + "record " + std::to_string(r) + " missing from the index");
}

}  // namespace

std::vector<std::string> checkTable(Table& t) {
    std::vector<std::string> problems;
    uint32_t back = t.eof() ? 0 : t.recNo();
    t.goTo(back);  // writes a changed record
    checkRecords(t, problems);
    for (int n = 1; n <= t.indexCount(); ++n) checkIndex(t, n, problems);
    t.goTo(back);
    return problems;
}

}  // namespace mp::xbase
