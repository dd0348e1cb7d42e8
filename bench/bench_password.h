// The password the benchmarks key their jobs with: one of their own, never
// the program's sample password, which its jobs refuse. QUENZEL_BENCH_PASSWORD
// replaces it, so that a run can see a refused job (set to the sample
// password) stop the benchmark. (Wine passes no empty variable on.)
#pragma once

#include <cstdlib>
#include <string>

namespace bench {

inline constexpr char OwnPassword[] = "Bench run 4711, not the sample";

inline std::string Password()
{
    const char* given = std::getenv("QUENZEL_BENCH_PASSWORD");
    return given ? given : OwnPassword;
}

} // namespace bench
