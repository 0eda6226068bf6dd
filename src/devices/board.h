#pragma once

#include <string>
#include <string_view>

namespace mp {

// The 6-byte frame to the board: STX, address, "W", outputs 1-8, outputs
// 9-16, ETX, from a POUTPUT text (output n is character 17-n), each byte
// formed with BIN2DEC from eight of its characters.
std::string boardFrame(int address, std::string_view poutput);
// A board reply is valid when byte 1 is STX, byte 3 "W" and byte 7 ETX;
// bytes beyond the seventh are ignored.
bool boardReplyValid(std::string_view reply);
// Byte 6 of a valid reply as a PINPUT text (DEC2BIN).
std::string boardReplyInputs(std::string_view reply);

// Applies `mode` to POUTPUT: "W" sets output `output` (1..16) to `value`
// (0 or 1), "C" clears all, any other letter leaves it. An output number
// outside 1..16 changes nothing.
void applyBoardMode(std::string& poutput, char mode, int output, int value);

// IOCONTROL: applies the mode to POUTPUT (kept even when the board does not
// answer), sends all outputs to the board at the address of character 1 of
// CMPORT on the open line, and reads its inputs back into PINPUT. True when
// the board answered with a valid frame; PINPUT is unchanged otherwise.
bool IOCONTROL(char mode, int output = 0, int value = 0);

}  // namespace mp
