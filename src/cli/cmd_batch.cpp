// mixplant-cli batch set ORDER LINE ITEM [--target N=KG ...] [--actual N=KG ...]:
// corrects the targets and actual weights of one batch, as the batch editor
// does (level 4 of area 1). Neither its status nor its mark changes.

#include "batching/batch_plan.h"
#include "batching/orders.h"
#include "batching/production_records.h"
#include "cli/production_support.h"
#include "data/helpers.h"

namespace mp::cli {
namespace {

int usage(const std::string& why) {
    err("mixplant-cli: batch: " + why +
        "\nusage: mixplant-cli batch set ORDER LINE ITEM [--target N=KG ...] [--actual N=KG ...]\n");
    return 2;
}

// "N=KG" onto `weights`; false for a slot outside 1..8 or no number.
bool applySlots(const std::vector<std::string>& given, SlotWeights& weights) {
    for (const std::string& g : given) {
        const size_t eq = g.find('=');
        double slot = 0, value = 0;
        if (eq == std::string::npos || !parseNumber(g.substr(0, eq), slot) || !parseNumber(g.substr(eq + 1), value) ||
            slot < 1 || slot > kSlots || slot != static_cast<int>(slot))
            return false;
        weights[static_cast<int>(slot) - 1] = value;
    }
    return true;
}

int runBatch(Context& ctx) {
    if (ctx.args.empty() || ctx.args[0] != "set") return usage("the action is set");
    Options o;
    if (!parseOptions("batch", {ctx.args.begin() + 1, ctx.args.end()}, {}, {"target", "actual"}, o)) return 2;
    double item = 0;
    if (o.words.size() != 3 || !parseNumber(o.words[2], item) || item < 1 || item > kMaxBatches)
        return usage("give ORDER, LINE and ITEM (1 to 9999)");
    if (!openProduction(ctx, 1, 4) || !locateOrder(o.words[0]) || !locateLine(o.words[1])) return 1;
    xbase::Table* b = production::table("BATCHING");
    if (!b->seek(currentLineKey() + ZERO(item, kItemWidth))) {
        fail("batch", "the line has no batch " + o.words[2]);
        return 1;
    }
    SlotWeights targets{}, actuals{};
    for (int n = 1; n <= kSlots; ++n) {
        targets[n - 1] = production::number(b, production::slotField("TARGET", n));
        actuals[n - 1] = production::number(b, production::slotField("ACTUAL", n));
    }
    if (!applySlots(o.all("target"), targets) || !applySlots(o.all("actual"), actuals))
        return usage("--target and --actual take N=KG with N from 1 to 8");
    if (!saveBatch(targets, actuals)) {
        fail("batch", "a weight does not fit its field; nothing written");
        return 1;
    }
    return 0;
}

Registrar reg{"batch", "batch set ORDER LINE ITEM [--target N=KG ...] [--actual N=KG ...]   (area 1, level 4)",
              &runBatch};

}  // namespace
}  // namespace mp::cli
