#pragma once

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/plant_config.h"

namespace mp::sim {

// The plant at the far end of the serial line: weigh hoppers with their
// indicators, the output/input board and two mixers. It hears command frames
// and answers them as the devices do, with the physics of feeding (three
// stages, material in flight after each cut-off, settling), discharge,
// zeroing and the mixers' inputs.
//
// Time: the caller gives "line time", seconds on any scale that only moves
// forward (the simulator: a steady clock; in process: the virtual day clock
// read as days and seconds). The plant's processes run `speed` times faster
// than line time; answer delays and faults are in line time.
//
// The indicator's answer (26 bytes):
//   1 STX | 2 address | 3-10 weight in counts: sign (blank or "-") and seven
//   digits | 11 "S" settled or "M" moving | 12 stage: "0" idle, "1" large,
//   "2" medium, "3" small, "D" discharging | 13 the command letter answered |
//   14-18 final cut-off in counts | 19-23 frames received, modulo 100000 |
//   24 sum of bytes 1-23 modulo 256 | 25-26 CR LF.
// The board's answer (7 bytes): STX, address, "W", outputs 1-8, outputs 9-16,
// inputs 1-8 (input 1 = bit 0), ETX.
class PlantModel {
public:
    explicit PlantModel(PlantConfig config = {});

    const PlantConfig& config() const { return m_config; }
    // Moves the plant on to `lineTime` (never back).
    void advanceTo(double lineTime);
    // Bytes arriving from the program at `lineTime`.
    void receive(std::string_view bytes, double lineTime);
    // Bytes of answers due by `lineTime`, in order; they leave the queue.
    std::string takeDue(double lineTime);
    // When the next answer byte is due, if any is waiting.
    std::optional<double> nextDue() const;
    // Forgets answers not yet taken and half-received frames.
    void dropPending();

    // Looking at and steering the plant (tests, training).
    double weight(int address) const;     // shown weight in kilograms
    double contents(int address) const;   // what the hopper really holds
    void setContents(int address, double kilograms);
    bool moving(int address) const;
    bool feeding(int address) const;
    bool discharging(int address) const;
    void setIndicatorFault(int address, const Fault& fault);
    void setBoardFault(const Fault& fault);
    const std::string& outputs() const { return m_outputs; }  // as POUTPUT, output 16 first
    bool output(int n) const { return m_outputs[16 - n] == '1'; }
    int inputs() const;                                        // input 1 = bit 0
    void setBagPresent(bool present) { m_config.bagPresent = present; }
    void setMixerNeverReady(int mixer, bool never) { m_config.mixers[mixer - 1].neverReady = never; }
    long framesReceived(int address) const;   // indicator frames heard
    long boardFramesReceived() const { return m_boardFrames; }
    bool hasIndicator(int address) const;
    // The frames heard since the last call: (address, command letter), in order.
    std::vector<std::pair<int, char>> takeHeard();
    int boardAddress() const;

private:
    struct Flow {
        double rate;   // kg/s, positive into the hopper
        double until;  // plant time the flow ends; infinity while its stage is on
    };
    struct Hopper {
        double gross = 0;
        double zero = 0;
        long cut[3] = {0, 0, 0};  // final, medium, large cut-offs in counts
        bool out = false;          // the cut-offs count down (weigh-out)
        int stage = 0;             // 0 none, 1 large, 2 medium, 3 small
        std::deque<Flow> trailing; // material still in flight after a cut-off
        double stillSince = -1e9;  // plant time the last flow ended
        bool discharging = false;
        long frames = 0;
    };
    struct Mixer {
        bool loaded = false;
        double mixStart = 0;
    };

    void stepPlant(double dt);
    void stepHopper(int address, Hopper& h, double dt);
    void chooseStage(int address, Hopper& h);
    bool busy() const;
    void handleFrame(const std::string& frame, double lineTime);
    void indicatorCommand(int address, const std::string& frame, double lineTime);
    void boardCommand(const std::string& frame, double lineTime);
    void updateMixers(const std::string& before);
    std::string indicatorAnswer(int address, char letter) const;
    void schedule(std::string answer, const Fault& fault, double lineTime);
    size_t frameLength(char letter) const;
    double stageRate(int address, int stage) const;
    double shownCounts(const Hopper& h) const;

    PlantConfig m_config;
    double m_lineTime = 0;
    double m_plantTime = 0;
    bool m_started = false;
    std::array<Hopper, 10> m_hoppers;
    std::array<Mixer, 2> m_mixers;
    std::string m_outputs = std::string(16, '0');
    long m_boardFrames = 0;
    std::vector<std::pair<int, char>> m_heard;
    std::string m_rx;
    double m_rxSince = 0;
    std::deque<std::pair<double, std::string>> m_tx;  // due time, bytes; in due order
};

}  // namespace mp::sim
