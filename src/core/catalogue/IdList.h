#pragma once
// The IDs of a result, in ascending order, kept in little memory whatever their
// number: ten million IDs take about a megabyte rather than eighty. IDs are
// grouped by their high bits, 65,536 numbers a group; a group holds the low 16
// bits of its IDs, as a sorted list while it has few of them and as one bit a
// number once it has many (a whole catalogue's IDs are nearly all consecutive).
#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace db {

class IdList {
public:
    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // The ID at `position` (from 0, below size()).
    qint64 at(qint64 position) const;
    // Adds `id` at the end: it must be greater than every ID held.
    void append(qint64 id);
    // Removes the ID at `position`.
    void removeAt(qint64 position);

private:
    struct Group {
        qint64 high = 0;                // the IDs' bits above the lowest 16
        qint64 before = 0;              // IDs held by the groups before this one
        int count = 0;                  // IDs held by this one
        std::vector<std::uint16_t> low; // the low bits, ascending, while few
        std::vector<std::uint64_t> bits; // one bit a number, once many
    };
    // The group holding `position`.
    std::vector<Group>::const_iterator groupOf(qint64 position) const;
    static std::uint16_t lowAt(const Group &group, int index);

    std::vector<Group> m_groups;
    qint64 m_size = 0;
};

} // namespace db
