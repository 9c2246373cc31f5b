// The soak's record: a census of every process after every few cycles, printed as a
// table, and the growth from each process's first census on.
#pragma once

#include <string>
#include <vector>
#include "gui_census.h"

namespace soak {

struct Growth {
    long long gdi = 0, user = 0, handles = 0, privateBytes = 0;
};

class CensusTable {
  public:
    explicit CensusTable(std::vector<std::string> processes) : names_(std::move(processes)) {}

    // One census per process, in the order of the names; `lives` counts the process's
    // restarts, so a new process is measured against its own first census.
    void add(int cycle, const std::vector<tarvik::test::GuiCensus>& row,
             const std::vector<int>& lives);
    bool empty() const { return rows_.empty(); }

    // Over each life: last census minus first, summed over the lives.
    Growth growth(std::size_t process) const;
    std::string table() const;
    std::string growthTable() const;
    // No GDI and no USER object gained by any process.
    bool noGdiOrUserGrowth() const;
    // Where the counts come from: GetGuiResources, or the processes' own probes.
    std::string sources() const;

  private:
    struct Row {
        int cycle;
        std::vector<tarvik::test::GuiCensus> census;
        std::vector<int> lives;
    };
    std::vector<std::string> names_;
    std::vector<Row> rows_;
};

} // namespace soak
