#pragma once
// TGridAxis: one dimension of a grid (its columns, or its rows) as the layout
// sees it. Rows and columns share every computation of positions, scrolling
// limits and hit tests through it, so each rule is written once. A value made on
// demand by the grid; it borrows the grid's size list and lives no longer.
#include <cstddef>
#include <vector>

namespace fw {

class TGridAxis {
public:
    // The lines on screen, in drawing order (fixed ones first), with their starts.
    struct Visible {
        std::vector<int> index;
        std::vector<int> start;
    };

    TGridAxis(const std::vector<int>& Sizes, int Fixed, int First, int LineWidth, int Extent)
        : sizes_(Sizes), fixed_(Fixed), first_(First), lineWidth_(LineWidth), extent_(Extent) {}

    int Count() const { return int(sizes_.size()); }
    // The size of a line with the grid line after it.
    int Pitch(int Index) const { return sizes_[size_t(Index)] + lineWidth_; }
    // All lines, grid lines included.
    int Total() const;
    // The fixed lines.
    int FixedExtent() const;
    // The last first scrollable line that still fills the client extent.
    int MaxFirst() const;
    // How many scrollable lines fit entirely from First on.
    int VisibleCount() const;
    // The first scrollable line that shows Index entirely, moving as little as possible.
    int FirstToShow(int Index) const;
    // The client position of a visible line, -1 when it is not on screen.
    int Position(int Index) const;
    Visible VisibleLines() const;
    // The line under a client position, -1 when none.
    int LineAt(int Pos) const;
    // The line whose trailing edge is within reach of Pos (for sizing), -1 when none.
    int EdgeAt(int Pos) const;
    // The client span [Low, High) of the visible lines From..To; Low is -1 when none shows.
    void Span(int From, int To, int& Low, int& High) const;

private:
    const std::vector<int>& sizes_;
    int fixed_;
    int first_;
    int lineWidth_;
    int extent_;
};

}  // namespace fw
