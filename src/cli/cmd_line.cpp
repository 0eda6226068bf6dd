// mixplant-cli line: the lines of an order, as the line dialog keeps them.
//   line add ORDER --formula F --qty Q --unit U [--plan]   prints the line key
//   line show ORDER LINE | line delete ORDER LINE | line restore ORDER LINE
// LINE is the line's place in the order (from 1) or its key. Adding needs
// level 3 of area 1, deleting and restoring level 5, showing level 1. After
// saving, the batch plan is offered: planned with --plan or --yes.

#include "batching/batch_plan.h"
#include "batching/lines.h"
#include "batching/orders.h"
#include "batching/production_records.h"
#include "cli/production_support.h"
#include "data/catalogue.h"
#include "masterdata/codes.h"

namespace mp::cli {
namespace {

constexpr int kArea = 1;

int usage(const std::string& why) {
    err("mixplant-cli: line: " + why +
        "\nusage: mixplant-cli line add ORDER --formula F --qty Q --unit U [--plan]\n"
        "       mixplant-cli line show|delete|restore ORDER LINE\n");
    return 2;
}

// A code of table `table` typed for the line: a marked one is refused.
bool takeCode(int table, const std::string& typed, std::string& code) {
    code = production::upper(typed);
    return pickCode(table, code) != PickResult::Marked;
}

int lineAdd(Context& ctx, const Options& o) {
    double qty = 0;
    if (!o.has("formula") || !o.has("unit") || !o.has("qty")) return usage("--formula, --qty and --unit are needed");
    if (!parseNumber(o.value("qty"), qty)) return usage("--qty needs a number");
    if (!openProduction(ctx, kArea, 3) || !locateOrder(o.words[0])) return 1;
    LineEntry e = loadLine(true);
    if (!takeCode(3, o.value("formula"), e.formula)) return 1;
    CHGFOR(e);
    e.qty = qty;
    if (!takeCode(6, o.value("unit"), e.unit)) return 1;
    production::table("FORMULA")->seek(production::padded(e.formula, 10));
    CHGUNIT(e);
    if (!FORSAVE(true, e)) return 1;
    out(production::text(production::table("DETAIL"), "INDENT2") + "\n");
    const PlanOutcome plan = planBatches(o.flag("plan"));
    if (plan.result == PlanResult::Planned)
        out("planned " + std::to_string(plan.batches) + " batches, " + std::to_string(plan.appended) + " new\n");
    return plan.result == PlanResult::BadCapacity || plan.result == PlanResult::TooManyBatches ? 1 : 0;
}

void printBatches(const std::string& lineKey) {
    xbase::Table* b = production::table("BATCHING");
    out("ITEM\tDELETED\tSTAT\tDATE\tTIME\tTARGET1..8\tACTUAL1..8\n");
    for (uint32_t rec : lineBatches(lineKey)) {
        b->goTo(rec);
        std::string row = production::text(b, "ITEM") + "\t" + (b->deleted() ? "*" : "") + "\t" +
                          production::text(b, "STAT") + "\t" + production::date(b, "DATE").toText() + "\t" +
                          production::text(b, "TIME");
        for (const char* kind : {"TARGET", "ACTUAL"}) {
            row += "\t";
            for (int n = 1; n <= kSlots; ++n)
                row += (n > 1 ? " " : "") + kg(production::number(b, production::slotField(kind, n)));
        }
        out(row + "\n");
    }
}

int lineShow(Context& ctx, const Options& o) {
    if (!openProduction(ctx, kArea, 1) || !locateOrder(o.words[0])) return 1;
    upkeepOrderLines();
    if (!locateLine(o.words[1])) return 1;
    const xbase::Table* d = production::table("DETAIL");
    const std::string key = currentLineKey();
    out("KEY\t" + production::text(d, "INDENT2") + "\nDELETED\t" + (d->deleted() ? "*" : "") + "\nFORMULA\t" +
        production::trimmedText(d, "FORMULA") + "\nQTY\t" + kg(production::number(d, "QTY")) + "\nUNIT\t" +
        production::trimmedText(d, "UNIT") + "\nQUANTITY\t" + kg(production::number(d, "QUANTITY")) +
        "\nSTATUS\t" + lineStatusText(production::text(d, "STAT")) + "\nSLOT\tMATERIAL\tCOST\tTARGET\tACTUAL\n");
    for (int n = 1; n <= kSlots; ++n)
        out(std::to_string(n) + "\t" + production::trimmedText(d, production::slotField("AGG", n)) + "\t" +
            kg(production::number(d, production::slotField("COST", n))) + "\t" +
            kg(production::number(d, production::slotField("TARGET", n))) + "\t" +
            kg(production::number(d, production::slotField("ACTUAL", n))) + "\n");
    printBatches(key);
    return 0;
}

int lineMark(Context& ctx, const Options& o, bool mark) {
    if (!openProduction(ctx, kArea, 5) || !locateOrder(o.words[0]) || !locateLine(o.words[1])) return 1;
    if (production::table("DETAIL")->deleted() == mark) {
        fail("line", mark ? "the line is already marked deleted" : "the line is not marked deleted");
        return 1;
    }
    return DETDEL() ? 0 : 1;
}

int runLine(Context& ctx) {
    if (ctx.args.empty()) return usage("no action given");
    const std::string action = ctx.args[0];
    Options o;
    if (!parseOptions("line", {ctx.args.begin() + 1, ctx.args.end()}, {"plan"}, {"formula", "qty", "unit"}, o))
        return 2;
    if (action == "add") return o.words.size() == 1 ? lineAdd(ctx, o) : usage("give one ORDER");
    if (o.words.size() != 2) return usage("give ORDER and LINE");
    if (action == "show") return lineShow(ctx, o);
    if (action == "delete" || action == "restore") return lineMark(ctx, o, action == "delete");
    return usage("unknown action " + action);
}

Registrar reg{"line",
              "line add ORDER --formula F --qty Q --unit U [--plan]   (prints the line key)\n"
              "line show|delete|restore ORDER LINE   (LINE: place in the order from 1, or its key)",
              &runLine};

}  // namespace
}  // namespace mp::cli
