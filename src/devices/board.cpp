#include "devices/board.h"

#include <cctype>

#include "app/settings.h"
#include "data/helpers.h"
#include "devices/device_state.h"
#include "devices/link.h"
#include "platform/runtime/error.h"

namespace mp {
namespace {
constexpr char STX = 0x02;
constexpr char ETX = 0x03;

int boardAddress(std::string_view cmport) {
    if (cmport.empty() || !std::isdigit(static_cast<unsigned char>(cmport[0]))) return 0;
    return cmport[0] - '0';
}
}  // namespace

std::string boardFrame(int address, std::string_view poutput) {
    std::string out(16, '0');
    out.replace(0, poutput.size() < 16 ? poutput.size() : 16, poutput.substr(0, 16));
    std::string frame;
    frame += STX;
    frame += static_cast<char>(address);
    frame += 'W';
    frame += static_cast<char>(BIN2DEC(std::string_view(out).substr(8, 8)));
    frame += static_cast<char>(BIN2DEC(std::string_view(out).substr(0, 8)));
    frame += ETX;
    return frame;
}

bool boardReplyValid(std::string_view reply) {
    return reply.size() >= 7 && reply[0] == STX && reply[2] == 'W' && reply[6] == ETX;
}

std::string boardReplyInputs(std::string_view reply) {
    return DEC2BIN(static_cast<unsigned char>(reply[5]));
}

void applyBoardMode(std::string& poutput, char mode, int output, int value) {
    if (poutput.size() != 16) poutput.resize(16, '0');
    if (mode == 'C') {
        poutput.assign(16, '0');
    } else if (mode == 'W' && output >= 1 && output <= 16) {
        poutput[16 - output] = value == 1 ? '1' : '0';
    }
}

bool IOCONTROL(char mode, int output, int value) {
    MP_CALL_LEVEL("IOCONTROL");
    DeviceValues& dv = deviceValues();
    applyBoardMode(dv.POUTPUT, mode, output, value);
    SerialLine& line = serialLine();
    line.writeFrame(boardFrame(boardAddress(settings().CMPORT), dv.POUTPUT));
    std::string reply = line.boardReply();
    if (!boardReplyValid(reply)) return false;
    dv.PINPUT = boardReplyInputs(reply);
    return true;
}

}  // namespace mp
