#include "core/catalogue/IdList.h"

#include <algorithm>
#include <bit>

namespace db {

namespace {
constexpr int lowBits = 16;
constexpr int words = (1 << lowBits) / 64;
// Past this many IDs a group's list would take more room than its bits.
constexpr size_t mostListed = (1 << lowBits) / 16;
} // namespace

std::vector<IdList::Group>::const_iterator IdList::groupOf(qint64 position) const
{
    // The last group starting at or before `position`.
    return std::prev(std::upper_bound(m_groups.begin(), m_groups.end(), position,
                                      [](qint64 p, const Group &group) { return p < group.before; }));
}

std::uint16_t IdList::lowAt(const Group &group, int index)
{
    if (group.bits.empty())
        return group.low[size_t(index)];
    for (int word = 0; word < words; ++word) {
        std::uint64_t set = group.bits[size_t(word)];
        const int here = std::popcount(set);
        if (index >= here) {
            index -= here;
            continue;
        }
        for (; index > 0; --index)
            set &= set - 1; // drops the lowest bit set
        return std::uint16_t(word * 64 + std::countr_zero(set));
    }
    return 0; // not reached: index is below the group's count
}

qint64 IdList::at(qint64 position) const
{
    const auto group = groupOf(position);
    return (group->high << lowBits) | lowAt(*group, int(position - group->before));
}

void IdList::append(qint64 id)
{
    const qint64 high = id >> lowBits;
    const auto low = std::uint16_t(id & ((1 << lowBits) - 1));
    if (m_groups.empty() || m_groups.back().high != high)
        m_groups.push_back(Group{high, m_size, 0, {}, {}});
    Group &group = m_groups.back();
    if (group.bits.empty()) {
        group.low.push_back(low);
        if (group.low.size() > mostListed) {
            group.bits.assign(words, 0);
            for (const std::uint16_t listed : group.low)
                group.bits[listed / 64] |= std::uint64_t(1) << (listed % 64);
            group.low = {};
        }
    } else {
        group.bits[low / 64] |= std::uint64_t(1) << (low % 64);
    }
    ++group.count;
    ++m_size;
}

void IdList::removeAt(qint64 position)
{
    auto group = m_groups.begin() + (groupOf(position) - m_groups.cbegin());
    const int index = int(position - group->before);
    if (group->bits.empty()) {
        group->low.erase(group->low.begin() + index);
    } else {
        const std::uint16_t low = lowAt(*group, index);
        group->bits[low / 64] &= ~(std::uint64_t(1) << (low % 64));
    }
    --m_size;
    for (auto later = group + 1; later != m_groups.end(); ++later)
        --later->before;
    if (--group->count == 0)
        m_groups.erase(group);
}

} // namespace db
