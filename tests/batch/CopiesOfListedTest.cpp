// Which listed files are sources: never the copy another listed file makes
// under the run's naming, but every other file, however much it looks like one.

#include "batch/CopiesOfListed.h"

#include <gtest/gtest.h>

using namespace vardolin::batch;

namespace {

const QString root = QStringLiteral("/vardolin-nowhere/Fotos/");

TargetChoice naming(int mode)
{
    TargetChoice choice;
    choice.mode = mode;
    choice.dateiPrefix = choice.immerPrefix = QStringLiteral("!k_");
    choice.dateiSuffix = choice.immerSuffix = QStringLiteral("_k!");
    choice.zielSubVerz = QStringLiteral("komp");
    choice.sourceFolder = root;
    return choice;
}

TEST(CopiesOfListed, OnlyTheCopiesOfOtherListedFilesAreLeftOut)
{
    const QString photo = root + QStringLiteral("IMG_1.jpg");
    const QStringList modeThree{photo, root + QStringLiteral("komp/!k_IMG_1_k!.JPG"),
                                // named like a copy, but of a photo that is not listed
                                root + QStringLiteral("komp/!k_IMG_2_k!.JPG")};
    EXPECT_EQ(withoutCopiesOfListed(modeThree, naming(3)), (QStringList{photo, modeThree[2]}));

    // The copy's extension is upper case: a photo whose own is not is no copy.
    const QStringList modeTwo{photo, root + QStringLiteral("IMG_1_k!.jpg"), root + QStringLiteral("IMG_1_k!.JPG")};
    EXPECT_EQ(withoutCopiesOfListed(modeTwo, naming(2)), (QStringList{photo, modeTwo[1]}));

    // A file whose copy would land on itself stays, so the run reports it.
    TargetChoice noSuffix = naming(2);
    noSuffix.dateiSuffix.clear();
    const QStringList self{root + QStringLiteral("IMG.JPG")};
    EXPECT_EQ(withoutCopiesOfListed(self, noSuffix), self);
}

} // namespace
