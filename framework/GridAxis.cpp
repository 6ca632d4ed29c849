#include "framework/GridAxis.h"

#include <algorithm>

namespace fw {

int TGridAxis::Total() const {
    int sum = 0;
    for (int i = 0; i < Count(); ++i) sum += Pitch(i);
    return sum;
}

int TGridAxis::FixedExtent() const {
    int sum = 0;
    for (int i = 0; i < fixed_; ++i) sum += Pitch(i);
    return sum;
}

int TGridAxis::MaxFirst() const {
    int room = extent_ - FixedExtent();
    int i = Count() - 1;
    while (i >= fixed_ && Pitch(i) <= room) {
        room -= Pitch(i);
        --i;
    }
    return std::clamp(i + 1, fixed_, std::max(fixed_, Count() - 1));
}

int TGridAxis::VisibleCount() const {
    int pos = FixedExtent(), n = 0;
    for (int i = first_; i < Count(); ++i) {
        pos += sizes_[size_t(i)];
        if (pos > extent_) break;
        pos += lineWidth_;
        ++n;
    }
    return n;
}

int TGridAxis::FirstToShow(int Index) const {
    if (Index < fixed_) return first_;
    if (Index < first_) return Index;
    // The smallest first line that still shows Index entirely.
    int room = extent_ - FixedExtent() - sizes_[size_t(Index)];
    int i = Index;
    while (i > fixed_ && i > first_ && Pitch(i - 1) <= room) {
        room -= Pitch(i - 1);
        --i;
    }
    return std::max(i, first_);
}

int TGridAxis::Position(int Index) const {
    if (Index < 0 || Index >= Count()) return -1;
    int pos = 0;
    if (Index < fixed_) {
        for (int i = 0; i < Index; ++i) pos += Pitch(i);
        return pos < extent_ ? pos : -1;
    }
    if (Index < first_) return -1;
    pos = FixedExtent();
    for (int i = first_; i < Index && pos < extent_; ++i) pos += Pitch(i);
    return pos < extent_ ? pos : -1;
}

TGridAxis::Visible TGridAxis::VisibleLines() const {
    Visible lines;
    int pos = 0;
    for (int i = 0; i < fixed_ && pos < extent_; ++i) {
        lines.index.push_back(i);
        lines.start.push_back(pos);
        pos += Pitch(i);
    }
    for (int i = first_; i < Count() && pos < extent_; ++i) {
        lines.index.push_back(i);
        lines.start.push_back(pos);
        pos += Pitch(i);
    }
    return lines;
}

int TGridAxis::LineAt(int Pos) const {
    const Visible lines = VisibleLines();
    for (size_t i = 0; i < lines.index.size(); ++i)
        if (Pos >= lines.start[i] && Pos < lines.start[i] + Pitch(lines.index[i])) return lines.index[i];
    return -1;
}

int TGridAxis::EdgeAt(int Pos) const {
    const Visible lines = VisibleLines();
    for (size_t i = 0; i < lines.index.size(); ++i) {
        const int edge = lines.start[i] + sizes_[size_t(lines.index[i])];
        if (Pos >= edge - 2 && Pos <= edge + lineWidth_ + 2) return lines.index[i];
    }
    return -1;
}

void TGridAxis::Span(int From, int To, int& Low, int& High) const {
    const Visible lines = VisibleLines();
    Low = -1;
    High = -1;
    for (size_t i = 0; i < lines.index.size(); ++i) {
        const int line = lines.index[i];
        if (line < From || line > To) continue;
        if (Low < 0 || lines.start[i] < Low) Low = lines.start[i];
        High = std::max(High, lines.start[i] + Pitch(line));
    }
}

}  // namespace fw
