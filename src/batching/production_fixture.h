#pragma once

// A scratch site with the production tables open as the orders screen opens
// them, a logged-in user, and small helpers that put a formula, a unit, an
// order and a line in place.

#include <string>

#include "app/settings.h"
#include "batching/lines.h"
#include "batching/orders.h"
#include "batching/production_records.h"
#include "data/site_setup.h"
#include "data/test_site.h"

namespace mp::testing {

class ProductionTest : public SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        settings().CUSER = "ADMIN";
        ASSERT_TRUE(openProductionTables());
        addUnit("KG", 1);
        addUnit("TON", 1000);
    }

    void addUnit(const std::string& code, double kg) {
        ASSERT_TRUE(appendRecord("UNIT", {{"CODE", code}, {"NAME", code}, {"QTY", kg}}));
    }
    // A formula of `capacity` with `qty` kilograms in slot 1 (and `qty2` in slot 2).
    void addFormula(const std::string& code, double capacity, double qty, double qty2 = 0) {
        ASSERT_TRUE(appendRecord("FORMULA", {{"CODE", code},
                                             {"NAME", "Formula " + code},
                                             {"CAPACITY", capacity},
                                             {"AGG1", "SAND"},
                                             {"QTY1", qty},
                                             {"AGG2", "STONE"},
                                             {"QTY2", qty2}}));
    }
    // A new order for company "C1" saved through the header save; WDATA on it.
    std::string addOrder(const std::string& number = "0000000001", Date date = Date::fromYmd(2026, 3, 14)) {
        OrderHeader h;
        h.number = number;
        h.date = date;
        h.time = "08:00:00";
        h.company = "C1";
        EXPECT_EQ(saveOrderHeader(true, h), SaveOrderResult::Saved);
        return currentOrderKey();
    }
    // A line of the current order: `qty` of `unit` on `formula`, computed as
    // the line dialog does. DETAIL stands on it. Each line is entered a
    // second after the one before: a line key begins with the time, and two
    // made in the same second fall in the random order of their tails.
    std::string addLine(const std::string& formula, double qty, const std::string& unit = "KG") {
        m_clock.advance(1);
        workAreas().select("DETAIL");
        LineEntry e = loadLine(true);
        production::table("FORMULA")->seek(production::padded(formula, 10));
        e.formula = formula;
        CHGFOR(e);
        e.qty = qty;
        e.unit = unit;
        CHGUNIT(e);
        EXPECT_TRUE(FORSAVE(true, e));
        return currentLineKey();
    }
};

}  // namespace mp::testing
