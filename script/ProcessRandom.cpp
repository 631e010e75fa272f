#include "script/ProcessRandom.hpp"

#include <chrono>
#include <mutex>
#include <random>

namespace kpf::script {

namespace {

struct TProcessGenerator {
    std::mutex Lock;
    std::mt19937_64 Engine{static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                           static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())};
};

TProcessGenerator& Generator()
{
    static TProcessGenerator generator;
    return generator;
}

}  // namespace

double ProcessRandomUniform()
{
    auto& generator = Generator();
    const std::lock_guard lock(generator.Lock);
    // 53 random bits scaled into [0, 1).
    return static_cast<double>(generator.Engine() >> 11) * 0x1.0p-53;
}

void SeedProcessRandom(std::uint64_t seed)
{
    auto& generator = Generator();
    const std::lock_guard lock(generator.Lock);
    generator.Engine.seed(seed);
}

}  // namespace kpf::script
