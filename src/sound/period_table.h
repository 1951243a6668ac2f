#pragma once
// Amiga tracker periods: 16 finetune rows of 84 notes (seven octaves of twelve,
// longest period first), and the lookup from a period to its nearest note.

#include <cstdint>

constexpr int kPeriodNotes = 84;
constexpr int kFinetuneRows = 16;
constexpr int kLongestPeriod = 1712;
constexpr int kShortestSlidePeriod = 13;

// Rows in finetune order 0, 1, ..., 7, -8, -7, ..., -1, so a sample's 4-bit
// finetune value is its row index.
extern const uint16_t kModulePeriods[kFinetuneRows][kPeriodNotes];

class NoteLookup {
public:
    // Fills the table for every period from 1 to kLongestPeriod.
    void build();
    // The note index (0 ... 83) whose finetune-0 period is nearest; ties go to
    // the lower index. Periods beyond the table map to its ends.
    int noteOf(int period) const;

private:
    uint8_t notes_[kLongestPeriod + 1] = {};
};
