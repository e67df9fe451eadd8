// The default engine against the literal one on the whole program in
// memory: any byte of difference in standard output, standard error or the
// exit status is a fault of the faster engine.
//
// The engine runs as the program builds it, on every core, for one input in
// eight, and on one thread for the others: starting the threads costs four
// times the run itself on these small inputs, whose rows are too short to be
// split between threads anyway.
#include <cstdint>
#include <cstdlib>

#include "engine/fast_search.h"
#include "fuzz_case.h"
#include "ordering/ordering.h"
#include "scoring/literal_search.h"

namespace {

std::unique_ptr<vexaro::RowSearch> one_thread(const vexaro::Settings& settings,
                                              const vexaro::RecordIndex& index) {
  return vexaro::make_fast_search(settings, index, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > vexaro::fuzz::kMaxInput) return 0;
  const vexaro::fuzz::FuzzCase c = vexaro::fuzz::split_case(data, size);
  if (!vexaro::fuzz::cheap_to_order(c)) return 0;
  const bool terminal = size % 5 == 0;
  const auto literal = vexaro::fuzz::run_in_memory(c, terminal, vexaro::make_literal_search);
  const vexaro::SearchFactory engine =
      size % 8 == 0 ? vexaro::SearchFactory(vexaro::make_default_search) : one_thread;
  const auto fast = vexaro::fuzz::run_in_memory(c, terminal, engine);
  if (fast.out != literal.out || fast.err != literal.err || fast.status != literal.status) {
    std::abort();
  }
  return 0;
}
