#include "batching/run_state.h"

#include <cmath>
#include <memory>
#include <utility>

namespace mp {
namespace {

Value toValue(const std::string& s) { return Value(s); }
Value toValue(double d) { return Value(d); }
Value toValue(int i) { return Value(i); }
Value toValue(bool b) { return Value(b); }

bool fromValue(const Value& v, std::string& out) { return v.isText() ? (out = v.text(), true) : false; }
bool fromValue(const Value& v, double& out) { return v.isNumber() ? (out = v.number(), true) : false; }
bool fromValue(const Value& v, bool& out) { return v.isLogical() ? (out = v.logical(), true) : false; }
// Whole numbers (steps, batch counts): a number, its fraction dropped.
bool fromValue(const Value& v, int& out) {
    if (!v.isNumber()) return false;
    out = static_cast<int>(std::trunc(v.number()));
    return true;
}

// One field of every element of an array of structures (slots or mixers),
// seen as a process-wide array with subscripts from 1. Element 0 of the
// structures is unused.
template <class Element, class T, size_t N>
class FieldArrayBinding : public Binding {
public:
    FieldArrayBinding(std::array<Element, N>& items, T Element::*field) : m_items(items), m_field(field) {}
    Value get() const override {
        Value::Array a;
        for (size_t i = 1; i < N; ++i) a.push_back(toValue(m_items[i].*m_field));
        return Value::array(std::move(a));
    }
    bool set(const Value& v) override {
        if (!v.isArray() || v.elements().size() != N - 1) return false;
        std::array<T, N> taken;
        for (size_t i = 1; i < N; ++i)
            if (!fromValue(v.elements()[i - 1], taken[i])) return false;
        for (size_t i = 1; i < N; ++i) m_items[i].*m_field = taken[i];
        return true;
    }
    bool isArray() const override { return true; }
    size_t size() const override { return N - 1; }
    std::optional<Value> getAt(size_t i) const override {
        if (i < 1 || i >= N) return std::nullopt;
        return toValue(m_items[i].*m_field);
    }
    bool setAt(size_t i, const Value& v) override { return i >= 1 && i < N && fromValue(v, m_items[i].*m_field); }

private:
    std::array<Element, N>& m_items;
    T Element::*m_field;
};

template <class Element, class T, size_t N>
Publics::Registration bindField(std::string_view name, std::array<Element, N>& items, T Element::*field) {
    return Publics::instance().add(name, std::make_unique<FieldArrayBinding<Element, T, N>>(items, field));
}

Publics::Registration bindWhole(std::string_view name, int& state) {
    return Publics::instance().bindFunctions(
        name, [&state] { return Value(state); }, [&state](const Value& v) { return fromValue(v, state); });
}

}  // namespace

bool operator>=(Progress a, Progress b) { return a.batch != b.batch ? a.batch > b.batch : a.step >= b.step; }
bool operator<(Progress a, Progress b) { return !(a >= b); }

RunState::RunState() {
    for (int n = 1; n <= kRunSlots; ++n) m_slots[n] = SlotState{};
    for (int m = 1; m <= kMixers; ++m) m_mixers[m] = MixerState{};
    registerNames();
}

void RunState::registerNames() {
    m_names.add(bindField("CMAGG", m_slots, &SlotState::CMAGG));
    m_names.add(bindField("CMTARGET", m_slots, &SlotState::CMTARGET));
    m_names.add(bindField("CMMESS", m_slots, &SlotState::CMMESS));
    m_names.add(bindField("CMBIG", m_slots, &SlotState::CMBIG));
    m_names.add(bindField("CMFAST", m_slots, &SlotState::CMFAST));
    m_names.add(bindField("CMSLOW", m_slots, &SlotState::CMSLOW));
    m_names.add(bindField("CMADJ", m_slots, &SlotState::CMADJ));
    m_names.add(bindField("CMFEED", m_slots, &SlotState::CMFEED));
    m_names.add(bindField("CMSTEP", m_slots, &SlotState::CMSTEP));
    m_names.add(bindField("CMBATCH", m_slots, &SlotState::CMBATCH));
    m_names.add(bindField("CMSTART", m_slots, &SlotState::CMSTART));
    m_names.add(bindField("CWAIT", m_slots, &SlotState::CWAIT));
    m_names.add(bindField("LFINISH", m_slots, &SlotState::LFINISH));
    m_names.add(bindField("MIXSTEP", m_mixers, &MixerState::MIXSTEP));
    m_names.add(bindField("LMIXBUSY", m_mixers, &MixerState::LMIXBUSY));
    m_names.add(bindField("CMMIXER", m_mixers, &MixerState::CMMIXER));
    m_names.add(bindField("NWTIME", m_mixers, &MixerState::NWTIME));
    m_names.add(bindWhole("NBATTOT", NBATTOT));
    m_names.add(bindWhole("NMIX", NMIX));
    m_names.add(bindWhole("NMIXBAT", NMIXBAT));
    m_names.add(bindWhole("NMIXBAT2", NMIXBAT2));
    m_names.add(bindWhole("CMIXNO", CMIXNO));
    m_names.bind("NMTIME", NMTIME);
    m_names.bind("CMINFO", CMINFO);
    m_names.bind("LEXIT", LEXIT);
}

double RunState::actual(int n) const { return deviceValues().CMACTUAL[n - 1]; }

void RunState::setActual(int n, double kilograms) { deviceValues().CMACTUAL[n - 1] = kilograms; }

bool RunState::allSlotsAtLeast(Progress least) const {
    for (int j = 1; j <= kRunSlots; ++j)
        if (progress(j) < least) return false;
    return true;
}

bool RunState::input(int k) const {
    const std::string& in = deviceValues().PINPUT;
    return k >= 1 && k <= static_cast<int>(in.size()) && in[in.size() - k] == '1';
}

void RunState::setMessage(int n, std::string text) {
    m_slots[n].CMMESS = std::move(text);
    if (m_observer) m_observer->slotChanged(n);
}

void RunState::setTarget(int n, double kilograms) {
    const bool changed = m_slots[n].CMTARGET != kilograms;
    m_slots[n].CMTARGET = kilograms;
    if (changed && m_observer) m_observer->slotChanged(n);
}

void RunState::setMixerText(int m, std::string text) {
    m_mixers[m].CMMIXER = std::move(text);
    if (m_observer) m_observer->mixerChanged(m);
}

void RunState::setInformation(std::string text) {
    CMINFO = std::move(text);
    if (m_observer) m_observer->informationChanged();
}

}  // namespace mp
