#include "sim/plant_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace mp::sim {
namespace {

constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr double kStep = 0.01;       // plant seconds per physics step
constexpr double kStaleFrame = 0.5;  // a half-received frame older than this is dropped
constexpr double kForever = std::numeric_limits<double>::infinity();

int digitOf(char c) { return c >= '0' && c <= '9' ? c - '0' : -1; }

unsigned char sumOf(std::string_view bytes) {
    unsigned sum = 0;
    for (char c : bytes) sum += static_cast<unsigned char>(c);
    return static_cast<unsigned char>(sum % 256);
}

}  // namespace

PlantModel::PlantModel(PlantConfig config) : m_config(std::move(config)) {
    if (m_config.weighOut)
        for (int a = 1; a <= 9; ++a)
            if (hasIndicator(a)) m_hoppers[a].gross = m_config.indicators[a].startWeight;
}

bool PlantModel::hasIndicator(int address) const {
    return address >= 1 && address <= 9 && m_config.addresses.size() > 1 &&
           m_config.addresses.find(static_cast<char>('0' + address), 1) != std::string::npos;
}

int PlantModel::boardAddress() const {
    return m_config.addresses.empty() ? -1 : digitOf(m_config.addresses[0]);
}

// ---- time ------------------------------------------------------------------

bool PlantModel::busy() const {
    for (const Hopper& h : m_hoppers)
        if (h.stage > 0 || !h.trailing.empty() || h.discharging) return true;
    return false;
}

void PlantModel::advanceTo(double lineTime) {
    if (!m_started) {
        m_started = true;
        m_lineTime = lineTime;
        return;
    }
    if (lineTime <= m_lineTime) return;
    double remaining = (lineTime - m_lineTime) * m_config.speed;
    m_lineTime = lineTime;
    while (remaining > 0) {
        if (!busy()) {
            m_plantTime += remaining;
            break;
        }
        double dt = std::min(kStep, remaining);
        stepPlant(dt);
        remaining -= dt;
    }
    // Weigh-out hoppers that have run low are filled again while idle.
    for (int a = 1; a <= 9; ++a) {
        Hopper& h = m_hoppers[a];
        const IndicatorConfig& c = m_config.indicators[a];
        if (c.refillBelow > 0 && h.cut[0] == 0 && h.stage == 0 && !h.discharging &&
            h.trailing.empty() && h.gross < c.refillBelow && hasIndicator(a)) {
            h.gross = c.startWeight;
            h.stillSince = m_plantTime;
        }
    }
}

void PlantModel::stepPlant(double dt) {
    for (int a = 1; a <= 9; ++a) stepHopper(a, m_hoppers[a], dt);
    m_plantTime += dt;
}

double PlantModel::stageRate(int address, int stage) const {
    const IndicatorConfig& c = m_config.indicators[address];
    double rate = stage == 1 ? c.largeRate : stage == 2 ? c.mediumRate : stage == 3 ? c.smallRate : 0;
    return m_hoppers[address].out ? -rate : rate;
}

void PlantModel::stepHopper(int address, Hopper& h, double dt) {
    const double t0 = m_plantTime, t1 = m_plantTime + dt;
    if (h.stage > 0) h.gross += stageRate(address, h.stage) * dt;
    for (const Flow& f : h.trailing) h.gross += f.rate * std::max(0.0, std::min(t1, f.until) - t0);
    while (!h.trailing.empty() && h.trailing.front().until <= t1) h.trailing.pop_front();
    if (h.discharging) {
        h.gross -= m_config.indicators[address].dischargeRate * dt;
        if (h.gross <= 0) {
            h.discharging = false;
            h.stillSince = t1;
        }
    }
    if (h.gross < 0) h.gross = 0;  // nothing left to feed out
    chooseStage(address, h);
}

double PlantModel::shownCounts(const Hopper& h) const {
    return std::round((h.gross - h.zero) * m_config.factor);
}

// The indicator runs the coarsest stage whose cut-off is not yet reached and
// stops for good at the final cut-off. A stage that closes leaves its flow in
// the air for the in-flight time.
void PlantModel::chooseStage(int address, Hopper& h) {
    if (h.cut[0] == 0 && h.stage == 0) return;
    const double c = shownCounts(h);
    auto reached = [&](long cut) { return h.out ? c <= cut : c >= cut; };
    int next = 0;
    if (h.cut[0] != 0 && !reached(h.cut[0])) {
        if (h.cut[2] > 0 && !reached(h.cut[2])) next = 1;
        else if (h.cut[1] > 0 && !reached(h.cut[1])) next = 2;
        else next = 3;
    }
    if (next == h.stage || (next != 0 && next < h.stage)) return;
    const double inFlight = m_config.indicators[address].inFlight;
    const double now = m_plantTime;
    if (h.stage > 0) h.trailing.push_back({stageRate(address, h.stage), now + inFlight});
    h.stage = next;
    if (next == 0) {
        h.stillSince = now + inFlight;
        h.cut[0] = h.cut[1] = h.cut[2] = 0;  // this feeding is done
    }
}

