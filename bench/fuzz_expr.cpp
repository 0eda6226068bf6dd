// libFuzzer target over the form expression scanner, parser and evaluator.
// The first byte of an input picks how the error handler answers (give up,
// substitute a value, retry, quit); the rest is the expression, compiled once
// and evaluated twice against a few process-wide values and in-memory tables.
// Built only with -DMIXPLANT_FUZZ=ON and clang; run by bench/run-fuzz-expr.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "expr/evaluator.h"
#include "expr/test_support.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"
#include "platform/runtime/publics.h"

namespace {

class AnsweringHandler : public mp::ErrorHandler {
public:
    mp::ErrorAnswer handle(const mp::ErrorRecord&) override {
        switch (policy % 5) {
            case 0: return mp::ErrorAnswer::giveUp();
            case 1: return mp::ErrorAnswer::substitute(0.0);
            case 2: return mp::ErrorAnswer::substitute("x");
            case 3: return mp::ErrorAnswer::retry();
            default: return mp::ErrorAnswer::quit();
        }
    }
    unsigned policy = 0;
};

// The world the expressions see; built once, values reset for every input.
struct World {
    World() {
        mp::setDayClock(&clock);
        mp::installErrorHandler(&handler);
        mp::setFieldResolver(&tables);
        names.bind("CUSER", cuser);
        names.bind("NTOTAL", ntotal);
        names.bind("LEXIT", lexit);
        names.bind("DTODAY", dtoday);
        names.bind("PSUM", psum);
        names.bind("CSUB", csub);
        names.bind("XANY", any);
        tables["WDATA"].fields = {{"NUMBER", mp::Value("0000000042")},
                                  {"DATE", mp::Value(mp::Date::fromYmd(2026, 1, 5))},
                                  {"TIME", mp::Value("08:05:09")}};
        tables["COMPANY"].fields = {{"NAME", mp::Value("Plant Co")}, {"CREDIT", mp::Value(30.0)}};
        tables["COMPANY"].atEnd = true;
        tables.current = "WDATA";
    }
    void reset() {
        cuser = "ADMIN";
        ntotal = 12.5;
        lexit = false;
        dtoday = mp::Date::fromYmd(2026, 1, 5);
        psum = {10, 20, 30};
        csub = {"a", "b"};
        any = mp::Value::array({1.0, "two", mp::Value::array({3.0})});
    }

    mp::VirtualDayClock clock;
    AnsweringHandler handler;
    mp::expr::test::MemoryTables tables;
    std::string cuser;
    double ntotal = 0;
    bool lexit = false;
    mp::Date dtoday;
    std::vector<double> psum;
    std::vector<std::string> csub;
    mp::Value any;
    mp::PublicsScope names;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    if (size == 0) return 0;
    world.reset();
    world.handler.policy = data[0];
    std::string_view source(reinterpret_cast<const char*>(data + 1), size - 1);
    mp::expr::Compiled compiled = mp::expr::compile(source);
    compiled.evaluate();
    compiled.evaluate();
    return 0;
}
