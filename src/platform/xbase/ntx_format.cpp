#include "platform/xbase/ntx_format.h"

#include <cstring>

#include "platform/xbase/byte_order.h"

namespace mp::xbase {

int ntxMaxItems(int keySize) { return (kNtxPageSize - 4) / (keySize + 10) - 1; }

std::string NtxHeader::encode() const {
    std::string b(kNtxPageSize, '\0');
    putU16(&b[0], signature);
    putU16(&b[2], version);
    putU32(&b[4], root);
    putU32(&b[8], freeList);
    putU16(&b[12], itemSize);
    putU16(&b[14], keySize);
    putU16(&b[16], keyDecimals);
    putU16(&b[18], maxItems);
    putU16(&b[20], halfPage);
    std::memcpy(&b[22], keyExpression.data(), std::min<size_t>(keyExpression.size(), kNtxMaxKeyExpression - 1));
    b[278] = unique ? 1 : 0;
    putU32(&b[kNtxChangeCounterOffset], changeCounter);
    return b;
}

NtxHeader NtxHeader::decode(std::string_view b) {
    NtxHeader h;
    h.signature = getU16(b.data());
    h.version = getU16(b.data() + 2);
    h.root = getU32(b.data() + 4);
    h.freeList = getU32(b.data() + 8);
    h.itemSize = getU16(b.data() + 12);
    h.keySize = getU16(b.data() + 14);
    h.keyDecimals = getU16(b.data() + 16);
    h.maxItems = getU16(b.data() + 18);
    h.halfPage = getU16(b.data() + 20);
    size_t n = 0;
    while (n < kNtxMaxKeyExpression && b[22 + n] != '\0') ++n;
    h.keyExpression.assign(b.data() + 22, n);
    h.unique = b[278] != 0;
    h.changeCounter = getU32(b.data() + kNtxChangeCounterOffset);
    return h;
}

NtxHeader NtxHeader::forKey(int keySize, std::string expression, bool unique) {
    NtxHeader h;
    h.keySize = static_cast<uint16_t>(keySize);
    h.itemSize = static_cast<uint16_t>(keySize + 8);
    h.maxItems = static_cast<uint16_t>(ntxMaxItems(keySize));
    h.halfPage = static_cast<uint16_t>(h.maxItems / 2);
    h.keyExpression = std::move(expression);
    h.unique = unique;
    return h;
}

std::optional<std::string> NtxHeader::check(uint64_t fileSize) const {
    if (signature != kNtxSignature && signature != kNtxSignatureOld)
        return "not a Clipper index (signature " + std::to_string(signature) + ")";
    if (keySize < 1 || keySize > kNtxMaxKeySize || itemSize != keySize + 8)
        return "key size " + std::to_string(keySize) + " makes no sense";
    // Each page needs a count, maxItems+1 offsets and maxItems+1 items.
    if (maxItems < 2 || 2 + (maxItems + 1) * (2 + itemSize) > kNtxPageSize)
        return "items per page " + std::to_string(maxItems) + " do not fit a page";
    if (fileSize % kNtxPageSize != 0 || fileSize < 2 * kNtxPageSize)
        return "file size " + std::to_string(fileSize) + " is not a whole number of pages";
    if (root == 0 || root % kNtxPageSize != 0 || root >= fileSize)
        return "root page " + std::to_string(root) + " lies outside the file";
    return std::nullopt;
}

std::string NtxPage::encode(const NtxHeader& h) const {
    std::string b(kNtxPageSize, '\0');
    int n = count();
    putU16(&b[0], static_cast<uint16_t>(n));
    int itemsStart = 2 + 2 * (h.maxItems + 1);
    for (int i = 0; i <= h.maxItems; ++i) putU16(&b[2 + 2 * i], static_cast<uint16_t>(itemsStart + i * h.itemSize));
    for (int i = 0; i <= n; ++i) {
        char* item = &b[itemsStart + i * h.itemSize];
        putU32(item, left.empty() ? 0 : left[i]);
        if (i < n) {
            putU32(item + 4, recNo[i]);
            std::memcpy(item + 8, keys.data() + static_cast<size_t>(i) * h.keySize, h.keySize);
        }
    }
    return b;
}

std::optional<NtxPage> NtxPage::decode(std::string_view b, const NtxHeader& h, uint64_t fileSize,
                                       std::string& why) {
    if (b.size() != kNtxPageSize) {
        why = "page cut short";
        return std::nullopt;
    }
    int n = getU16(b.data());
    if (n > h.maxItems) {
        why = "page holds " + std::to_string(n) + " items, more than " + std::to_string(h.maxItems);
        return std::nullopt;
    }
    NtxPage p;
    p.left.resize(n + 1);
    p.recNo.resize(n);
    p.keys.resize(static_cast<size_t>(n) * h.keySize);
    for (int i = 0; i <= n; ++i) {
        int off = getU16(b.data() + 2 + 2 * i);
        if (off < 2 || off + h.itemSize > kNtxPageSize) {
            why = "item offset " + std::to_string(off) + " lies outside the page";
            return std::nullopt;
        }
        const char* item = b.data() + off;
        uint32_t l = getU32(item);
        if (l != 0 && (l % kNtxPageSize != 0 || l >= fileSize)) {
            why = "page " + std::to_string(l) + " lies outside the file";
            return std::nullopt;
        }
        p.left[i] = l;
        if (i < n) {
            p.recNo[i] = getU32(item + 4);
            std::memcpy(&p.keys[static_cast<size_t>(i) * h.keySize], item + 8, h.keySize);
        }
    }
    bool leaf = p.left[0] == 0;
    for (int i = 0; i <= n; ++i) {
        if ((p.left[i] == 0) != leaf) {
            why = "page mixes leaf and branch items";
            return std::nullopt;
        }
    }
    return p;
}

}  // namespace mp::xbase
