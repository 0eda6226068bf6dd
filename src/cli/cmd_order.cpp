// mixplant-cli order: production orders as the orders screen keeps them.
//   order new --company CODE [--remark1 T] [--remark2 T] [--remark3 T]
//   order edit ORDER [--number N] [--date dd/mm/yyyy] [--time hh:mm:ss] [--company C] [--remarkN T]
//   order delete ORDER | order restore ORDER      (the question answered by --yes)
//   order show ORDER | order list [--from dd/mm/yyyy] [--to dd/mm/yyyy]
// Each needs the rights of its button in area 1: new 3, edit 4, delete and
// restore 5, show and list 1. A refused or incomplete entry exits 1 and
// writes nothing.

#include "app/users/users.h"
#include "batching/order_screen_model.h"
#include "batching/orders.h"
#include "batching/production_records.h"
#include "cli/production_support.h"
#include "data/catalogue.h"
#include "masterdata/codes.h"
#include "platform/runtime/cp874.h"

namespace mp::cli {
namespace {

constexpr int kArea = 1;
const std::vector<std::string> kHeaderOptions = {"number", "date", "time", "company", "remark1", "remark2", "remark3"};

int usage(const std::string& why) {
    err("mixplant-cli: order: " + why +
        "\nusage: mixplant-cli order new --company CODE [--remark1 T] [--remark2 T] [--remark3 T]\n"
        "       mixplant-cli order edit ORDER [--number N] [--date dd/mm/yyyy] [--time hh:mm:ss] [--company C] "
        "[--remarkN T]\n"
        "       mixplant-cli order delete|restore|show ORDER\n"
        "       mixplant-cli order list [--from dd/mm/yyyy] [--to dd/mm/yyyy]\n");
    return 2;
}

bool fitsText(const char* field, const std::string& text) {
    const xbase::Table* w = production::table("WDATA");
    const int i = w->fieldIndex(field);
    return i >= 0 && static_cast<int>(text.size()) <= w->fields()[i].width;
}

// The header options onto the entry; false (told) for a value that cannot be taken.
bool applyHeader(const Options& o, OrderHeader& h) {
    struct Text {
        const char* option;
        const char* field;
        std::string* target;
    };
    for (const Text& t : {Text{"number", "NUMBER", &h.number}, Text{"company", "COMPANY", &h.company},
                          Text{"remark1", "REMARK1", &h.remark1}, Text{"remark2", "REMARK2", &h.remark2},
                          Text{"remark3", "REMARK3", &h.remark3}}) {
        if (!o.has(t.option)) continue;
        if (!fitsText(t.field, o.value(t.option))) return fail("order", std::string("--") + t.option + " is too long"), false;
        *t.target = o.value(t.option);
    }
    if (o.has("date") && !parseDate(o.value("date"), h.date)) return fail("order", "--date needs dd/mm/yyyy"), false;
    if (o.has("time")) {
        if (!validTime(o.value("time"))) return fail("order", "--time needs hh:mm:ss"), false;
        h.time = o.value("time");
    }
    if (o.has("company")) {
        std::string code = h.company;
        if (pickCode(1, code) == PickResult::Marked) return false;
        h.company = production::trim(code);
    }
    return true;
}

int saveEntry(OrderScreenModel& model, const Options& o) {
    if (!applyHeader(o, model.entry())) return 1;
    return model.save() ? 0 : 1;
}

int orderNew(Context& ctx, const Options& o) {
    if (!o.words.empty()) return usage("order new takes no ORDER");
    if (!openProduction(ctx, kArea, 3)) return 1;
    OrderScreenModel model(userLevel(kArea));
    model.display();
    model.beginNew();
    if (saveEntry(model, o) != 0) return 1;
    out(production::text(production::table("WDATA"), "NUMBER") + "\t" + currentOrderKey() + "\n");
    return 0;
}

int orderEdit(Context& ctx, const Options& o) {
    if (!openProduction(ctx, kArea, 4) || !locateOrder(o.words[0])) return 1;
    OrderScreenModel model(userLevel(kArea));
    model.display();
    if (!model.beginEdit()) return 1;
    return saveEntry(model, o);
}

int orderMark(Context& ctx, const Options& o, bool mark) {
    if (!openProduction(ctx, kArea, 5) || !locateOrder(o.words[0])) return 1;
    if (production::table("WDATA")->deleted() == mark) {
        fail("order", mark ? "the order is already marked deleted" : "the order is not marked deleted");
        return 1;
    }
    return PDELETE() ? 0 : 1;
}

void printLines() {
    xbase::Table* detail = production::table("DETAIL");
    int place = 0;
    out("LINE\tDELETED\tKEY\tFORMULA\tQTY\tUNIT\tQUANTITY\tSTATUS\tTARGET1..8\tACTUAL1..8\n");
    for (uint32_t rec : orderLines()) {
        detail->goTo(rec);
        std::string row = std::to_string(++place) + "\t" + (detail->deleted() ? "*" : "") + "\t" +
                          production::text(detail, "INDENT2") + "\t" + production::trimmedText(detail, "FORMULA") +
                          "\t" + kg(production::number(detail, "QTY")) + "\t" +
                          production::trimmedText(detail, "UNIT") + "\t" +
                          kg(production::number(detail, "QUANTITY")) + "\t" +
                          lineStatusText(production::text(detail, "STAT"));
        for (const char* kind : {"TARGET", "ACTUAL"}) {
            row += "\t";
            for (int n = 1; n <= kSlots; ++n)
                row += (n > 1 ? " " : "") + kg(production::number(detail, production::slotField(kind, n)));
        }
        out(row + "\n");
    }
}

int orderShow(Context& ctx, const Options& o) {
    if (!openProduction(ctx, kArea, 1) || !locateOrder(o.words[0])) return 1;
    OrderScreenModel model(userLevel(kArea));
    model.display();
    const OrderHeader& h = model.entry();
    out("NUMBER\t" + h.number + "\nKEY\t" + currentOrderKey() + "\nDATE\t" + h.date.toText() + "\nTIME\t" + h.time +
        "\nCOMPANY\t" + production::trim(h.company) + "\t" + production::trim(model.companyName()) + "\nREMARK1\t" +
        production::trim(h.remark1) + "\nREMARK2\t" + production::trim(h.remark2) + "\nREMARK3\t" +
        production::trim(h.remark3) + "\nSTATUS\t" + model.statusText() + "\nPOSITION\t" + model.positionText() +
        "\n");
    printLines();
    return 0;
}

int orderList(Context& ctx, const Options& o) {
    Date from, to;
    if (o.has("from") && !parseDate(o.value("from"), from)) return usage("--from needs dd/mm/yyyy");
    if (o.has("to") && !parseDate(o.value("to"), to)) return usage("--to needs dd/mm/yyyy");
    if (!openProduction(ctx, kArea, 1)) return 1;
    xbase::Table* w = production::table("WDATA");
    out("DELETED\tNUMBER\tDATE\tTIME\tCOMPANY\tNAME\tKEY\n");
    for (w->goTop(); !w->eof(); w->skip()) {
        const Date d = production::date(w, "DATE");
        if ((!from.isEmpty() && d < from) || (!to.isEmpty() && d > to)) continue;
        out(std::string(w->deleted() ? "*" : "") + "\t" + production::text(w, "NUMBER") + "\t" + d.toText() + "\t" +
            production::text(w, "TIME") + "\t" + production::trimmedText(w, "COMPANY") + "\t" +
            production::trim(companyName(production::text(w, "COMPANY"))) + "\t" + production::text(w, "INDENT") +
            "\n");
    }
    return 0;
}

int runOrder(Context& ctx) {
    if (ctx.args.empty()) return usage("no action given");
    const std::string action = ctx.args[0];
    const std::vector<std::string> rest(ctx.args.begin() + 1, ctx.args.end());
    Options o;
    std::vector<std::string> names = kHeaderOptions;
    if (action == "list") names = {"from", "to"};
    if (action == "new") names = {"company", "remark1", "remark2", "remark3"};
    if (!parseOptions("order", rest, {}, names, o)) return 2;
    if (action == "new") return orderNew(ctx, o);
    if (action == "list") return o.words.empty() ? orderList(ctx, o) : usage("order list takes no ORDER");
    if (o.words.size() != 1) return usage("give one ORDER");
    if (action == "edit") return orderEdit(ctx, o);
    if (action == "delete" || action == "restore") return orderMark(ctx, o, action == "delete");
    if (action == "show") return orderShow(ctx, o);
    return usage("unknown action " + action);
}

Registrar reg{"order",
              "order new --company CODE [--remark1 T] [--remark2 T] [--remark3 T]\n"
              "order edit ORDER [--number N] [--date dd/mm/yyyy] [--time hh:mm:ss] [--company C] [--remarkN T]\n"
              "order delete|restore|show ORDER   (ORDER: number, or key when numbers repeat)\n"
              "order list [--from dd/mm/yyyy] [--to dd/mm/yyyy]",
              &runOrder};

}  // namespace
}  // namespace mp::cli
