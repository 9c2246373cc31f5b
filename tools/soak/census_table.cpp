#include "census_table.h"

#include <cstdio>

namespace soak {

using tarvik::test::gdiObjects;
using tarvik::test::GuiCensus;
using tarvik::test::userObjects;

void CensusTable::add(int cycle, const std::vector<GuiCensus>& row, const std::vector<int>& lives) {
    rows_.push_back({cycle, row, lives});
}

Growth CensusTable::growth(std::size_t process) const {
    Growth total;
    const GuiCensus* first = nullptr;
    const GuiCensus* last = nullptr;
    int life = -1;
    auto close = [&] {
        if (first == nullptr) return;
        total.gdi += static_cast<long long>(gdiObjects(*last)) - gdiObjects(*first);
        total.user += static_cast<long long>(userObjects(*last)) - userObjects(*first);
        total.handles += static_cast<long long>(last->handles) - first->handles;
        total.privateBytes += static_cast<long long>(last->privateBytes) -
                              static_cast<long long>(first->privateBytes);
    };
    for (const Row& row : rows_) {
        if (row.lives[process] != life) {
            close();
            first = &row.census[process];
            life = row.lives[process];
        }
        last = &row.census[process];
    }
    close();
    return total;
}

std::string CensusTable::table() const {
    std::string text;
    char line[200];
    std::snprintf(line, sizeof line, "%6s  %-14s %6s %6s %8s %6s %6s %8s %12s\n", "cycle",
                  "process", "GDI", "USER", "windows", "menus", "icons", "handles", "private KB");
    text += line;
    for (const Row& row : rows_)
        for (std::size_t p = 0; p < names_.size(); ++p) {
            const GuiCensus& c = row.census[p];
            std::string name = names_[p];
            if (row.lives[p] > 0) name += " #" + std::to_string(row.lives[p] + 1);
            std::snprintf(line, sizeof line, "%6d  %-14s %6u %6u %8u %6u %6u %8u %12llu\n",
                          row.cycle, name.c_str(), gdiObjects(c), userObjects(c), c.windows,
                          c.menus, c.icons, c.handles,
                          static_cast<unsigned long long>(c.privateBytes / 1024));
            text += line;
        }
    return text;
}

std::string CensusTable::growthTable() const {
    if (rows_.empty()) return "no census taken\n";
    std::string text;
    char line[200];
    std::snprintf(line, sizeof line, "growth from cycle %d to cycle %d:\n", rows_.front().cycle,
                  rows_.back().cycle);
    text += line;
    std::snprintf(line, sizeof line, "  %-11s %6s %6s %8s %12s\n", "process", "GDI", "USER",
                  "handles", "private KB");
    text += line;
    for (std::size_t p = 0; p < names_.size(); ++p) {
        const Growth g = growth(p);
        const int lives = rows_.back().lives[p] + 1;
        std::snprintf(line, sizeof line, "  %-11s %+6lld %+6lld %+8lld %+12lld%s\n",
                      names_[p].c_str(), g.gdi, g.user, g.handles, g.privateBytes / 1024,
                      lives > 1 ? " (summed over its processes)" : "");
        text += line;
    }
    return text;
}

bool CensusTable::noGdiOrUserGrowth() const {
    for (std::size_t p = 0; p < names_.size(); ++p) {
        const Growth g = growth(p);
        if (g.gdi != 0 || g.user != 0) return false;
    }
    return true;
}

std::string CensusTable::sources() const {
    if (rows_.empty()) return "";
    const GuiCensus& c = rows_.front().census.front();
    std::string text = c.gdiReported != 0 ? "GDI: GetGuiResources"
                                          : "GDI: GetGuiResources answered 0; each process "
                                            "probed its own GDI handle table";
    text += c.userReported != 0 ? "; USER: GetGuiResources\n"
                                : "; USER: GetGuiResources answered 0; each process counted "
                                  "its windows (enumerated), menus and icons/cursors (probed)\n";
    return text;
}

} // namespace soak
