#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace mp::sim {

// How a device misbehaves on the line. Everything off answers at once with a
// good frame.
struct Fault {
    bool silent = false;      // never answers
    double late = 0;          // seconds before the answer starts
    int pieces = 1;           // the answer comes in this many pieces ...
    double gap = 0;           // ... this many seconds apart
    bool corrupt = false;     // first byte of the answer is not STX
    bool shortFrame = false;  // one byte before the end is left out
    int extra = 0;            // bytes sent after the frame (STX, then "X"s)
};

// Reads "none", or items separated by commas or blanks: "silent", "late=2.5",
// "pieces=3", "gap=0.4", "corrupt", "short", "extra=4". Nothing (and a reason
// in `error`) for an unknown item or a bad number.
std::optional<Fault> parseFault(std::string_view faultText, std::string* error = nullptr);

// One weigh hopper with its indicator. Rates in kilograms per second of plant
// time, times in seconds of plant time.
// The default flows suit the stage distances of ordinary formulas (the demo
// site's among them): what is in the air when a stage closes (its rate times
// the in-flight time: 6, 1.5 and 0.6 kg) stays below the distance to the next
// cut-off, so a formula's large and medium stages stop short of its final
// cut-off and the final stage lands within 0.6 kg of it.
struct IndicatorConfig {
    double largeRate = 20;       // flow of the large feed stage
    double mediumRate = 5;       // medium stage
    double smallRate = 2;        // small (final) stage
    double inFlight = 0.3;       // seconds the flow goes on after each cut-off
    double settle = 1.0;         // seconds the reading moves after the flow stops
    double dischargeRate = 150;  // emptying through the discharge output
    double startWeight = 0;      // hopper contents at start (weigh-out plants)
    double refillBelow = 0;      // weigh-out: refill to startWeight when idle below this (0: never)
    Fault fault;
};

struct MixerConfig {
    double dischargeDelay = 3;  // seconds after mixing starts until discharge is permitted
    bool neverReady = false;    // the ready input stays off
};

struct PlantConfig {
    std::string addresses = "01234578";  // as CMPORT: board first, then the indicators
    double factor = 10;                  // counts per kilogram (CDFIX)
    bool weighOut = false;               // hoppers start full (startWeight) for weigh-out plants
    double speed = 1;                    // feeding, settling, emptying and mixers run this much faster
    double answerDelay = 0.01;           // seconds from a command to its answer
    std::array<IndicatorConfig, 10> indicators;  // by address 0..9
    Fault boardFault;
    std::array<MixerConfig, 2> mixers;
    bool bagPresent = true;              // input 5
};

// Reads a configuration file (INI form) over `config`. Sections: "Plant"
// (Addresses, Factor, Mode=up|out, Speed, AnswerDelay, Bag=1|0), "Indicator"
// (keys for every indicator), "Indicator<address>" (one indicator: LargeRate,
// MediumRate, SmallRate, InFlight, Settle, DischargeRate, StartWeight,
// RefillBelow, Fault), "Board" (Fault), "Mixer1", "Mixer2" (DischargeDelay,
// NeverReady=1). False with a reason for a file that cannot be read or a bad value.
bool loadPlantConfig(const std::string& path, PlantConfig& config, std::string* error);

// Applies one --fault option "DEVICE:FAULT" where DEVICE is an indicator
// address digit or "board".
bool applyFaultOption(std::string_view option, PlantConfig& config, std::string* error);

}  // namespace mp::sim
