#include "platform/xbase/dbf_format.h"

#include <cctype>
#include <cstring>
#include <set>

#include "platform/xbase/byte_order.h"

namespace mp::xbase {

std::string DbfHeader::encode() const {
    std::string b(kDbfHeaderSize, '\0');
    b[0] = static_cast<char>(version);
    b[1] = static_cast<char>(year > 1900 ? year - 1900 : 0);
    b[2] = static_cast<char>(month);
    b[3] = static_cast<char>(day);
    putU32(&b[4], recordCount);
    putU16(&b[8], headerLength);
    putU16(&b[10], recordLength);
    b[29] = static_cast<char>(languageDriver);
    return b;
}

DbfHeader DbfHeader::decode(std::string_view b) {
    DbfHeader h;
    h.version = static_cast<uint8_t>(b[0]);
    h.year = 1900 + static_cast<uint8_t>(b[1]);
    h.month = static_cast<uint8_t>(b[2]);
    h.day = static_cast<uint8_t>(b[3]);
    h.recordCount = getU32(b.data() + 4);
    h.headerLength = getU16(b.data() + 8);
    h.recordLength = getU16(b.data() + 10);
    h.languageDriver = static_cast<uint8_t>(b[29]);
    return h;
}

std::string encodeFieldDescriptor(const FieldDef& f) {
    std::string b(kFieldDescriptorSize, '\0');
    std::memcpy(&b[0], f.name.data(), std::min<size_t>(f.name.size(), kMaxFieldNameLength));
    b[11] = f.type;
    if (f.type == 'C') {
        b[16] = static_cast<char>(f.width & 0xFF);
        b[17] = static_cast<char>((f.width >> 8) & 0xFF);
    } else {
        b[16] = static_cast<char>(f.width);
        b[17] = static_cast<char>(f.decimals);
    }
    return b;
}

FieldDef decodeFieldDescriptor(std::string_view b) {
    FieldDef f;
    size_t n = 0;
    while (n < 11 && b[n] != '\0') ++n;
    f.name.assign(b.data(), n);
    f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(b[11])));
    int lo = static_cast<uint8_t>(b[16]);
    int hi = static_cast<uint8_t>(b[17]);
    if (f.type == 'C') {
        f.width = lo + 256 * hi;
    } else {
        f.width = lo;
        f.decimals = hi;
    }
    return f;
}

static bool validName(const std::string& name) {
    if (name.empty() || name.size() > kMaxFieldNameLength) return false;
    if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

std::optional<std::string> checkField(const FieldDef& f) {
    if (!validName(f.name)) return "bad field name \"" + f.name + "\"";
    switch (f.type) {
    case 'C':
        if (f.width < 1 || f.width > kMaxCharWidth) return "bad width of field " + f.name;
        return std::nullopt;
    case 'N':
        if (f.width < 1 || f.width > kMaxNumericWidth) return "bad width of field " + f.name;
        if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.width - 2))
            return "bad decimals of field " + f.name;
        return std::nullopt;
    case 'D':
        if (f.width != 8) return "bad width of date field " + f.name;
        return std::nullopt;
    case 'L':
        if (f.width != 1) return "bad width of logical field " + f.name;
        return std::nullopt;
    default:
        return std::string("unknown type '") + f.type + "' of field " + f.name;
    }
}

std::optional<std::string> checkFieldList(const FieldList& fields) {
    if (fields.empty() || fields.size() > kMaxFields) return std::string("bad number of fields");
    std::set<std::string> names;
    for (const FieldDef& f : fields) {
        if (auto why = checkField(f)) return why;
        std::string upper;
        for (char c : f.name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!names.insert(upper).second) return "field " + f.name + " twice";
    }
    if (recordLengthOf(fields) > 65535) return std::string("record longer than 65535 bytes");
    return std::nullopt;
}

int recordLengthOf(const FieldList& fields) {
    int n = 1;
    for (const FieldDef& f : fields) n += f.width;
    return n;
}

std::string encodeHeaderBlock(DbfHeader h, const FieldList& fields) {
    h.headerLength = static_cast<uint16_t>(kDbfHeaderSize + kFieldDescriptorSize * fields.size() + 1);
    h.recordLength = static_cast<uint16_t>(recordLengthOf(fields));
    std::string b = h.encode();
    for (const FieldDef& f : fields) b += encodeFieldDescriptor(f);
    b += kHeaderTerminator;
    return b;
}

std::optional<DbfLayout> decodeHeaderBlock(std::string_view b, std::string& why) {
    if (b.size() < kDbfHeaderSize + 1) {
        why = "file shorter than a table header";
        return std::nullopt;
    }
    DbfLayout l;
    l.header = DbfHeader::decode(b.substr(0, kDbfHeaderSize));
    if ((l.header.version & 0x07) != kDbaseIIIVersion) {
        why = "not a dBASE III table (version byte " + std::to_string(l.header.version) + ")";
        return std::nullopt;
    }
    size_t end = l.header.headerLength;
    if (end < kDbfHeaderSize + kFieldDescriptorSize + 1 || end > b.size()) {
        why = "header length " + std::to_string(end) + " makes no sense";
        return std::nullopt;
    }
    int offset = 1;
    for (size_t p = kDbfHeaderSize; p < end && b[p] != kHeaderTerminator; p += kFieldDescriptorSize) {
        if (p + kFieldDescriptorSize > end) {
            why = "field descriptors run past the header";
            return std::nullopt;
        }
        l.fields.push_back(decodeFieldDescriptor(b.substr(p, kFieldDescriptorSize)));
        l.offsets.push_back(offset);
        offset += l.fields.back().width;
    }
    if (auto bad = checkFieldList(l.fields)) {
        why = "field descriptor makes no sense: " + *bad;
        return std::nullopt;
    }
    if (offset != l.header.recordLength) {
        why = "record length " + std::to_string(l.header.recordLength) + " disagrees with the fields (" +
              std::to_string(offset) + ")";
        return std::nullopt;
    }
    return l;
}

}  // namespace mp::xbase
