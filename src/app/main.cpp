// The desktop program's entry: everything happens in runProgram.
#include "app/InformationOptions.h"
#include "app/Program.h"

int main(int argc, char** argv)
{
    if (const auto answered = vardolin::app::answerInformationOption(argc, argv))
        return *answered;
    return vardolin::app::runProgram(argc, argv);
}
