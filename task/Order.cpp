#include "task/Order.h"

#include "task/TamriUnit.h"

#include <algorithm>

namespace TamriUnit {

std::uint32_t randomBelow(std::uint32_t n)
{
    randSeed = randSeed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(randSeed) * n) >> 32);
}

void drawPermutation(std::uint8_t n)
{
    drawList->clear();
    drawList->append(QString::number(randomBelow(n)));
    std::uint8_t accepted = 1;
    while (accepted < n) {
        const std::uint32_t value = randomBelow(n);
        const bool seen = std::any_of(drawList->cbegin(), drawList->cend(),
                                      [value](const QString &entry) { return entry.toUInt() == value; });
        if (seen)
            continue;
        drawList->append(QString::number(value));
        ++accepted;
    }
    for (qsizetype i = 0; i < drawList->size(); ++i) {
        if (drawList->at(i).toInt() == centreIndex) {
            drawList->removeAt(i);
            break;
        }
    }
}

namespace {

template <typename Array>
void fillAroundCentre(Array &positions)
{
    for (int i = 0; i < centreIndex; ++i)
        positions[i] = static_cast<typename Array::value_type>(drawList->at(i).toInt());
    positions[centreIndex] = static_cast<typename Array::value_type>(centreIndex);
    for (int i = centreIndex + 1; i <= lastIndex; ++i)
        positions[i] = static_cast<typename Array::value_type>(drawList->at(i - 1).toInt());
}

} // namespace

void drawPresentationOrders()
{
    drawPermutation(static_cast<std::uint8_t>(lastIndex + 1));
    fillAroundCentre(presentationOrder);
    drawList->clear();
    drawPermutation(static_cast<std::uint8_t>(lastIndex + 1));
    fillAroundCentre(cellContent);
    drawList.reset();
}

} // namespace TamriUnit
