#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace mp {

// Command codes of the weighing indicators.
namespace hp {
constexpr int kRead = 0;          // "R!": read the weight
constexpr int kSetPointsUp = 1;   // "G": set-points of a weigh-up material
constexpr int kSetPoint2 = 2;     // "S2"
constexpr int kFunction08 = 3;    // "F" 0x08
constexpr int kFunction00 = 4;    // "F" 0x00
constexpr int kFunctionFE = 5;    // "F" 0xFE: sent before the discharge output
constexpr int kDischarge = 6;     // "O": switch the discharge output
constexpr int kZero = 7;          // "Z"
constexpr int kSetPointsOut = 9;  // "g": set-points of a weigh-out material
}  // namespace hp

constexpr long kMaxSetPointCounts = 99999;
// A valid indicator reply is at least this long.
constexpr size_t kMinIndicatorReply = 26;

// SENDCS: `frame` followed by the sum of its bytes modulo 256, CR and LF.
std::string SENDCS(std::string_view frame);

// Address of slot `slot` (1..8): the digit at character slot+1 of `cmport`;
// 0 (no indicator) for a 0, a non-digit or a text too short.
int slotAddress(int slot, std::string_view cmport);

// Counts of `kilograms` with the factor: rounded to the nearest count,
// halves away from zero, and 0 for a negative value. Not limited above.
long setPointCounts(double kilograms, double factor);

// The frame of command `code` to `address`, with the set-point values in
// kilograms (codes 1 and 2, 9), the discharge flags chosen by `indicatorType`.
// An empty frame for a code that sends nothing. Nothing (no frame) when a
// set-point exceeds 99999 counts: such a value is refused, never sent cut.
std::optional<std::string> indicatorFrame(int code, int address, const std::array<double, 4>& values,
                                          double factor, std::string_view indicatorType);

// The reply check: at least 26 bytes, STX first, CR LF last.
bool indicatorReplyValid(std::string_view reply);
// The weight of a valid reply: bytes 3 to 10 read as a decimal number
// (leading blanks skipped, a sign and a point accepted, stopping at the
// first other character, 0 without digits) divided by the factor.
double indicatorReplyWeight(std::string_view reply, double factor);

// The CDFIX factor now (its text converted at each use).
double indicatorFactor();

// HP_COMM: sends command `code` to the indicator of `slot` (1..8) on the open
// line and checks the reply. True for a valid reply: CMACTUAL of the slot then
// holds its weight and, with `refresh`, the device observer shows it. False
// when the slot has no indicator (nothing sent), when a set-point does not
// fit the indicator (nothing sent; an error record says which) or when the
// reply fails the check (CMACTUAL unchanged).
bool HP_COMM(int slot, int code, double v1 = 0, double v2 = 0, double v3 = 0, double v4 = 0,
             bool refresh = true);

}  // namespace mp
