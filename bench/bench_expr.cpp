// Speed of the form expression evaluator: an index key compiled once and
// evaluated per record, as the table engine does when it builds an index,
// and a typical docket line.

#include <benchmark/benchmark.h>

#include "expr/evaluator.h"
#include "expr/test_support.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"
#include "platform/runtime/publics.h"

namespace {

// One order with a line and its company in memory, and the owner's name.
struct DocketWorld {
    DocketWorld() {
        mp::setDayClock(&clock);
        tables["WDATA"].fields = {{"NUMBER", mp::Value("0000000042")},
                                  {"DATE", mp::Value(mp::Date::fromYmd(2026, 1, 5))},
                                  {"TIME", mp::Value("08:05:09")},
                                  {"REMARK", mp::Value("  deliver to gate 2   ")}};
        tables["DETAIL"].fields = {{"QTY", mp::Value(1234.567)}, {"FORMULA", mp::Value("F240")}};
        tables["COMPANY"].fields = {{"NAME", mp::Value("Northern Ready Mix Co")}};
        tables.current = "WDATA";
        names.bind("CHLINE", chline);
    }
    ~DocketWorld() { mp::setDayClock(nullptr); }

    mp::VirtualDayClock clock;
    mp::expr::test::ScopedTables tables;
    mp::RecordingErrorHandler handler;
    mp::ScopedErrorHandler scopedHandler{&handler};
    std::string chline = "Mix Plant Ltd";
    mp::PublicsScope names;
};

const char* const kKey = "DTOS(DATE)+TIME+NUMBER";
const char* const kDocketLine =
    "PADR(COMPANY->NAME,30)+' '+DTOC(WDATA->DATE)+' '+TRANSFORM(DETAIL->QTY,'999,999.99')+' '+"
    "IIF(EMPTY(WDATA->REMARK),'-',ALLTRIM(WDATA->REMARK))+' '+CHLINE";

void keyCompiledOnce(benchmark::State& state) {
    DocketWorld world;
    mp::expr::Compiled key = mp::expr::compile(kKey);
    for (auto _ : state) benchmark::DoNotOptimize(key.evaluate());
}
BENCHMARK(keyCompiledOnce);

void keyCompiledEachTime(benchmark::State& state) {
    DocketWorld world;
    for (auto _ : state) benchmark::DoNotOptimize(mp::expr::evaluate(kKey));
}
BENCHMARK(keyCompiledEachTime);

void docketLineCompiledOnce(benchmark::State& state) {
    DocketWorld world;
    mp::expr::Compiled line = mp::expr::compile(kDocketLine);
    for (auto _ : state) benchmark::DoNotOptimize(line.evaluate());
}
BENCHMARK(docketLineCompiledOnce);

void docketLineCompile(benchmark::State& state) {
    DocketWorld world;
    for (auto _ : state) benchmark::DoNotOptimize(mp::expr::compile(kDocketLine));
}
BENCHMARK(docketLineCompile);

}  // namespace

BENCHMARK_MAIN();