// ---- frames ----------------------------------------------------------------

size_t PlantModel::frameLength(char letter) const {
    switch (letter) {
        case 'R': return 6;
        case 'Z': return 5;
        case 'F': return 6;
        case 'O': return 13;
        case 'S': return 10;
        case 'G':
        case 'g': return 26;
        case 'W': return 6;
        default: return 0;
    }
}

void PlantModel::receive(std::string_view bytes, double lineTime) {
    advanceTo(lineTime);
    if (!m_rx.empty() && lineTime - m_rxSince > kStaleFrame) m_rx.clear();
    if (m_rx.empty()) m_rxSince = lineTime;
    m_rx.append(bytes);
    for (;;) {
        size_t stx = m_rx.find(STX);
        m_rx.erase(0, stx == std::string::npos ? m_rx.size() : stx);
        if (m_rx.size() < 3) break;
        size_t len = frameLength(m_rx[2]);
        if (len == 0) {
            m_rx.erase(0, 1);
            continue;
        }
        if (m_rx.size() < len) break;
        std::string frame = m_rx.substr(0, len);
        m_rx.erase(0, len);
        handleFrame(frame, lineTime);
    }
    if (!m_rx.empty()) m_rxSince = lineTime;
}

std::vector<std::pair<int, char>> PlantModel::takeHeard() {
    std::vector<std::pair<int, char>> heard;
    heard.swap(m_heard);
    return heard;
}

void PlantModel::handleFrame(const std::string& frame, double lineTime) {
    int address = static_cast<unsigned char>(frame[1]);
    if (m_heard.size() < 10000) m_heard.emplace_back(address, frame[2]);
    if (frame[2] == 'W') {
        if (address == boardAddress() && frame.back() == ETX) boardCommand(frame, lineTime);
        return;
    }
    if (!hasIndicator(address) || frame.compare(frame.size() - 2, 2, "\r\n") != 0) return;
    if ((frame[2] == 'G' || frame[2] == 'g') &&
        static_cast<unsigned char>(frame[23]) != sumOf(std::string_view(frame).substr(0, 23)))
        return;  // a damaged set-point frame is not obeyed
    indicatorCommand(address, frame, lineTime);
}

void PlantModel::indicatorCommand(int address, const std::string& frame, double lineTime) {
    Hopper& h = m_hoppers[address];
    ++h.frames;
    switch (frame[2]) {
        case 'G':
        case 'g': {
            long cuts[4];
            for (int i = 0; i < 4; ++i) cuts[i] = std::atol(frame.substr(3 + 5 * i, 5).c_str());
            if (h.stage > 0) {  // a new load while feeding: the old stage closes
                h.trailing.push_back({stageRate(address, h.stage), m_plantTime + m_config.indicators[address].inFlight});
                h.stillSince = m_plantTime + m_config.indicators[address].inFlight;
                h.stage = 0;
            }
            h.out = frame[2] == 'g';
            h.cut[0] = cuts[0];
            h.cut[1] = cuts[1];
            h.cut[2] = cuts[2];
            chooseStage(address, h);
            break;
        }
        case 'Z': h.zero = h.gross; break;
        case 'O':
            h.discharging = frame.find('1', 3) < 11 && h.gross > 0;
            if (!h.discharging) h.stillSince = std::max(h.stillSince, m_plantTime);
            break;
        default: break;  // 'R', 'F', 'S': answered, nothing else
    }
    schedule(indicatorAnswer(address, frame[2]), m_config.indicators[address].fault, lineTime);
}

std::string PlantModel::indicatorAnswer(int address, char letter) const {
    const Hopper& h = m_hoppers[address];
    double counts = std::max(-9999999.0, std::min(9999999.0, shownCounts(h)));
    char weight[16];
    std::snprintf(weight, sizeof weight, "%c%07.0f", counts < 0 ? '-' : ' ', std::fabs(counts));
    char tail[48];
    std::snprintf(tail, sizeof tail, "%05ld%05ld", std::min(h.cut[0], 99999L), h.frames % 100000);
    std::string a;
    a += STX;
    a += static_cast<char>(address);
    a += weight;
    a += moving(address) ? 'M' : 'S';
    a += h.discharging ? 'D' : static_cast<char>('0' + h.stage);
    a += letter;
    a += tail;
    a += static_cast<char>(sumOf(a));
    a += "\r\n";
    return a;
}

