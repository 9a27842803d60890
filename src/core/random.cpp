#include "core/random.h"

namespace ramulet {

uint64_t SplitMix64(uint64_t &state)
{
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

namespace {

constexpr uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

} // namespace

Random::Random(uint64_t seed)
{
    // splitmix64 never gives four zero words in a row, so the state is never all zero.
    for (uint64_t &word : m_s) {
        word = SplitMix64(seed);
    }
}

uint64_t Random::Next()
{
    const uint64_t result = Rotl(m_s[1] * 5, 7) * 9;
    const uint64_t t = m_s[1] << 17;
    m_s[2] ^= m_s[0];
    m_s[3] ^= m_s[1];
    m_s[1] ^= m_s[2];
    m_s[0] ^= m_s[3];
    m_s[2] ^= t;
    m_s[3] = Rotl(m_s[3], 45);
    return result;
}

long double Random::Real()
{
    // 53 bits and the power of two are both exact, so the product is too.
    return static_cast<long double>(Next() >> 11) * 0x1p-53L;
}

int32_t Random::Below(int32_t n)
{
    if (n <= 1) {
        return 0;
    }
    const auto k = static_cast<int32_t>(Real() * static_cast<long double>(n));
    return k < n ? k : n - 1;
}

} // namespace ramulet
