#pragma once

// The on-disk layout of a Clipper index (.NTX) as this engine reads and
// writes it: 1024-byte pages, page 0 the header, the others B-tree pages of
// (left page, record number, key). doc/xbase.md describes every byte.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mp::xbase {

constexpr int kNtxPageSize = 1024;
constexpr uint16_t kNtxSignature = 0x0006;      // Clipper 5 index
constexpr uint16_t kNtxSignatureOld = 0x0003;   // Clipper Summer '87, read only
constexpr int kNtxMaxKeyExpression = 256;
constexpr int kNtxMaxKeySize = 256;
constexpr int kNtxChangeCounterOffset = 1020;   // our 32-bit change counter (unused by others)

struct NtxHeader {
    uint16_t signature = kNtxSignature;
    uint16_t version = 0;       // low 16 bits of the change counter
    uint32_t root = 0;          // file offset of the root page
    uint32_t freeList = 0;      // first unused page (0: none)
    uint16_t itemSize = 0;      // key size + 8
    uint16_t keySize = 0;
    uint16_t keyDecimals = 0;
    uint16_t maxItems = 0;      // items a page holds
    uint16_t halfPage = 0;
    std::string keyExpression;
    bool unique = false;
    uint32_t changeCounter = 0;  // bumped by every change; readers drop cached pages when it moves

    std::string encode() const;  // kNtxPageSize bytes
    static NtxHeader decode(std::string_view page);
    static NtxHeader forKey(int keySize, std::string expression, bool unique);
    std::optional<std::string> check(uint64_t fileSize) const;  // why it makes no sense
};

// Items a page holds for a key size: the page keeps a count, one offset per
// item plus one, and the items plus one (the last holds only the right-most
// child).
int ntxMaxItems(int keySize);

// One B-tree page decoded. `left` has count+1 entries (left[count] is the
// right-most child); 0 means no child (a leaf).
struct NtxPage {
    std::vector<uint32_t> left;
    std::vector<uint32_t> recNo;
    std::string keys;  // count * keySize bytes
    int count() const { return static_cast<int>(recNo.size()); }
    bool isLeaf() const { return left.empty() || left[0] == 0; }
    std::string_view key(int i, int keySize) const {
        return std::string_view(keys).substr(static_cast<size_t>(i) * keySize, keySize);
    }

    std::string encode(const NtxHeader& h) const;
    // nullopt with `why` set when the page cannot be a page of this index.
    static std::optional<NtxPage> decode(std::string_view bytes, const NtxHeader& h, uint64_t fileSize,
                                         std::string& why);
};

}  // namespace mp::xbase