void PlantModel::boardCommand(const std::string& frame, double lineTime) {
    ++m_boardFrames;
    std::string before = m_outputs;
    unsigned char low = static_cast<unsigned char>(frame[3]), high = static_cast<unsigned char>(frame[4]);
    for (int n = 1; n <= 16; ++n) {
        unsigned char byte = n <= 8 ? low : high;
        m_outputs[16 - n] = (byte >> ((n - 1) % 8)) & 1 ? '1' : '0';
    }
    updateMixers(before);
    std::string a;
    a += STX;
    a += frame[1];
    a += 'W';
    a += frame[3];
    a += frame[4];
    a += static_cast<char>(inputs());
    a += ETX;
    schedule(a, m_config.boardFault, lineTime);
}

// Mixer m: mixing output 2 or 6, discharge output 3 or 7, end of batch 4 or 8.
void PlantModel::updateMixers(const std::string& before) {
    for (int m = 0; m < 2; ++m) {
        int mix = m == 0 ? 2 : 6, dis = mix + 1;
        bool mixWas = before[16 - mix] == '1', disWas = before[16 - dis] == '1';
        if (!mixWas && output(mix)) {
            m_mixers[m].loaded = true;
            m_mixers[m].mixStart = m_plantTime;
        }
        if (disWas && !output(dis)) m_mixers[m].loaded = false;
    }
}

int PlantModel::inputs() const {
    int bits = 0;
    for (int m = 0; m < 2; ++m) {
        int mix = m == 0 ? 2 : 6;
        const Mixer& x = m_mixers[m];
        bool ready = !m_config.mixers[m].neverReady && !x.loaded && !output(mix) && !output(mix + 1) &&
                     !output(mix + 2);
        bool permitted = x.loaded && m_plantTime - x.mixStart >= m_config.mixers[m].dischargeDelay;
        bits |= (ready ? 1 : 0) << (2 * m);
        bits |= (permitted ? 1 : 0) << (2 * m + 1);
    }
    if (m_config.bagPresent) bits |= 1 << 4;
    return bits;
}

// ---- the answers on the line -----------------------------------------------

void PlantModel::schedule(std::string answer, const Fault& fault, double lineTime) {
    if (fault.silent) return;
    if (fault.corrupt) answer[0] = '?';
    if (fault.shortFrame) {
        bool crlf = answer.size() >= 2 && answer.compare(answer.size() - 2, 2, "\r\n") == 0;
        answer.erase(answer.size() - (crlf ? 3 : 2), 1);
    }
    if (fault.extra > 0) answer += STX + std::string(static_cast<size_t>(fault.extra - 1), 'X');
    double due = lineTime + m_config.answerDelay + fault.late;
    size_t pieces = static_cast<size_t>(std::max(1, fault.pieces));
    size_t size = (answer.size() + pieces - 1) / pieces;
    for (size_t i = 0, at = 0; at < answer.size(); ++i, at += size) {
        std::pair<double, std::string> piece{due + fault.gap * static_cast<double>(i), answer.substr(at, size)};
        auto pos = std::upper_bound(m_tx.begin(), m_tx.end(), piece.first,
                                    [](double t, const auto& e) { return t < e.first; });
        m_tx.insert(pos, std::move(piece));
    }
}

std::string PlantModel::takeDue(double lineTime) {
    advanceTo(lineTime);
    std::string out;
    while (!m_tx.empty() && m_tx.front().first <= lineTime) {
        out += m_tx.front().second;
        m_tx.pop_front();
    }
    return out;
}

std::optional<double> PlantModel::nextDue() const {
    if (m_tx.empty()) return std::nullopt;
    return m_tx.front().first;
}

void PlantModel::dropPending() {
    m_tx.clear();
    m_rx.clear();
}

// ---- looking and steering ----------------------------------------------------

double PlantModel::weight(int address) const {
    if (address < 0 || address > 9) return 0;
    return shownCounts(m_hoppers[address]) / m_config.factor;
}

double PlantModel::contents(int address) const {
    return address >= 0 && address <= 9 ? m_hoppers[address].gross : 0;
}

void PlantModel::setContents(int address, double kilograms) {
    if (address < 0 || address > 9) return;
    m_hoppers[address].gross = kilograms;
    m_hoppers[address].stillSince = m_plantTime;
}

bool PlantModel::moving(int address) const {
    const Hopper& h = m_hoppers[address];
    return h.stage > 0 || !h.trailing.empty() || h.discharging ||
           m_plantTime < h.stillSince + m_config.indicators[address].settle;
}

bool PlantModel::feeding(int address) const { return m_hoppers[address].stage > 0; }

bool PlantModel::discharging(int address) const { return m_hoppers[address].discharging; }

void PlantModel::setIndicatorFault(int address, const Fault& fault) {
    if (address >= 0 && address <= 9) m_config.indicators[address].fault = fault;
}

void PlantModel::setBoardFault(const Fault& fault) { m_config.boardFault = fault; }

long PlantModel::framesReceived(int address) const {
    return address >= 0 && address <= 9 ? m_hoppers[address].frames : 0;
}

}  // namespace mp::sim
