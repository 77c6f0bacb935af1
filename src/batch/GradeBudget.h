#pragma once
// Fitting a lossy copy into a size budget ("at most 500 KB"): the copy is made
// again at the highest grade below the chosen one whose size fits.
//
// The search runs over the grades, not over the encoder's qualities: every
// copy it writes is byte for byte the copy a run at that grade makes, so a
// user can ask for it again with --quality; the encoders keep their one
// grade-to-quality rule (JPEG: grade x 10, grades above 10 as 10), and a
// further lossy format joins by the same rule. The finer quality steps would
// buy at most the size between two grades, at nearly twice the encodes.
// Binary search: at most four encodes after the first for the eleven grades.

#include <QtGlobal>

#include <functional>
#include <optional>

namespace vardolin::batch {

// The grades that encode alike: 10 and above are the encoder's top quality,
// 0 and below its lowest.
inline constexpr int highestDistinctGrade = 10;

struct BudgetedGrade {
    int grade = 0;
    bool fits = false; // false: even grade 0 is over budget; the copy stays at grade 0
};

// The highest grade below chosenGrade whose copy has at most budget bytes.
// encodedSize(grade) encodes the copy at that grade and returns its size in
// bytes, or -1 when encoding failed (then the search gives up: nullopt).
// The grade returned (the highest fitting, or grade 0) is one that
// encodedSize was called with, so the caller can keep what it encoded.
std::optional<BudgetedGrade> highestGradeWithin(qint64 budget, int chosenGrade,
                                                const std::function<qint64(int grade)>& encodedSize);

} // namespace vardolin::batch
