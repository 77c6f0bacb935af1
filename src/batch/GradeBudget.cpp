#include "batch/GradeBudget.h"

#include <algorithm>

namespace vardolin::batch {

std::optional<BudgetedGrade> highestGradeWithin(qint64 budget, int chosenGrade,
                                                const std::function<qint64(int grade)>& encodedSize)
{
    int low = 0;
    int high = std::clamp(chosenGrade, 0, highestDistinctGrade) - 1;
    std::optional<BudgetedGrade> best;
    bool zeroTried = false;
    while (low <= high) {
        const int grade = low + (high - low) / 2;
        const qint64 size = encodedSize(grade);
        if (size < 0)
            return std::nullopt;
        zeroTried = zeroTried || grade == 0;
        if (size <= budget) {
            best = BudgetedGrade{grade, true};
            low = grade + 1;
        } else {
            high = grade - 1;
        }
    }
    if (best)
        return best;
    // Nothing below the chosen grade fits: grade 0 is as small as it gets.
    if (!zeroTried && encodedSize(0) < 0)
        return std::nullopt;
    return BudgetedGrade{0, false};
}

} // namespace vardolin::batch
