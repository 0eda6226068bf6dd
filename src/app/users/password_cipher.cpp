#include "app/users/password_cipher.h"

namespace mp {
namespace {

// The byte classes the cipher permutes within; bytes outside them (blanks,
// control characters, the few undefined code page 874 bytes) stay as they are.
struct ByteClass {
    unsigned char first, last;
    int size() const { return last - first + 1; }
    bool holds(unsigned char b) const { return b >= first && b <= last; }
};
constexpr ByteClass kClasses[] = {{0x21, 0x7E}, {0xA1, 0xFB}};

// Position keys: the first digits of the plant's own numbers, nothing secret.
constexpr int kPositionKeys[] = {29, 71, 13, 53, 37, 89, 47, 61};

const ByteClass* classOf(unsigned char b) {
    for (const ByteClass& c : kClasses)
        if (c.holds(b)) return &c;
    return nullptr;
}

int shiftAt(size_t i, unsigned char previousCipher) {
    return kPositionKeys[i % (sizeof kPositionKeys / sizeof kPositionKeys[0])] + 7 * static_cast<int>(i) +
           previousCipher;
}

unsigned char rotate(unsigned char b, int by) {
    const ByteClass* c = classOf(b);
    if (!c) return b;
    int n = c->size();
    int pos = ((b - c->first + by) % n + n) % n;
    return static_cast<unsigned char>(c->first + pos);
}

}  // namespace

std::string encipherPassword(std::string_view plain) {
    std::string out(plain);
    unsigned char previous = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = rotate(static_cast<unsigned char>(out[i]), shiftAt(i, previous));
        out[i] = static_cast<char>(c);
        previous = c;
    }
    return out;
}

std::string decipherPassword(std::string_view cipher) {
    std::string out(cipher);
    unsigned char previous = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(cipher[i]);
        out[i] = static_cast<char>(rotate(c, -shiftAt(i, previous)));
        previous = c;
    }
    return out;
}

}  // namespace mp
