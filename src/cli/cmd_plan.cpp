// mixplant-cli plan ORDER LINE: the batch plan of a line without its
// question, as the mixing run plans it. Only missing batch numbers are
// appended. The plan button stands in the line dialog, which any user of the
// orders screen opens: level 1 of area 1.

#include "batching/batch_plan.h"
#include "batching/orders.h"
#include "cli/production_support.h"

namespace mp::cli {
namespace {

int runPlan(Context& ctx) {
    Options o;
    if (!parseOptions("plan", ctx.args, {}, {}, o)) return 2;
    if (o.words.size() != 2) {
        err("mixplant-cli: plan: give ORDER and LINE\nusage: mixplant-cli plan ORDER LINE\n");
        return 2;
    }
    if (!openProduction(ctx, 1, 1) || !locateOrder(o.words[0]) || !locateLine(o.words[1])) return 1;
    const PlanOutcome plan = planBatches(true);
    switch (plan.result) {
        case PlanResult::Planned:
            out("planned " + std::to_string(plan.batches) + " batches, " + std::to_string(plan.appended) + " new\n");
            return 0;
        case PlanResult::NothingToPlan: out("nothing to plan\n"); return 0;
        default: return 1;
    }
}

Registrar reg{"plan", "plan ORDER LINE   plan the line's missing batches without asking", &runPlan};

}  // namespace
}  // namespace mp::cli
