// The desktop program's entry: everything happens in runProgram.
#include "app/Program.h"

int main(int argc, char** argv)
{
    return vardolin::app::runProgram(argc, argv);
}
