#include "check/FindingOrder.h"

#include <limits>
#include <tuple>

bool FindingOrder::Later::operator()(const Held &a, const Held &b) const
{
    return std::tie(a.finding.line, a.finding.column, a.arrival) >
           std::tie(b.finding.line, b.finding.column, b.arrival);
}

void FindingOrder::add(Diagnostic finding)
{
    held.push({std::move(finding), arrived++});
}

void FindingOrder::settle(std::size_t line)
{
    while (!held.empty() && held.top().finding.line < line) {
        sink(held.top().finding);
        held.pop();
    }
}

void FindingOrder::finish()
{
    settle(std::numeric_limits<std::size_t>::max());
}
