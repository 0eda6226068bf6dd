#pragma once

// The on-disk layout of a dBASE III table (.DBF) as this engine reads and
// writes it. doc/xbase.md describes every byte; this header holds the
// structures with their encode/decode and the named constants.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mp::xbase {

constexpr int kDbfHeaderSize = 32;       // fixed part of the file header
constexpr int kFieldDescriptorSize = 32;  // one per field, after the fixed part
constexpr char kHeaderTerminator = 0x0D;  // ends the field descriptors
constexpr char kEndOfFile = 0x1A;         // written after the last record
constexpr char kDeletedMark = '*';        // first byte of a deleted record
constexpr char kLiveMark = ' ';           // first byte of a live record
constexpr uint8_t kDbaseIIIVersion = 0x03;  // dBASE III without memo
// Language driver byte (offset 29) we write for code page 874 (Thai Windows).
constexpr uint8_t kLanguageDriverThai874 = 0x7C;
constexpr int kMaxFieldNameLength = 10;
constexpr int kMaxCharWidth = 65535;      // wide C fields: decimals byte is the high byte
constexpr int kMaxNumericWidth = 20;
constexpr int kMaxFields = 1024;
constexpr uint32_t kMaxRecords = 999'999'999;  // record locks must stay below the next range

// One field of a table: name (upper case, up to 10 characters), type
// C (character), N (numeric), D (date) or L (logical), width in bytes and
// decimals (N only).
struct FieldDef {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
    bool operator==(const FieldDef& o) const {
        return name == o.name && type == o.type && width == o.width && decimals == o.decimals;
    }
};
using FieldList = std::vector<FieldDef>;

// The fixed 32-byte file header.
struct DbfHeader {
    uint8_t version = kDbaseIIIVersion;
    int year = 0, month = 0, day = 0;  // date of last update
    uint32_t recordCount = 0;
    uint16_t headerLength = 0;  // bytes before record 1
    uint16_t recordLength = 0;  // including the deleted-flag byte
    uint8_t languageDriver = 0;

    std::string encode() const;                            // exactly kDbfHeaderSize bytes
    static DbfHeader decode(std::string_view bytes);        // requires kDbfHeaderSize bytes
};

// Encodes one field descriptor (kFieldDescriptorSize bytes). Wide character
// fields keep the width's high byte in the decimals byte.
std::string encodeFieldDescriptor(const FieldDef& f);
FieldDef decodeFieldDescriptor(std::string_view bytes);

// Why a field list or a descriptor is unusable, or nullopt when it is sound.
std::optional<std::string> checkField(const FieldDef& f);
std::optional<std::string> checkFieldList(const FieldList& fields);

// The whole header block (fixed part, descriptors, terminator) for a new table.
std::string encodeHeaderBlock(DbfHeader h, const FieldList& fields);
// Record length (flag byte included) of a field list.
int recordLengthOf(const FieldList& fields);

// Parses a header block read from the front of a file. On damage returns
// nullopt and sets `why`.
struct DbfLayout {
    DbfHeader header;
    FieldList fields;
    std::vector<int> offsets;  // byte offset of each field inside a record
};
std::optional<DbfLayout> decodeHeaderBlock(std::string_view bytes, std::string& why);

}  // namespace mp::xbase
