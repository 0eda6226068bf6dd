#include "platform/xbase/maintenance.h"

#include <algorithm>
#include <map>

#include "platform/runtime/error.h"
#include "platform/runtime/files.h"

namespace mp::xbase {
namespace {

struct IndexSpec {
    std::string path;
    std::string expression;
    KeyFunction key;
};

bool readAll(Table& t, std::string& data) {
    const uint32_t count = t.recordCount();
    const uint64_t hl = t.layout().header.headerLength, rl = t.layout().header.recordLength;
    IoStatus s = t.file().read(hl, count * rl, data);
    if (!s.ok()) return raiseIoError(t.path(), s, gen::kRead, "read") && false;
    if (data.size() != count * rl) {
        raiseCorruption(t.path(), "read", "records cut short: file truncated");
        return false;
    }
    return true;
}

}  // namespace

bool pack(Table& t) {
    if (!t.exclusive() || t.readOnly()) {
        raiseUsage(t.path(), gen::kShared, "pack", "pack needs the table open exclusive");
        return false;
    }
    t.goTo(0);  // writes a changed record
    std::string data;
    if (!readAll(t, data)) return false;
    const size_t rl = t.layout().header.recordLength;
    std::string kept;
    kept.reserve(data.size());
    for (size_t p = 0; p < data.size(); p += rl)
        if (data[p] != kDeletedMark) kept.append(data, p, rl);
    const uint32_t count = static_cast<uint32_t>(kept.size() / rl);
    const uint64_t hl = t.layout().header.headerLength;
    // New records and end marker first, then the count, then cut the tail:
    // a crash midway leaves the header no larger than the records written.
    IoStatus s = t.file().write(hl, kept + kEndOfFile);
    DbfHeader h = t.layout().header;
    h.recordCount = count;
    if (s.ok()) s = t.file().write(0, h.encode().substr(0, 12));
    if (s.ok()) s = t.file().truncate(hl + kept.size() + 1);
    if (s.ok()) s = t.file().sync();
    if (!s.ok()) return raiseIoError(t.path(), s, gen::kWrite, "pack") && false;
    std::vector<IndexSpec> indexes;
    for (int i = 1; i <= t.indexCount(); ++i)
        indexes.push_back({t.index(i)->path(), t.index(i)->keyExpression(), {}});
    // The key functions live in the table; rebuilding needs them back.
    std::vector<KeyFunction> keys = t.keyFunctions();
    t.closeIndexes();
    bool ok = true;
    for (size_t i = 0; i < indexes.size(); ++i) ok = t.createIndex(indexes[i].path, indexes[i].expression, keys[i]) && ok;
    t.setOrder(indexes.empty() ? 0 : 1);
    t.goTop();
    return ok;
}

bool copyTable(Table& source, const std::string& target, const std::function<bool(const Record&)>& keep) {
    uint32_t back = source.eof() ? 0 : source.recNo();
    source.goTo(back);  // writes a changed record
    if (!Table::create(target, source.fields(), {source.languageDriver()})) return false;
    std::string data;
    if (!readAll(source, data)) return false;
    const size_t rl = source.layout().header.recordLength;
    std::string kept;
    for (size_t p = 0; p < data.size(); p += rl) {
        source.loadScratch(static_cast<uint32_t>(p / rl + 1), std::string_view(data).substr(p, rl));
        if (!keep || keep(source.record())) kept.append(data, p, rl);
    }
    source.goTo(back);
    auto out = Table::open(target, {true, false});
    if (!out) return false;
    const uint64_t hl = out->layout().header.headerLength;
    DbfHeader h = out->layout().header;
    h.recordCount = static_cast<uint32_t>(kept.size() / rl);
    IoStatus s = out->file().write(hl, kept + kEndOfFile);
    if (s.ok()) s = out->file().write(0, h.encode().substr(0, 12));
    if (s.ok()) s = out->file().sync();
    if (!s.ok()) return raiseIoError(out->path(), s, gen::kWrite, "copy") && false;
    return true;
}

long fillFromText(Table& t, const std::string& textPath) {
    std::string text;
    std::string native = findFile(textPath);
    if (!readFile(native, text)) {
        raiseIoError(native, IoStatus{ENOENT, "read"}, gen::kOpen, "append from");
        return -1;
    }
    if (t.fields().empty() || t.fields()[0].type != 'C') {
        raiseUsage(t.path(), gen::kDataType, "append from", "first field is not a character field");
        return -1;
    }
    // Text files written by DOS-era editors (and our own logs) end with an
    // end-of-file byte; what follows it is not part of the text.
    text.erase(std::min(text.find(kEndOfFile), text.size()));
    long added = 0;
    size_t p = 0;
    while (p < text.size()) {
        size_t nl = text.find('\n', p);
        size_t end = nl == std::string::npos ? text.size() : nl;
        std::string line = text.substr(p, end - p);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!t.append() || !t.setValue(0, Value(line))) return -1;
        ++added;
        p = nl == std::string::npos ? text.size() : nl + 1;
    }
    t.unlockAll();
    return t.commit() ? added : -1;
}

}  // namespace mp::xbase
